// The main window on the offscreen platform: built from the control table,
// driven with QTest as a user would, and compared with orelith-batch.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QSlider>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <fstream>

#include "app/window/CommandLine.h"
#include "app/window/MainWindow.h"
#include "app/window/PanelFrame.h"
#include "interaction/MainWindowLayout.h"
#include "photometry/StarProperties.h"
#include "resources/ControlIds.h"
#include "resources/StringTable.h"
#include "tests/support/Process.h"
#include "tests/support/TestWorkspace.h"

namespace orelith::gui {
namespace {

namespace fs = std::filesystem;
const std::string kSamples = ORELITH_SAMPLES_DIR;

QString q(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

class Window : public testing::Test {
 protected:
  void SetUp() override {
    dir = test::makeTempDir();
    window = std::make_unique<MainWindow>(*ws);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    // A message box would wait for a user: take it down and remember it.
    QObject::connect(&boxes, &QTimer::timeout, [this] {
      for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
          messages.push_back(box->text().toStdString());
          box->accept();
        }
    });
    boxes.start(20);
  }
  void TearDown() override { fs::remove_all(dir); }

  template <typename T = QWidget>
  T* control(int id) {
    return window->client()->findChild<T*>(QString("ctl%1").arg(id));
  }
  void click(int id) { QTest::mouseClick(control(id), Qt::LeftButton); }
  // The sample frames as `orelith cluster.b cluster.g` opens them, with the
  // background the run script gives them.
  void loadSamples() {
    openCommandLineFiles(*ws, window->port(),
                         {q(kSamples + "/cluster.b"), q(kSamples + "/cluster.g")});
    for (int field : {ctl::BackgroundFieldBlue, ctl::BackgroundFieldGreen}) {
      control<QLineEdit>(field)->selectAll();
      QTest::keyClicks(control(field), "1130");
    }
  }

  std::unique_ptr<Workspace> ws = test::makeWorkspace();
  std::unique_ptr<MainWindow> window;
  fs::path dir;
  QTimer boxes;
  std::vector<std::string> messages;
};

QString shownText(QWidget* w) {
  if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
  if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
  if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
  return {};
}

TEST_F(Window, ShowsEveryControlOfTheTableAtItsPlaceWithCaptionAndState) {
  EXPECT_EQ(window->windowTitle(), "Windows-Kelvara");
  EXPECT_EQ(window->minimumSize(), window->maximumSize());
  EXPECT_EQ(window->client()->width(), kClientWidth);
  const auto created = window->client()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
  ASSERT_EQ(created.size(), qsizetype(mainWindowControls().size()));
  int order = 0;
  for (const ControlSpec& entry : mainWindowControls()) {
    SCOPED_TRACE(entry.id);
    QWidget* w = control(entry.id);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(created[order++], w);  // creation order, and so the tab order
    if (entry.kind != ControlKind::StatusBar) {
      EXPECT_EQ(w->geometry(), QRect(entry.x, entry.y, entry.width, entry.height));
    }
    EXPECT_EQ(w->isEnabled(), entry.enabled);
    EXPECT_EQ(w->isVisible(), entry.visible);
    EXPECT_EQ(shownText(w),
              entry.captionString ? q(stringText(entry.captionString)) : q(entry.text));
    EXPECT_FALSE(w->accessibleName().isEmpty());
    if (auto* slider = qobject_cast<QSlider*>(w)) {
      EXPECT_EQ(std::pair(slider->minimum(), slider->maximum()),
                std::pair(entry.rangeMin, entry.rangeMax));
    }
  }
  QStringList menu;
  for (QAction* m : window->menuBar()->actions())
    for (QAction* a : m->menu()->actions())
      menu << (a->isSeparator() ? "-" : a->text() + (a->isEnabled() ? "" : " (greyed)"));
  EXPECT_EQ(menu.join('|'),
            "Open Blue Image...|Open Green Image...|-|Save... (greyed)|-|Exit|"
            "Display...|Algorithm...|Colors...");
  QHeaderView* header = window->starList()->horizontalHeader();
  for (int c = 0; c < kListColumns; ++c) {
    EXPECT_EQ(header->model()->headerData(c, Qt::Horizontal), q(stringText(str::ColumnFirst + c)));
    EXPECT_EQ(header->sectionSize(c), kListColumnWidth[c]);
  }
  for (int part = 0; part < 3; ++part)
    EXPECT_EQ(window->statusPart(part)->geometry().right() + 1, kStatusPartEdges[part]);
}

// The same steps as orelith-batch's, given with the pointer and keyboard.
TEST_F(Window, MeasurementThroughTheWidgetsWritesTheBatchReport) {
  loadSamples();
  click(ctl::SearchBlue);
  click(ctl::SearchGreen);
  click(ctl::CompareImages);
  std::ifstream calibration(kSamples + "/calibration.csv");
  std::string line;
  std::getline(calibration, line);
  for (int x, y; std::getline(calibration, line);) {
    char v[16], bv[16];
    ASSERT_EQ(std::sscanf(line.c_str(), "%d,%d,%15[^,],%15s", &x, &y, v, bv), 4);
    // A click on the star in the blue panel selects it and its partner.
    QTest::mouseClick(window->panel(kBlue), Qt::LeftButton, {}, QPoint(2 + x, 2 + y));
    StarPropertiesDialog d = openStarProperties(*ws);
    starPropertiesCalibrationClicked(d, true);
    starPropertiesTextChanged(d, props::VMagnitude, v);
    starPropertiesTextChanged(d, props::BMinusV, bv);
    starPropertiesOk(*ws, window->port(), d);
  }
  click(ctl::CalculateMagnitudes);
  ws->optionFlags |= OPT_COMPLEX_OUTPUT;  // as the display dialog's "Complex output"
  const fs::path saved = dir / "window.html";
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    dialog->selectFile(QString::fromStdString(saved.string()));
    static_cast<QDialog*>(dialog)->accept();
  });
  window->menuAction(menu::Save)->trigger();
  const std::string batchArgs =
      "--blue " + kSamples + "/cluster.b --green " + kSamples + "/cluster.g" +
      " --background-blue 1130 --background-green 1130 --search --compare --calibration " +
      kSamples + "/calibration.csv --calculate --complex --html batch.html";
  ASSERT_EQ(test::runIn(dir, ORELITH_BATCH, batchArgs), 0);
  EXPECT_TRUE(test::readText(saved) == test::readText(dir / "batch.html"));
  EXPECT_EQ(messages, std::vector<std::string>{});
}

TEST_F(Window, DragOverTheBluePanelAndArrowsReachTheCore) {
  loadSamples();
  // Image pixels (10, 20) to (100, 200): the frame's edge is 2 pixels wide.
  PanelFrame* blue = window->panel(kBlue);
  QTest::mousePress(blue, Qt::LeftButton, {}, QPoint(12, 22));
  QTest::mouseMove(blue, QPoint(102, 202));
  EXPECT_FALSE(blue->rubberBand().isEmpty());
  QTest::mouseRelease(blue, Qt::LeftButton, {}, QPoint(102, 202));
  EXPECT_EQ(ws->searchRect[kGreen].right, 101);
  EXPECT_EQ(ws->searchRect[kBlue].top, 20);
  click(ctl::SearchBlue);
  click(ctl::SearchGreen);
  // "Manually" in the algorithm dialog shows the move controls.
  ws->optionFlags |= OPT_MOVE_MANUALLY;
  for (int id = ctl::Move; id <= ctl::ArrowLeft; ++id) window->port().setVisible(id, true);
  click(ctl::Move);
  ASSERT_TRUE(control(ctl::ArrowLeft)->isEnabled());
  click(ctl::ArrowLeft);
  click(ctl::ArrowLeft);
  click(ctl::ArrowUp);
  EXPECT_EQ(std::pair(ws->offsetX, ws->offsetY), std::pair(2, 1));
  EXPECT_EQ(control<QLabel>(ctl::OffsetLabel)->text().toStdString(), "-2|-1");
  EXPECT_EQ(messages, std::vector<std::string>{});
}

TEST(WindowProgram, ClosesThroughExitUnderAnXServer) {
  if (std::system("command -v xvfb-run >/dev/null && command -v xdotool >/dev/null") != 0)
    GTEST_SKIP() << "xvfb-run and xdotool are not installed (tools/setup.sh installs them)";
  const fs::path dir = test::makeTempDir();
  // A real window on the X server, not on the other tests' offscreen
  // platform; the sanitizer build's leak check passes over what D-Bus keeps.
  const std::string env = std::string("QT_QPA_PLATFORM=xcb LSAN_OPTIONS=suppressions=") +
                          ORELITH_LSAN_SUPPRESSIONS + ":print_suppressions=0";
  const int status = test::runIn(dir, "env",
                                 env + " timeout 90 xvfb-run -a bash " + ORELITH_CLOSE_WINDOW +
                                     " " + ORELITH_PROGRAM + " Windows-Kelvara");
  EXPECT_EQ(status, 0) << test::readText(dir / "out.txt") << test::readText(dir / "err.txt");
  fs::remove_all(dir);
}

}  // namespace
}  // namespace orelith::gui
