#include "app/window/Application.h"

#include <QGuiApplication>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace orelith::gui {
namespace {

constexpr const char* kNoDisplayLine =
    "orelith: no display to open the window on (DISPLAY or WAYLAND_DISPLAY names none that "
    "answers); orelith-batch measures without a window\n";

struct HeldMessage {
  QtMsgType type;
  std::string category;
  QString text;
};
std::vector<HeldMessage> held;

void holdWhileStarting(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type == QtFatalMsg) {
    std::fputs(kNoDisplayLine, stderr);
    std::_Exit(1);
  }
  held.push_back({type, context.category ? context.category : "", text});
}

}  // namespace

ApplicationStart::ApplicationStart() : previous_(qInstallMessageHandler(holdWhileStarting)) {}

ApplicationStart::~ApplicationStart() { started(); }

void ApplicationStart::started() {
  if (previous_ == nullptr) return;
  qInstallMessageHandler(previous_);
  for (const HeldMessage& m : held)
    previous_(m.type, QMessageLogContext(nullptr, 0, nullptr, m.category.c_str()), m.text);
  held.clear();
  previous_ = nullptr;
}

void prepareApplication() {
  std::setlocale(LC_NUMERIC, "C");
  // Desktops find the entry, icon and name of the running window by it.
  QGuiApplication::setDesktopFileName("org.orelith.Orelith");
}

}  // namespace orelith::gui
