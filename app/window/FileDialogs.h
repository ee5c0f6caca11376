// The open and save file dialogs of the Open and Save commands.
#pragma once

#include <QStringList>

#include "interaction/WindowPort.h"

class QWidget;

namespace orelith::gui {

enum class FileDialogKind { Open, Save };

// The Qt name filters of filter list 59 (open) or 60 (save). Each shows the
// table's label unchanged; "*.*" matches every name, as users know it.
QStringList nameFilters(FileDialogKind kind);

// Runs the dialog with title `title`, starting at 1-based filter
// `filterIndex` (anything else starts at the first). An open dialog accepts
// only an existing file; a save dialog asks before replacing one.
FileChoice askFile(QWidget* owner, FileDialogKind kind, StringId title, int filterIndex);

}  // namespace orelith::gui
