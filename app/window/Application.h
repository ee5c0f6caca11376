// What every start of the window program sets up around the QApplication.
#pragma once

#include <QString>
#include <QtGlobal>

namespace orelith::gui {

// Spans the construction of the QApplication. Without a display Qt ends the
// program with a fatal message after a page of plugin reports; instead the
// user gets one line and status 1. The messages Qt writes while it starts
// are held back until it has started, then passed on.
class ApplicationStart {
 public:
  ApplicationStart();
  ~ApplicationStart();
  ApplicationStart(const ApplicationStart&) = delete;
  ApplicationStart& operator=(const ApplicationStart&) = delete;
  // The QApplication exists: the held messages go out, later ones directly.
  void started();

 private:
  QtMessageHandler previous_;
};

// QApplication takes the user's locale for the C library too; numbers
// are read and written with a point whatever the user's LC_NUMERIC, so
// that is put back to "C" here. Names the desktop entry of the window.
void prepareApplication();

}  // namespace orelith::gui
