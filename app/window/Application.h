// What every start of the window program sets up once the QApplication
// exists and before a window does.
#pragma once

namespace orelith::gui {

// QApplication takes the session's locale for the C library too; numbers
// are read and written with a point whatever the session's LC_NUMERIC, so
// that is put back to "C" here.
void prepareApplication();

}  // namespace orelith::gui
