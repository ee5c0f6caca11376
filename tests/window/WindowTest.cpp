// The main window on the offscreen platform: built from the control table and driven with
// QTest as a user would.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QSlider>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include "app/window/CommandLine.h"
#include "app/window/MainWindow.h"
#include "interaction/MainWindowLayout.h"
#include "resources/ControlIds.h"
#include "resources/StringTable.h"
#include "tests/support/TestWorkspace.h"

namespace orelith::gui {
namespace {

const std::string kSamples = ORELITH_SAMPLES_DIR;

QString q(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

class Window : public testing::Test {
 protected:
  void SetUp() override {
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

// "Manually" in the algorithm dialog shows the move controls; the drag and the rest of a
// measurement through the widgets are drive-window.sh's, under a real X server.
TEST_F(Window, ArrowsMoveTheGreenImage) {
  loadSamples();
  click(ctl::SearchBlue);
  click(ctl::SearchGreen);
  ws->optionFlags |= OPT_MOVE_MANUALLY;
  for (int id = ctl::Move; id <= ctl::ArrowLeft; ++id) window->port().setVisible(id, true);
  click(ctl::Move);
  click(ctl::ArrowLeft);
  click(ctl::ArrowLeft);
  click(ctl::ArrowUp);
  EXPECT_EQ(std::pair(ws->offsetX, ws->offsetY), std::pair(2, 1));
  EXPECT_EQ(control<QLabel>(ctl::OffsetLabel)->text().toStdString(), "-2|-1");
  EXPECT_EQ(messages, std::vector<std::string>{});
}

}  // namespace
}  // namespace orelith::gui
