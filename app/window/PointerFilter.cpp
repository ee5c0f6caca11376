#include "app/window/PointerFilter.h"

#include <QCursor>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWidget>
#include <algorithm>

#include "app/window/ControlFactory.h"
#include "app/window/MainWindow.h"
#include "app/window/PanelFrame.h"
#include "interaction/MainWindowLayout.h"
#include "interaction/Pointer.h"

namespace orelith::gui {

PointerFilter::PointerFilter(MainWindow& window) : QObject(&window), window_(window) {}

void PointerFilter::setConfined(bool on) {
  confined_ = on;
  PanelFrame* blue = window_.panel(kBlue);
  if (on)
    blue->grabMouse();
  else
    blue->releaseMouse();
}

ControlId PointerFilter::controlAt(QPoint p) const {
  QWidget* client = window_.client();
  QWidget* w = client->childAt(p);
  while (w && w->parentWidget() != client) w = w->parentWidget();
  return controlId(w);
}

QPoint PointerFilter::clamped(QPoint client) const {
  const Rect& r = kPanelRect[kBlue];
  return {std::clamp(client.x(), r.left, r.right - 1), std::clamp(client.y(), r.top, r.bottom - 1)};
}

bool PointerFilter::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::MouseMove && type != QEvent::MouseButtonPress &&
      type != QEvent::MouseButtonRelease && type != QEvent::MouseButtonDblClick)
    return false;
  // A panel's scroll bar takes its own pointer input.
  if (qobject_cast<QScrollBar*>(watched)) return false;
  auto* me = static_cast<QMouseEvent*>(event);
  // A copy passed on to a parent keeps the type, time and screen position.
  const Seen seen{static_cast<int>(type), me->timestamp(), me->globalPosition().toPoint()};
  if (seen == last_) return false;
  last_ = seen;
  QWidget* client = window_.client();
  QPoint p = static_cast<QWidget*>(watched)->mapTo(client, me->position().toPoint());
  if (confined_) {
    const QPoint inside = clamped(p);
    if (inside != p) QCursor::setPos(client->mapToGlobal(inside));
    p = inside;
  }
  Workspace& ws = window_.workspace();
  WindowPort& port = window_.port();
  const bool left = me->button() == Qt::LeftButton;
  if (type == QEvent::MouseMove)
    pointerMoved(ws, port, p.x(), p.y(), controlAt(p));
  else if (type == QEvent::MouseButtonPress && left)
    leftButtonPressed(ws, port, p.x(), p.y());
  else if (type == QEvent::MouseButtonRelease && left)
    leftButtonReleased(ws, port, p.x(), p.y());
  else if (type == QEvent::MouseButtonDblClick && left)
    leftButtonDoubleClicked(ws, port, p.x(), p.y());
  return false;
}

}  // namespace orelith::gui
