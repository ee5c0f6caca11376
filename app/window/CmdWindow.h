// The colour-magnitude diagram on screen: the written plot's picture drawn
// with QPainter at the window's size (report/CmdView.h lays it out), with the
// selected pair ringed, a hover tooltip per star, a click that selects the
// pair, and an export of the written plot as PNG or SVG.
#pragma once

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "report/CmdView.h"

class QPushButton;

namespace orelith::gui {

inline constexpr char kCmdWindowTitle[] = "Colour-magnitude diagram";

class CmdDiagram : public QWidget {
  Q_OBJECT

 public:
  explicit CmdDiagram(QWidget* parent = nullptr);

  void setStars(std::vector<CmdStar> stars, std::string title);
  // The blue star of the selected pair, -1 for none.
  void setSelected(int blueStar);
  const std::vector<CmdStar>& stars() const { return stars_; }
  const std::string& title() const { return title_; }
  int selected() const { return selected_; }
  // Where star `index` is drawn at the current size.
  QPointF position(int index) const;
  // Draws the diagram at the widget's size.
  void paintOn(QPainter& p) const;

 signals:
  void starClicked(int blueStar);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  int starAt(QPointF at) const;

  std::vector<CmdStar> stars_;
  std::string title_;
  CmdView view_{};
  int selected_ = -1;
};

// The non-modal window: the diagram over an "Export..." button.
class CmdWindow : public QWidget {
  Q_OBJECT

 public:
  explicit CmdWindow(QWidget* parent);
  CmdDiagram* diagram() const { return diagram_; }
  QPushButton* exportButton() const { return export_; }

 private:
  void exportPlot();

  CmdDiagram* diagram_;
  QPushButton* export_;
};

}  // namespace orelith::gui
