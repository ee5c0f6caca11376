// The four modal dialogs of the main window, drawn with Qt over the core's
// dialog models.
#pragma once

#include "image/WindowPort.h"
#include "image/Workspace.h"

class QWidget;

namespace orelith::gui {

// Runs dialog 107 (Display), 108 (Algorithm), 115 (Star properties) or 116
// (Colors) modally over `owner` and returns once it has closed.
void runModalDialog(int dialogId, Workspace& ws, WindowPort& port, QWidget* owner);

}  // namespace orelith::gui
