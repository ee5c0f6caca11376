#include "app/window/CommandLine.h"

#include <QFile>

#include "image/OpenImage.h"

namespace orelith::gui {

void openCommandLineFiles(Workspace& ws, WindowPort& port, const QStringList& files) {
  for (int image : {kBlue, kGreen}) {
    if (image < files.size())
      openImage(ws, port, image, QFile::encodeName(files.at(image)).toStdString());
  }
}

}  // namespace orelith::gui
