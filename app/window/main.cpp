// orelith: the desktop program.
#include <QApplication>
#include <cstring>
#include <iostream>

#include "app/WindowOptions.h"
#include "app/window/Application.h"
#include "app/window/MainWindow.h"

namespace {
// The state of the measurement: one static record for the whole run, far too
// big for the stack.
orelith::Workspace workspace;

// Answered before Qt looks for a display, so that they work without one.
bool asksOnly(int argc, char** argv, const char* option, const char* alias = nullptr) {
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], option) == 0 || (alias && std::strcmp(argv[i], alias) == 0))
      return true;
  return false;
}

// Help or version to a full disk or a closed pipe is no success.
int print(const std::string& text) {
  if (std::cout << text << std::flush) return 0;
  std::cerr << "ERROR: cannot write to standard output\n";
  return 2;
}
}  // namespace

int main(int argc, char** argv) {
  if (asksOnly(argc, argv, "--help", "-h")) return print(orelith::windowUsage());
  if (asksOnly(argc, argv, "--version")) return print("orelith " ORELITH_VERSION "\n");
  orelith::gui::ApplicationStart start;
  QApplication app(argc, argv);
  start.started();
  orelith::gui::prepareApplication();
  // Qt has taken its own options (-platform, -style...) out of argv.
  orelith::StartRequest request;
  std::string out, err;
  switch (orelith::parseWindowOptions(argc, argv, request, out, err)) {
    case orelith::batch::ParseOutcome::Exit0:
      return print(out);
    case orelith::batch::ParseOutcome::UsageError:
      std::cerr << err;
      return 1;
    case orelith::batch::ParseOutcome::Run:
      break;
  }
  orelith::gui::MainWindow window(workspace);
  window.show();
  orelith::startWindow(workspace, window.port(), request);
  return app.exec();
}
