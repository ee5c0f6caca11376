#include "app/window/CommandLine.h"

#include <QFile>

#include "interaction/Commands.h"
#include "interaction/StepStatus.h"

namespace orelith::gui {

void openCommandLineFiles(Workspace& ws, WindowPort& port, const QStringList& files) {
  for (int image : {kBlue, kGreen}) {
    if (image < files.size() &&
        openImageFile(ws, port, image, QFile::encodeName(files.at(image)).toStdString()))
      showStepStatus(port, loadStatus(ws, image));
  }
}

}  // namespace orelith::gui
