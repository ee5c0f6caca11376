#include "app/window/PanelFrame.h"

#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QWheelEvent>
#include <algorithm>

#include "interaction/MainWindowLayout.h"
#include "interaction/PanelNavigation.h"

namespace orelith::gui {
namespace {

// A notch of a common wheel turns it by 15 degrees, reported in eighths.
constexpr int kNotch = 120;

}  // namespace

PanelFrame::PanelFrame(Workspace& ws, int image, QWidget* parent)
    : QFrame(parent), ws_(ws), image_(image) {
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(2);
  // Every pixel of the panel is painted here; Qt need not clear it first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  // A click gives the panel the zoom keys; Tab passes it by, as before.
  setFocusPolicy(Qt::ClickFocus);
  const QString side = image == kBlue ? "Blue" : "Green";
  const int id = image == kBlue ? 1 : 2;
  for (Qt::Orientation o : {Qt::Horizontal, Qt::Vertical}) {
    auto* bar = new QScrollBar(o, this);
    const bool h = o == Qt::Horizontal;
    bar->setObjectName(QString("ctl%1_%2").arg(id).arg(h ? "hscroll" : "vscroll"));
    bar->setAccessibleName(
        QString("%1 image %2 scroll bar").arg(side, h ? "horizontal" : "vertical"));
    bar->hide();
    const ScrollAxis axis = h ? ScrollAxis::Horizontal : ScrollAxis::Vertical;
    connect(bar, &QScrollBar::valueChanged, this, [this, axis](int v) {
      if (port_) scrolledTo(ws_, *port_, image_, axis, v);
    });
    (h ? across_ : down_) = bar;
  }
}

void PanelFrame::pictureRendered() {
  rendered_ = true;
  syncScrollBars();
}

// The bars lie over the picture's bottom and right edges, only while the
// panel shows part of its frame along them; an ST-6 frame at 1:1 has none.
void PanelFrame::syncScrollBars() {
  bool shown[2] = {false, false};
  for (QScrollBar* bar : {across_, down_}) {
    const ScrollRange r =
        scrollRange(ws_, image_, bar == across_ ? ScrollAxis::Horizontal : ScrollAxis::Vertical);
    const QSignalBlocker quiet(bar);
    if (r.shown) {
      bar->setRange(0, r.maximum);
      bar->setPageStep(r.page);
      bar->setSingleStep(std::max(1, r.page / 10));
      bar->setValue(r.value);
    }
    shown[bar == across_ ? 0 : 1] = r.shown;
  }
  const Rect& p = kPanelRect[image_];
  const QRect area(toLocal(QPoint(p.left, p.top)), QSize(kImageWidth, kImageHeight));
  const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
  across_->setGeometry(area.left(), area.bottom() + 1 - extent,
                       area.width() - (shown[1] ? extent : 0), extent);
  down_->setGeometry(area.right() + 1 - extent, area.top(), extent,
                     area.height() - (shown[0] ? extent : 0));
  across_->setVisible(shown[0]);
  down_->setVisible(shown[1]);
}

void PanelFrame::setRubberBand(const QRect& clientRect) {
  band_ = clientRect;
  update();
}

void PanelFrame::wheelEvent(QWheelEvent* event) {
  wheelRest_ += event->angleDelta().y();
  const int steps = wheelRest_ / kNotch;
  wheelRest_ -= steps * kNotch;
  const QPoint p = toClient(event->position());
  if (steps != 0 && port_) wheelTurned(ws_, *port_, p.x(), p.y(), steps);
  event->accept();
}

void PanelFrame::keyPressEvent(QKeyEvent* event) {
  ZoomKey key;
  switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:  // "+" without Shift on many keyboards
      key = ZoomKey::In;
      break;
    case Qt::Key_Minus:
      key = ZoomKey::Out;
      break;
    case Qt::Key_1:
      key = ZoomKey::OneToOne;
      break;
    case Qt::Key_0:
      key = ZoomKey::Fit;
      break;
    default:
      QFrame::keyPressEvent(event);
      return;
  }
  if (port_) zoomKeyPressed(ws_, *port_, image_, key);
  event->accept();
}

void PanelFrame::mousePressEvent(QMouseEvent* event) {
  const QPoint p = toClient(event->position());
  if (event->button() == Qt::MiddleButton && middleButtonPressed(ws_, p.x(), p.y())) {
    event->accept();
    return;
  }
  QFrame::mousePressEvent(event);
}

void PanelFrame::mouseMoveEvent(QMouseEvent* event) {
  const QPoint p = toClient(event->position());
  if ((event->buttons() & Qt::MiddleButton) && port_ &&
      middleButtonMoved(ws_, *port_, p.x(), p.y())) {
    event->accept();
    return;
  }
  QFrame::mouseMoveEvent(event);
}

void PanelFrame::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::MiddleButton) middleButtonReleased(ws_);
  QFrame::mouseReleaseEvent(event);
}

void PanelFrame::paintEvent(QPaintEvent* event) {
  QPainter p(this);
  p.fillRect(rect(), palette().window());
  p.end();
  QFrame::paintEvent(event);
  p.begin(this);
  const Rect& r = kPanelRect[image_];
  const QRect area(toLocal(QPoint(r.left, r.top)), QSize(kImageWidth, kImageHeight));
  if (rendered_) {
    // The picture buffer is shown as it lies in the workspace, without a copy.
    const QImage picture(ws_.picture[image_], kImageWidth, kImageHeight, kPictureStride,
                         QImage::Format_BGR888);
    p.drawImage(area.topLeft(), picture);
  } else {
    p.fillRect(area, QColor(96, 96, 96));
    p.setPen(QColor(224, 224, 224));
    p.drawText(area, Qt::AlignCenter,
               image_ == kBlue ? "No blue frame loaded.\nFile > Open Blue Image..."
                               : "No green frame loaded.\nFile > Open Green Image...");
  }
  if (!band_.isEmpty()) {
    // Right and bottom exclusive: the outline covers width x height pixels.
    p.setPen(Qt::white);
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect(toLocal(band_.topLeft()), band_.size() - QSize(1, 1)));
  }
}

}  // namespace orelith::gui
