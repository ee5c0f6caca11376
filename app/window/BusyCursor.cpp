#include "app/window/BusyCursor.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QWidget>

namespace orelith::gui {
namespace {

// Takes the wait cursor down while a modal window is up, and puts it back
// when the last one goes.
class ModalWatch : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    const QEvent::Type type = event->type();
    if (type != QEvent::Show && type != QEvent::Hide) return false;
    auto* w = qobject_cast<QWidget*>(watched);
    if (w == nullptr || !w->isWindow() || !w->isModal()) return false;
    if (type == QEvent::Show && modalsUp++ == 0) QApplication::restoreOverrideCursor();
    if (type == QEvent::Hide && modalsUp > 0 && --modalsUp == 0)
      QApplication::setOverrideCursor(Qt::WaitCursor);
    return false;
  }
  int modalsUp = 0;
};

// A command may run another (a dialog's OK recalculating): one wait cursor
// for the outermost.
int depth = 0;
ModalWatch* watch = nullptr;

}  // namespace

BusyCursor::BusyCursor() {
  if (depth++ > 0) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  watch = new ModalWatch;
  qApp->installEventFilter(watch);
}

BusyCursor::~BusyCursor() {
  if (--depth > 0) return;
  qApp->removeEventFilter(watch);
  if (watch->modalsUp == 0) QApplication::restoreOverrideCursor();
  delete watch;
  watch = nullptr;
}

}  // namespace orelith::gui
