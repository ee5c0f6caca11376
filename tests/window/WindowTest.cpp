// The main window and the dialogs on the offscreen platform: built from the core's control
// tables and driven with QTest as a user would.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <atomic>
#include <chrono>
#include <clocale>
#include <cmath>
#include <functional>
#include <set>
#include <stdexcept>
#include <thread>
#include <tuple>

#include "app/dialogs/DialogWindow.h"
#include "app/window/BusyCursor.h"
#include "app/window/CmdWindow.h"
#include "app/window/MainWindow.h"
#include "app/window/PanelFrame.h"
#include "app/window/StarListModel.h"
#include "display/PanelView.h"
#include "interaction/DialogModel.h"
#include "interaction/MainWindowLayout.h"
#include "interaction/StartUp.h"
#include "resources/ControlIds.h"
#include "resources/StringTable.h"
#include "tests/support/RecordingPort.h"
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
  T* control(ControlId id) {
    return window->client()->findChild<T*>(QString("ctl%1").arg(idNumber(id)));
  }
  void click(ControlId id) { QTest::mouseClick(control(id), Qt::LeftButton); }
  // The sample frames as `orelith cluster.b cluster.g` opens them, with the
  // background the run script gives them.
  void loadSamples() {
    StartRequest request;
    request.files = {kSamples + "/cluster.b", kSamples + "/cluster.g"};
    startWindow(*ws, window->port(), request);
    for (ControlId field : {ctl::BackgroundFieldBlue, ctl::BackgroundFieldGreen}) {
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
    SCOPED_TRACE(idNumber(entry.id));
    QWidget* w = control(entry.id);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(created[order++], w);  // creation order, and so the tab order
    if (entry.kind != ControlKind::StatusBar) {
      EXPECT_EQ(w->geometry(), QRect(entry.x, entry.y, entry.width, entry.height));
    }
    EXPECT_EQ(w->isEnabled(), entry.enabled);
    EXPECT_EQ(w->isVisible(), entry.visible);
    EXPECT_EQ(shownText(w), entry.captionString != kNoString ? q(stringText(entry.captionString))
                                                             : q(entry.text));
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
  EXPECT_EQ(
      menu.join('|'),
      "Open Blue Image...|Open Green Image...|Import calibration stars...|-|"
      "Save... (greyed)|Export CSV table...|-|Exit|Display...|Algorithm...|Colors...|Photometry...|"
      "Colour-magnitude diagram|Orelith Help|About Orelith");
  QHeaderView* header = window->starList()->horizontalHeader();
  for (int c = 0; c < kListColumns; ++c) {
    EXPECT_EQ(header->model()->headerData(c, Qt::Horizontal),
              q(stringText(stringAfter(str::ColumnFirst, c))));
    EXPECT_EQ(header->sectionSize(c), kListColumnWidth[c]);
  }
  for (int part = 0; part < 3; ++part)
    EXPECT_EQ(window->statusPart(part)->geometry().right() + 1, kStatusPartEdges[part]);
  // The pictures are linked in: four different 12 x 12 arrows and the icon.
  EXPECT_FALSE(window->windowIcon().availableSizes().isEmpty());
  std::set<std::string> arrows;
  for (ControlId id : {ctl::ArrowUp, ctl::ArrowRight, ctl::ArrowDown, ctl::ArrowLeft}) {
    const QImage arrow = control<QAbstractButton>(id)->icon().pixmap(12, 12).toImage();
    ASSERT_EQ(arrow.size(), QSize(12, 12)) << idNumber(id);
    arrows.emplace(reinterpret_cast<const char*>(arrow.constBits()), arrow.sizeInBytes());
  }
  EXPECT_EQ(arrows.size(), 4u);
}

using Shown = std::tuple<int, std::string, bool, bool>;  // id, caption or text, checked, enabled

// Found by object name, as a screen reader or a test script would.
template <class Id>
QWidget* widget(const DialogWindow& d, Id id) {
  auto* w = d.findChild<QWidget*>(QString("%1_%2").arg(d.objectName()).arg(idNumber(id)));
  EXPECT_NE(w, nullptr) << idNumber(id);
  return w;
}

template <class Id>
Shown shown(const DialogWindow& d, Id id) {
  QWidget* w = widget(d, id);
  auto* box = qobject_cast<QAbstractButton*>(w);
  return {idNumber(id), shownText(w).toStdString(), box && box->isChecked(), w->isEnabled()};
}

template <class Id>
void retype(const DialogWindow& d, Id id, const char* keys) {
  auto* e = qobject_cast<QLineEdit*>(widget(d, id));
  e->selectAll();
  if (*keys == '\0') QTest::keyClick(e, Qt::Key_Delete);
  QTest::keyClicks(e, keys);
}

// Near the left edge, where a check box's indicator and caption are.
template <class Id>
void click(const DialogWindow& d, Id id) {
  QWidget* w = widget(d, id);
  QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(8, w->height() / 2));
}

class Dialogs : public ::testing::Test {
 protected:
  std::unique_ptr<DialogWindow> open(DialogId dialog, int selectedBlue = 4) {
    ws->selectedStar[kBlue] = selectedBlue;
    ws->selectedStar[kGreen] = selectedBlue + 100;
    auto d = makeDialog(dialog, *ws, port, nullptr);
    d->show();
    return d;
  }
  std::unique_ptr<Workspace> ws = test::twentyPairs();
  test::RecordingPort port;
};

// Each dialog shows its title and every item of its layout inside its fixed size, each caption
// the layout gives, and each control as its model holds it (the models' rules are
// MainWindowTest's).
TEST_F(Dialogs, DrawTheirLayoutAndTheirModel) {
  ws->optionFlags = OPT_PAIR_ENTRY;
  star(*ws, kBlue, 4).marks = MARK_CALIBRATION;
  for (DialogId id :
       {dlg::Algorithm, dlg::Display, dlg::StarProperties, dlg::Colors, dlg::Photometry}) {
    auto d = open(id);
    const DialogLayout& layout = *dialogLayout(id);
    EXPECT_EQ(d->windowTitle().toStdString(), layout.title);
    EXPECT_EQ(d->minimumSize(), d->maximumSize()) << "fixed size";
    for (const QWidget* w : d->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
      EXPECT_TRUE(d->rect().contains(w->geometry())) << w->objectName().toStdString();
    for (const DialogItem& item : layout.items) {
      EXPECT_TRUE(item.id == 0 || item.text.empty() || std::get<1>(shown(*d, item.id)) == item.text)
          << item.text;
    }
    const auto model = openDialogModel(id, *ws, port);
    for (const DialogControl& c : model->controls()) {
      const auto [number, text, checked, enabled] = shown(*d, c.id);
      EXPECT_EQ(std::pair(checked, enabled), std::pair(c.checked, c.enabled)) << number;
      EXPECT_TRUE(c.text.empty() || text == c.text) << number << " " << text;
    }
  }
}

// Cancel, Escape and the close box close a dialog without its OK (which the models' tests show
// writes nothing); a refused OK (no V for a calibration star) keeps it open.
TEST_F(Dialogs, CancelEscapeAndTheCloseBoxClose) {
  const auto cancel = [](DialogWindow& d) { click(d, idNumber(algodlg::Cancel)); };
  const auto escape = [](DialogWindow& d) { QTest::keyClick(&d, Qt::Key_Escape); };
  const auto closeBox = [](DialogWindow& d) { d.close(); };
  const auto refusedOk = [](DialogWindow& d) {
    click(d, props::CalibrationStar);
    click(d, props::Ok);
  };
  const std::tuple<DialogId, std::function<void(DialogWindow&)>, bool> rows[] = {
      {dlg::Algorithm, cancel, false},
      {dlg::Display, escape, false},
      {dlg::Colors, closeBox, false},
      {dlg::StarProperties, refusedOk, true}};
  for (const auto& [dialog, close, open] : rows) {
    auto d = this->open(dialog);
    if (dialog == dlg::Display) retype(*d, displaydlg::Frequency, "5");
    close(*d);
    EXPECT_EQ(d->isVisible(), open) << idNumber(dialog);
  }
  EXPECT_EQ(port.messages(), std::vector{str::EnterVMagnitude});
  EXPECT_EQ(ws->display.autoUpdateFrequency, 5) << "the frequency is not undone";
}

// The photometry dialog's two choices are radio buttons of one dialog, each pair a choice of
// its own: the method's click leaves the model's choice alone.
TEST_F(Dialogs, EachRadioPairIsAChoiceOfItsOwn) {
  auto d = open(dlg::Photometry);
  click(*d, photodlg::Transform);
  click(*d, photodlg::Aperture);
  for (auto [id, on] : {std::pair{photodlg::Sum, false},
                        {photodlg::Aperture, true},
                        {photodlg::Curves, false},
                        {photodlg::Transform, true}})
    EXPECT_EQ(std::get<2>(shown(*d, id)), on) << idNumber(id);
  click(*d, photodlg::Ok);
  EXPECT_TRUE(ws->science.aperture && ws->science.transform && !d->isVisible());
}

// The room a control gives its caption, by the style's own measure.
int captionRoom(QWidget* w) {
  QStyleOptionButton o;
  o.initFrom(w);
  const auto contents = [&](QStyle::SubElement e) { return w->style()->subElementRect(e, &o, w); };
  if (qobject_cast<QCheckBox*>(w)) return contents(QStyle::SE_CheckBoxContents).width();
  if (qobject_cast<QRadioButton*>(w)) return contents(QStyle::SE_RadioButtonContents).width();
  if (qobject_cast<QPushButton*>(w)) return contents(QStyle::SE_PushButtonContents).width();
  if (qobject_cast<QGroupBox*>(w)) return w->width() - 16;  // the title's indent on each side
  return w->contentsRect().width();
}

// No caption is cut off at the given geometry, in the window or a dialog.
TEST_F(Dialogs, EveryCaptionShowsWhole) {
  MainWindow main(*ws);
  QList<QWidget*> widgets = main.client()->findChildren<QWidget*>();
  std::vector<std::unique_ptr<DialogWindow>> dialogs;
  for (DialogId id :
       {dlg::Algorithm, dlg::Display, dlg::StarProperties, dlg::Colors, dlg::Photometry}) {
    dialogs.push_back(open(id));
    widgets += dialogs.back()->findChildren<QWidget*>();
  }
  for (QWidget* w : widgets) {
    const QString text = shownText(w).isEmpty() && qobject_cast<QGroupBox*>(w)
                             ? static_cast<QGroupBox*>(w)->title()
                             : shownText(w);
    if (qobject_cast<QLineEdit*>(w) || text.isEmpty()) continue;
    int widest = 0;
    for (const QString& line : text.split('\n'))
      widest = std::max(widest, w->fontMetrics().horizontalAdvance(line));
    EXPECT_LE(widest, captionRoom(w)) << w->objectName().toStdString() << " " << text.toStdString();
  }
}

// ctest runs this program under a German locale, whose decimal comma the C
// library would read and write (the dialog's own texts are checked above).
// The keys of the commands used most, pressed on the window, open what their
// menu items open (a file dialog, closed again and named here; the boxes of
// the Help menu, which the fixture takes down).
// A command shows the wait cursor while it works, the ordinary one over a box
// it opens (even within a nested command) and none once it is done.
TEST(BusyCursor, WaitsButNotOverABox) {
  auto shape = [] {
    const QCursor* c = QApplication::overrideCursor();
    return c == nullptr ? -1 : int(c->shape());
  };
  std::vector<int> seen;
  {
    const BusyCursor busy;
    seen.push_back(shape());
    {
      const BusyCursor nested;
      QMessageBox box(QMessageBox::Warning, "Orelith", "text", QMessageBox::Ok);
      QTimer::singleShot(0, &box, [&] {
        seen.push_back(shape());
        box.accept();
      });
      box.exec();
      seen.push_back(shape());
    }
    seen.push_back(shape());
  }
  seen.push_back(shape());
  EXPECT_EQ(seen, (std::vector<int>{Qt::WaitCursor, -1, Qt::WaitCursor, Qt::WaitCursor, -1}));
}

TEST_F(Window, ShortcutsAndTheHelpMenu) {
  for (auto [key, opens] : {std::pair{Qt::CTRL | Qt::Key_O, "Open blue image"},
                            std::pair{Qt::CTRL | Qt::SHIFT | Qt::Key_O, "Open green image"}}) {
    QString opened = "nothing";
    QTimer::singleShot(100, [&] {
      if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        opened = d->windowTitle();
        d->reject();
      }
    });
    QApplication::setActiveWindow(window.get());  // the offscreen platform's activation lags
    QTest::keyClick(window.get(), key.key(), key.keyboardModifiers());
    EXPECT_EQ(opened, opens);
  }
  QApplication::setActiveWindow(window.get());
  QTest::keyClick(window.get(), Qt::Key_F1);
  window->findChild<QAction*>("menuAbout")->trigger();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(q(messages[0]), q(stringText(str::HelpText)));
  EXPECT_NE(messages[1].find("Orelith 0."), std::string::npos) << messages[1];
  EXPECT_NE(messages[1].find("GNU General Public License"), std::string::npos);
}

// A 2048 x 2048 frame, fitted at first (zoom 242 / 2048, no scroll bars): a wheel notch zooms
// to the next step 1/8, "1" to 1:1 with both bars over the panel's edges (ranges 2048 - 375
// and 2048 - 242), a middle drag of (-20, -10) moves the frame's corner by (20, 10), the bar
// sets the left column, "0" fits again.
TEST_F(Window, PanelsZoomAndPanALargeFrame) {
  resizeFrame(*ws, kBlue, 2048, 2048);
  ws->progressFlags |= PRG_BLUE_LOADED;
  ws->searchRect[kBlue] = wholeImage(*ws, kBlue);
  window->port().repaint(kBlue);
  PanelFrame* panel = window->panel(kBlue);
  QScrollBar* across = panel->scrollBar(Qt::Horizontal);
  QScrollBar* down = panel->scrollBar(Qt::Vertical);
  EXPECT_EQ(across->objectName(), "ctl1_hscroll");
  EXPECT_FALSE(down->accessibleName().isEmpty());
  EXPECT_FALSE(across->isVisible());
  const QPointF at(100, 100);
  QWheelEvent wheel(at, panel->mapToGlobal(at), {}, {0, 120}, Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(panel, &wheel);
  EXPECT_EQ(currentView(*ws, kBlue).zoom, 0.125);
  QTest::keyClick(panel, Qt::Key_1);
  const PanelView one = currentView(*ws, kBlue);
  EXPECT_EQ(one.zoom, 1.0);
  ASSERT_TRUE(across->isVisible() && down->isVisible());
  EXPECT_EQ(std::pair(across->maximum(), down->maximum()), std::pair(1673, 1806));
  const auto mouse = [&](QEvent::Type type, QPointF p, Qt::MouseButton b, Qt::MouseButtons held) {
    QMouseEvent e(type, p, panel->mapToGlobal(p), b, held, Qt::NoModifier);
    QApplication::sendEvent(panel, &e);
  };
  mouse(QEvent::MouseButtonPress, {100, 100}, Qt::MiddleButton, Qt::MiddleButton);
  mouse(QEvent::MouseMove, {80, 90}, Qt::NoButton, Qt::MiddleButton);
  mouse(QEvent::MouseButtonRelease, {80, 90}, Qt::MiddleButton, Qt::NoButton);
  EXPECT_EQ(currentView(*ws, kBlue), (PanelView{1, one.left + 20, one.top + 10}));
  EXPECT_EQ(across->value(), std::lround(one.left + 20));  // the thumb at the nearest column
  across->setValue(500);
  EXPECT_EQ(currentView(*ws, kBlue).left, 500);
  QTest::keyClick(panel, Qt::Key_0);
  EXPECT_EQ(currentView(*ws, kBlue), fittedView(2048, 2048));
  EXPECT_FALSE(across->isVisible() || down->isVisible());
}

TEST_F(Window, MagnitudesKeepTheirDecimalsUnderACommaLocale) {
  if (std::string_view(qgetenv("LC_ALL").constData()).starts_with("de_DE")) {
    ASSERT_STREQ(std::localeconv()->mon_decimal_point, ",") << "the German locale is missing";
  }
  loadSamples();
  for (ControlId id : {ctl::SearchBlue, ctl::SearchGreen, ctl::CompareImages}) click(id);
  QTableView* list = window->starList();
  const char* typed[3][2] = {{"9.1640", "0.0687"}, {"9.4359", "0.0419"}, {"9.9615", "0.0986"}};
  for (int row = 0; row < 3; ++row) {
    // "Star properties" of a double-clicked row, as a user fills it in once it shows (the
    // pair's science is computed first).
    QTimer filler;
    QObject::connect(&filler, &QTimer::timeout, [&] {
      auto* d = dynamic_cast<DialogWindow*>(qApp->activeModalWidget());
      if (d == nullptr) return;
      filler.stop();
      gui::click(*d, props::CalibrationStar);
      retype(*d, props::VMagnitude, typed[row][0]);
      retype(*d, props::BMinusV, typed[row][1]);
      gui::click(*d, props::Ok);
    });
    filler.start(1);
    const QPoint at = list->visualRect(list->model()->index(row, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
  }
  bool worked = false;  // the science ran while the window's loop went on
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] { worked = worked || window->working(); });
  watch.start(1);
  click(ctl::CalculateMagnitudes);
  EXPECT_TRUE(worked);
  EXPECT_EQ(star(*ws, kBlue, window->listModel()->key(0).blue).magnitudeV, 9.164f);
  const QString cell = list->model()->index(5, 7).data().toString();
  EXPECT_TRUE(QRegularExpression("^ *-?\\d+\\.\\d/ *-?\\d+\\.\\d$").match(cell).hasMatch())
      << cell.toStdString();
  // Three stars through three coefficients: the warnings' box says what that is worth.
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("not monotonic"), std::string::npos) << messages[0];
}

// Work runs on a thread of its own while the window's loop goes on (a large pair's science
// takes seconds); a close meanwhile is refused, and a failure of the work reaches the caller.
TEST_F(Window, WorkRunsBesideTheEventLoop) {
  std::atomic<int> ticks = 0;
  std::atomic<bool> closeTried = false;
  bool closed = true;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
  ticker.start(1);
  auto waitFor = [](auto done) {  // up to 20 s on a slow machine
    for (int i = 0; i < 20000 && !done(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  };
  std::thread::id worker;
  window->whileWorking([&] {
    worker = std::this_thread::get_id();
    waitFor([&] { return ticks >= 3; });
    QMetaObject::invokeMethod(
        window.get(),
        [&] {
          closed = window->close();
          closeTried = true;
        },
        Qt::QueuedConnection);
    waitFor([&] { return closeTried.load(); });
  });
  EXPECT_NE(worker, std::this_thread::get_id());
  EXPECT_GE(ticks, 3);
  EXPECT_TRUE(closeTried);
  EXPECT_FALSE(closed);
  EXPECT_TRUE(window->isVisible());
  EXPECT_THROW(window->whileWorking([] { throw std::runtime_error("no memory"); }),
               std::runtime_error);
  EXPECT_FALSE(window->working());
}

TEST_F(Window, DiagramDrawsEachPairWhereItBelongsAndSelectsBothWays) {
  loadSamples();
  for (ControlId id : {ctl::SearchBlue, ctl::SearchGreen, ctl::CompareImages}) click(id);
  // Magnitudes growing with the star number, the colour falling with it.
  for (int k = 0; k < ws->starCount[kBlue]; ++k) {
    star(*ws, kBlue, k).magnitudeV = 9.0f + 0.1f * float(k);
    star(*ws, kBlue, k).magnitudeB = 10.5f - 0.02f * float(k);
  }
  ws->progressFlags |= PRG_CALIBRATION_STAR | PRG_MAGNITUDES;
  window->port().starListChanged();
  CmdDiagram* diagram = window->showDiagram()->diagram();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window->diagramWindow()));
  EXPECT_EQ(window->diagramWindow()->windowTitle(), "Colour-magnitude diagram");
  const std::vector<CmdStar>& stars = diagram->stars();
  ASSERT_GT(stars.size(), 10u);
  const QImage picture = diagram->grab().toImage();
  for (std::size_t i = 1; i < stars.size(); ++i) {
    const QPointF at = diagram->position(int(i)), before = diagram->position(int(i) - 1);
    // Fainter and bluer: lower and further left; a mark is drawn there.
    EXPECT_GT(at.y(), before.y());
    EXPECT_LT(at.x(), before.x());
    if (!stars[i].point.flagged) {
      EXPECT_LT(qGray(picture.pixel(at.toPoint())), 128) << i;
    }
  }
  const int pick = int(stars.size()) / 2;
  QTest::mouseClick(diagram, Qt::LeftButton, {}, diagram->position(pick).toPoint());
  EXPECT_EQ(ws->selectedStar[kBlue], stars[std::size_t(pick)].blue);
  const QModelIndexList rows = window->starList()->selectionModel()->selectedRows();
  ASSERT_EQ(rows.size(), 1);
  EXPECT_EQ(window->listModel()->key(rows[0].row()).blue, stars[std::size_t(pick)].blue);
  QTableView* list = window->starList();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                    list->visualRect(list->model()->index(2, 0)).center());
  EXPECT_EQ(diagram->selected(), window->listModel()->key(2).blue);
}

}  // namespace
}  // namespace orelith::gui
