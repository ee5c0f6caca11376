// The window on Qt's offscreen platform: from construction to the first
// painted window, one panel rendered and painted as an auto update does it,
// and a refill of the star list with every star of both images.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTableView>

#include "app/window/CommandLine.h"
#include "app/window/MainWindow.h"
#include "app/window/PanelFrame.h"
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
  orelith::gui::openCommandLineFiles(
      workspace, window.port(),
      {ORELITH_SAMPLES_DIR "/cluster.b", ORELITH_SAMPLES_DIR "/cluster.g"});
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

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
