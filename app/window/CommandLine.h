// `orelith [BLUE [GREEN]]`: frames named when the program starts.
#pragma once

#include <QStringList>

#include "image/Workspace.h"
#include "interaction/WindowPort.h"

namespace orelith::gui {

// Loads the first file as the blue and the second as the green image, each as
// the Open command loads the file chosen in its dialog, with its messages.
void openCommandLineFiles(Workspace& ws, WindowPort& port, const QStringList& files);

}  // namespace orelith::gui
