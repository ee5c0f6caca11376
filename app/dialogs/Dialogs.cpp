#include "app/dialogs/Dialogs.h"

#include <QMessageBox>

namespace orelith::gui {

void runModalDialog(int dialogId, Workspace&, WindowPort&, QWidget* owner) {
  QMessageBox::information(owner, "Orelith",
                           QString("Dialog %1 is not available in this build.").arg(dialogId));
}

}  // namespace orelith::gui
