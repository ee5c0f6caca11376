// The window on Qt's offscreen platform: from construction to the first
// painted window, one panel rendered and painted as an auto update does it,
// a refill of the star list with every star of both images, and the
// colour-magnitude diagram opened and redrawn.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTableView>
#include <cmath>

#include "app/window/CmdWindow.h"
#include "app/window/MainWindow.h"
#include "app/window/PanelFrame.h"
#include "interaction/StartUp.h"
#include "interaction/WindowPort.h"

namespace {

using orelith::Workspace;
using orelith::gui::MainWindow;

Workspace workspace;

// Sees a panel's first paint event; the paint runs before processEvents returns.
class PaintSeen : public QObject {
 public:
  bool seen = false;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) seen = true;
    return false;
  }
};

void BM_StartToFirstPaintedWindow(benchmark::State& state) {
  for (auto _ : state) {
    MainWindow window(workspace);
    PaintSeen paint;
    window.panel(orelith::kBlue)->installEventFilter(&paint);
    window.show();
    while (!paint.seen) QCoreApplication::processEvents();
    QCoreApplication::processEvents();
  }
}
BENCHMARK(BM_StartToFirstPaintedWindow)->Unit(benchmark::kMillisecond);

void BM_RenderAndPaintPanel(benchmark::State& state) {
  MainWindow window(workspace);
  window.show();
  orelith::StartRequest request;
  request.files = {ORELITH_SAMPLES_DIR "/cluster.b", ORELITH_SAMPLES_DIR "/cluster.g"};
  orelith::startWindow(workspace, window.port(), request);
  QCoreApplication::processEvents();
  orelith::gui::PanelFrame* panel = window.panel(orelith::kBlue);
  for (auto _ : state) {
    window.port().repaint(orelith::kBlue);
    panel->repaint();
  }
}
BENCHMARK(BM_RenderAndPaintPanel)->Unit(benchmark::kMillisecond);

void BM_RefillStarList2048Rows(benchmark::State& state) {
  for (int image : {orelith::kBlue, orelith::kGreen}) {
    workspace.starCount[image] = orelith::kMaxStars;
    for (int k = 0; k < orelith::kMaxStars; ++k) {
      orelith::StarRecord& s = orelith::star(workspace, image, k);
      s.brightness = static_cast<std::uint32_t>(1000 + k);
      s.lgBrightness = 3.0f + static_cast<float>(k) / 1000.0f;
      s.partner = -1;
    }
  }
  workspace.progressFlags = orelith::PRG_BLUE_SEARCHED | orelith::PRG_GREEN_SEARCHED;
  MainWindow window(workspace);
  window.show();
  QCoreApplication::processEvents();
  QTableView* list = window.starList();
  for (auto _ : state) {
    window.port().starListChanged();
    list->viewport()->repaint();
  }
  state.counters["rows"] = list->model()->rowCount();
}
BENCHMARK(BM_RefillStarList2048Rows)->Unit(benchmark::kMillisecond);

// A cluster sequence of `count` stars with errors, every tenth flagged and
// every hundredth a calibration star.
std::vector<orelith::CmdStar> clusterSequence(int count) {
  std::vector<orelith::CmdStar> stars;
  for (int k = 0; k < count; ++k) {
    const double v = 9.0 + 8.0 * k / count, bv = 0.1 + 0.12 * (v - 9.0) + 0.05 * std::sin(k);
    stars.push_back({k, k, {bv, v, 0.01 * (v - 8), 0.02 * (v - 8), k % 100 == 0, k % 10 == 0}, {}});
  }
  return stars;
}

// The stars handed over and drawn, as each new calculation does; 2000 stars
// are more than a workspace holds, so they are made here.
void BM_DiagramRedraw2000Stars(benchmark::State& state) {
  orelith::gui::CmdWindow window(nullptr);
  window.show();
  QCoreApplication::processEvents();
  const std::vector<orelith::CmdStar> stars = clusterSequence(2000);
  for (auto _ : state) {
    window.diagram()->setStars(stars, "cluster.b / cluster.g");
    window.diagram()->repaint();
  }
}
BENCHMARK(BM_DiagramRedraw2000Stars)->Unit(benchmark::kMillisecond);

// Opening the window on a full table: 1024 pairs with magnitudes, the
// science computed, the window shown and painted (and hidden again).
void BM_DiagramOpen1024Pairs(benchmark::State& state) {
  for (int image : {orelith::kBlue, orelith::kGreen})
    workspace.starCount[image] = orelith::kMaxStars;
  for (int k = 0; k < orelith::kMaxStars; ++k) {
    orelith::StarRecord& b = orelith::star(workspace, orelith::kBlue, k);
    b.partner = static_cast<std::int16_t>(k);
    orelith::star(workspace, orelith::kGreen, k).partner = static_cast<std::int16_t>(k);
    b.magnitudeV = 9.0f + 8.0f * static_cast<float>(k) / orelith::kMaxStars;
    b.magnitudeB = b.magnitudeV + 0.5f + 0.001f * static_cast<float>(k % 97);
  }
  workspace.progressFlags = orelith::PRG_BLUE_SEARCHED | orelith::PRG_GREEN_SEARCHED |
                            orelith::PRG_COMPARED | orelith::PRG_MAGNITUDES;
  MainWindow window(workspace);
  window.show();
  QCoreApplication::processEvents();
  for (auto _ : state) {
    orelith::gui::CmdWindow* cmd = window.showDiagram();
    QCoreApplication::processEvents();
    cmd->diagram()->repaint();
    state.counters["stars"] = static_cast<double>(cmd->diagram()->stars().size());
    cmd->hide();
  }
}
BENCHMARK(BM_DiagramOpen1024Pairs)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
