#include "app/window/PanelFrame.h"

#include <QImage>
#include <QPainter>

#include "interaction/MainWindowLayout.h"

namespace orelith::gui {

PanelFrame::PanelFrame(const Workspace& ws, int image, QWidget* parent)
    : QFrame(parent), ws_(ws), image_(image) {
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(2);
  // Every pixel of the panel is painted here; Qt need not clear it first.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void PanelFrame::setRubberBand(const QRect& clientRect) {
  band_ = clientRect;
  update();
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
