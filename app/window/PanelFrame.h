// The sunken frame of an image panel: paints the panel's picture buffer in
// place, one screen pixel per picture pixel, and the selection outline; hands
// the wheel, the zoom keys, the middle-button drag and its scroll bars to
// the core's navigation rules.
#pragma once

#include <QFrame>
#include <QRect>

#include "image/Workspace.h"
#include "interaction/WindowPort.h"

class QScrollBar;

namespace orelith::gui {

class PanelFrame : public QFrame {
  Q_OBJECT

 public:
  PanelFrame(Workspace& ws, int image, QWidget* parent);

  // The port the navigation rules report through; set before the first event.
  void attach(WindowPort& port) { port_ = &port; }
  // The picture buffer holds a rendered frame from now on; the scroll bars
  // follow the view it was drawn with.
  void pictureRendered();
  bool hasPicture() const { return rendered_; }
  // The white outline, in client coordinates with right and bottom
  // exclusive; an empty rectangle hides it.
  void setRubberBand(const QRect& clientRect);
  QRect rubberBand() const { return band_; }
  QScrollBar* scrollBar(Qt::Orientation o) const { return o == Qt::Horizontal ? across_ : down_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QPoint toLocal(QPoint client) const { return client - pos(); }
  QPoint toClient(QPointF local) const { return local.toPoint() + pos(); }
  void syncScrollBars();

  Workspace& ws_;
  int image_;
  WindowPort* port_ = nullptr;
  bool rendered_ = false;
  QRect band_;
  QScrollBar* across_ = nullptr;
  QScrollBar* down_ = nullptr;
  int wheelRest_ = 0;  // eighths of a degree short of a whole notch
};

}  // namespace orelith::gui
