// orelith: the desktop program.
#include <QApplication>
#include <QTextStream>
#include <cstring>

#include "app/window/Application.h"
#include "app/window/CommandLine.h"
#include "app/window/MainWindow.h"

namespace {
// The state of the measurement: one static record for the whole run, far too
// big for the stack.
orelith::Workspace workspace;

constexpr const char* kUsage =
    "Usage: orelith [OPTION]... [BLUE [GREEN]]\n"
    "Opens the Orelith window for two-colour (B, V) photometry of a star field.\n"
    "BLUE and GREEN are ST-6 frames, loaded as \"File > Open Blue Image...\" and\n"
    "\"Open Green Image...\" load the file chosen in their dialogs.\n"
    "\n"
    "Options:\n"
    "  -h, --help     print this help and exit\n"
    "      --version  print the version and exit\n";

// Answered before Qt looks for a display, so that they work without one.
bool asksOnly(int argc, char** argv, const char* option, const char* alias = nullptr) {
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], option) == 0 || (alias && std::strcmp(argv[i], alias) == 0))
      return true;
  return false;
}
}  // namespace

int main(int argc, char** argv) {
  if (asksOnly(argc, argv, "--help", "-h")) {
    QTextStream(stdout) << kUsage;
    return 0;
  }
  if (asksOnly(argc, argv, "--version")) {
    QTextStream(stdout) << "orelith " << ORELITH_VERSION << "\n";
    return 0;
  }
  orelith::gui::ApplicationStart start;
  QApplication app(argc, argv);
  start.started();
  orelith::gui::prepareApplication();
  // Qt has taken its own options out of the list.
  QStringList files = app.arguments().mid(1);
  if (files.size() > 2) {
    QTextStream(stderr) << kUsage;
    return 1;
  }
  orelith::gui::MainWindow window(workspace);
  window.show();
  orelith::gui::openCommandLineFiles(workspace, window.port(), files);
  return app.exec();
}
