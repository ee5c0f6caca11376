// The sunken frame of an image panel: paints the panel's picture buffer in
// place, one screen pixel per image pixel, and the selection outline.
#pragma once

#include <QFrame>
#include <QRect>

#include "image/Workspace.h"

namespace orelith::gui {

class PanelFrame : public QFrame {
  Q_OBJECT

 public:
  PanelFrame(const Workspace& ws, int image, QWidget* parent);

  // The picture buffer holds a rendered frame from now on.
  void pictureRendered() { rendered_ = true; }
  bool hasPicture() const { return rendered_; }
  // The white outline, in client coordinates with right and bottom
  // exclusive; an empty rectangle hides it.
  void setRubberBand(const QRect& clientRect);
  QRect rubberBand() const { return band_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QPoint toLocal(QPoint client) const { return client - pos(); }

  const Workspace& ws_;
  int image_;
  bool rendered_ = false;
  QRect band_;
};

}  // namespace orelith::gui
