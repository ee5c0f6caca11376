#include "app/window/CmdWindow.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QToolTip>
#include <QVBoxLayout>
#include <array>

#include "resources/StringTable.h"

namespace orelith::gui {
namespace {

// As the written plot draws them.
const QColor kCalibrationRed(204, 0, 0);
const QColor kBarGrey(128, 128, 128);
const QColor kSelectionBlue(0, 90, 220);
constexpr double kReach = 6.0;  // how near the pointer must come to a star

QString fromView(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }
QString fromUtf8(const std::string& s) { return fromView(s); }

void drawMark(QPainter& p, QPointF c, bool calibration, bool flagged) {
  const QColor colour = calibration ? kCalibrationRed : Qt::black;
  p.setPen(QPen(colour, 1.0));
  p.setBrush(flagged ? QBrush(Qt::white) : QBrush(colour));
  if (calibration) {
    const double r = kCmdMarker + 1;
    p.drawRect(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r));
  } else {
    p.drawEllipse(c, kCmdMarker, kCmdMarker);
  }
}

// The marks' pictures: kMarkHalf pixels each side of the star's centre.
constexpr int kMarkHalf = 6;

const QPixmap& markPicture(bool calibration, bool flagged) {
  static const std::array<QPixmap, 4> pictures = [] {
    std::array<QPixmap, 4> out;
    for (int kind = 0; kind < 4; ++kind) {
      QPixmap& picture = out[std::size_t(kind)];
      picture = QPixmap(2 * kMarkHalf, 2 * kMarkHalf);
      picture.fill(Qt::transparent);
      QPainter p(&picture);
      p.setRenderHint(QPainter::Antialiasing);
      drawMark(p, QPointF(kMarkHalf, kMarkHalf), kind & 1, kind & 2);
    }
    return out;
  }();
  return pictures[std::size_t((calibration ? 1 : 0) | (flagged ? 2 : 0))];
}

void drawSelection(QPainter& p, QPointF c) {
  p.setPen(QPen(kSelectionBlue, 2.0));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(c, 2.5 * kCmdMarker, 2.5 * kCmdMarker);
}

void drawText(QPainter& p, const QString& s, double x, double y, double alignX) {
  const double w = p.fontMetrics().horizontalAdvance(s);
  p.drawText(QPointF(x - alignX * w, y), s);
}

void drawAxes(QPainter& p, const CmdView& v, const QString& title, QSizeF size) {
  p.setPen(QPen(Qt::black, 1.0));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRectF(v.left, v.top, v.right - v.left, v.bottom - v.top));
  QFont font("sans-serif");
  font.setPixelSize(12);
  p.setFont(font);
  for (const CmdTick& t : cmdTicksBV(v)) {
    p.drawLine(QPointF(t.at, v.bottom), QPointF(t.at, v.bottom - 6));
    drawText(p, fromUtf8(t.label), t.at, v.bottom + 16, 0.5);
  }
  for (const CmdTick& t : cmdTicksV(v)) {
    p.drawLine(QPointF(v.left, t.at), QPointF(v.left + 6, t.at));
    drawText(p, fromUtf8(t.label), v.left - 6, t.at + 4, 1.0);
  }
  drawText(p, "B-V", (v.left + v.right) / 2, size.height() - 20, 0.5);
  drawText(p, "V", 20, (v.top + v.bottom) / 2, 0.5);
  for (const CmdLegendEntry& e : cmdLegend(size.width(), size.height())) {
    const QPointF c(e.markX, e.markY);
    if (e.kind == CmdLegendKind::Selected)
      drawSelection(p, c);
    else
      drawMark(p, c, e.kind == CmdLegendKind::Calibration, e.kind == CmdLegendKind::Flagged);
    p.setPen(Qt::black);
    drawText(p, e.text, e.textX + (e.kind == CmdLegendKind::Selected ? 5 : 0), e.textY, 0.0);
  }
  font.setPixelSize(14);
  p.setFont(font);
  drawText(p, title, size.width() / 2.0, 24, 0.5);
}

}  // namespace

CmdDiagram::CmdDiagram(QWidget* parent) : QWidget(parent) {
  setObjectName("cmdDiagram");
  setAccessibleName("Colour-magnitude diagram");
  setMouseTracking(true);
  setMinimumSize(480, 360);
  setAttribute(Qt::WA_OpaquePaintEvent);
  view_ = cmdView(stars_, width(), height());
}

void CmdDiagram::setStars(std::vector<CmdStar> stars, std::string title) {
  stars_ = std::move(stars);
  title_ = std::move(title);
  view_ = cmdView(stars_, width(), height());
  update();
}

void CmdDiagram::setSelected(int blueStar) {
  if (blueStar == selected_) return;
  selected_ = blueStar;
  update();
}

QPointF CmdDiagram::position(int index) const {
  const CmdPlotPoint& p = stars_[static_cast<std::size_t>(index)].point;
  return {view_.x(p.bv), view_.y(p.v)};
}

void CmdDiagram::paintOn(QPainter& p) const {
  p.fillRect(rect(), Qt::white);
  p.setRenderHint(QPainter::Antialiasing);
  drawAxes(p, view_, fromUtf8(title_), size());
  p.save();
  p.setClipRect(QRectF(view_.left, view_.top, view_.right - view_.left, view_.bottom - view_.top));
  // Thousands of stars: the bars in one call, each mark a copy of one
  // picture drawn beforehand.
  QVector<QLineF> bars;
  for (const CmdStar& s : stars_) {
    const CmdMark m = cmdMark(view_, s.point);
    if (m.barLeft != m.barRight) bars.append(QLineF(m.barLeft, m.y, m.barRight, m.y));
    if (m.barTop != m.barBottom) bars.append(QLineF(m.x, m.barTop, m.x, m.barBottom));
  }
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(QPen(kBarGrey, 1.0));
  p.drawLines(bars);
  int selectedIndex = -1;
  for (std::size_t i = 0; i < stars_.size(); ++i) {
    const CmdStar& s = stars_[i];
    const QPixmap& mark = markPicture(s.point.calibration, s.point.flagged);
    p.drawPixmap(position(static_cast<int>(i)) - QPointF(kMarkHalf, kMarkHalf), mark);
    if (s.blue == selected_) selectedIndex = static_cast<int>(i);
  }
  p.setRenderHint(QPainter::Antialiasing);
  if (selectedIndex >= 0) drawSelection(p, position(selectedIndex));
  p.restore();
}

void CmdDiagram::paintEvent(QPaintEvent*) {
  QPainter p(this);
  paintOn(p);
}

int CmdDiagram::starAt(QPointF at) const {
  return cmdStarAt(view_, stars_, at.x(), at.y(), kReach);
}

void CmdDiagram::mouseMoveEvent(QMouseEvent* event) {
  const int i = starAt(event->position());
  if (i < 0) {
    QToolTip::hideText();
    return;
  }
  QToolTip::showText(event->globalPosition().toPoint(),
                     fromUtf8(cmdStarText(stars_[static_cast<std::size_t>(i)])), this);
}

void CmdDiagram::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  if (const int i = starAt(event->position()); i >= 0)
    emit starClicked(stars_[static_cast<std::size_t>(i)].blue);
}

void CmdDiagram::resizeEvent(QResizeEvent*) { view_ = cmdView(stars_, width(), height()); }

CmdWindow::CmdWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("cmdWindow");
  setWindowTitle(kCmdWindowTitle);
  setAccessibleName(kCmdWindowTitle);
  auto* layout = new QVBoxLayout(this);
  diagram_ = new CmdDiagram(this);
  export_ = new QPushButton("&Export...", this);
  export_->setObjectName("cmdExport");
  export_->setAccessibleName("Export the diagram");
  export_->setToolTip("Save the diagram as a PNG picture or an SVG drawing");
  layout->addWidget(diagram_, 1);
  layout->addWidget(export_, 0, Qt::AlignRight);
  connect(export_, &QPushButton::clicked, this, [this] { exportPlot(); });
  resize(kPlotWidth + 20, kPlotHeight + 60);
}

// The written plot of the batch tool's --plot-cmd, so both files are equal.
void CmdWindow::exportPlot() {
  const QString png = "PNG picture (*.png)", svg = "SVG drawing (*.svg)";
  QString filter = png;
  QString name =
      QFileDialog::getSaveFileName(this, "Export the diagram", {}, png + ";;" + svg, &filter);
  if (name.isEmpty()) return;
  if (!name.endsWith(".png", Qt::CaseInsensitive) && !name.endsWith(".svg", Qt::CaseInsensitive))
    name += filter == svg ? ".svg" : ".png";
  std::vector<CmdPlotPoint> points;
  for (const CmdStar& s : diagram_->stars()) points.push_back(s.point);
  StringId message{};
  if (plotCmd(points, diagram_->title(), name.toStdString(), message)) return;
  QMessageBox::warning(this, fromView(kErrorCaption), fromView(stringText(message)));
}

}  // namespace orelith::gui
