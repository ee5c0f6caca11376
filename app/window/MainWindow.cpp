#include "app/window/MainWindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QEventLoop>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QTableView>
#include <QTimer>
#include <QToolTip>
#include <exception>
#include <string>
#include <thread>
#include <utility>

#include "app/window/BusyCursor.h"
#include "app/window/CmdWindow.h"
#include "app/window/ControlFactory.h"
#include "app/window/PanelFrame.h"
#include "app/window/PointerFilter.h"
#include "app/window/QtWindowPort.h"
#include "app/window/StarListModel.h"
#include "interaction/MainWindowLayout.h"
#include "interaction/Selection.h"
#include "interaction/StepStatus.h"
#include "photometry/FlagText.h"
#include "resources/ControlIds.h"
#include "resources/StringTable.h"

// The arrow pictures and icons are compiled into the window library, whose
// resource table no code names: without this call the linker leaves it out
// of the program. Outside any namespace, as Q_INIT_RESOURCE requires.
static void initWindowResources() { Q_INIT_RESOURCE(window); }

namespace orelith::gui {
namespace {

CommandEvent clicked(ControlId id, bool checked = false) {
  return {id, CommandCode::Clicked, checked, {}};
}

}  // namespace

MainWindow::MainWindow(Workspace& ws) : ws_(ws), port_(std::make_unique<QtWindowPort>(*this)) {
  setWindowTitle(QString::fromUtf8(kMainWindowTitle.data(), kMainWindowTitle.size()));
  // A caption, the system menu and minimising; no resizing, no maximising.
  initWindowResources();
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  QIcon icon;
  for (int size : {16, 32, 48}) icon.addFile(QString(":/orelith/orelith-%1.png").arg(size));
  setWindowIcon(icon);
  buildMenu();
  buildHelpMenu();
  client_ = new QWidget(this);
  client_->setObjectName("client");
  client_->setFixedSize(kClientWidth, kClientHeight);
  setCentralWidget(client_);
  buildControls();
  for (TimerId id : {timer::AutoUpdateBlue, timer::AutoUpdateGreen}) {
    auto* t = new QTimer(this);
    // A tick while the window works is skipped, not queued: the next one comes.
    connect(t, &QTimer::timeout, this, [this, id] {
      if (!working_) timerFired(ws_, *port_, id);
    });
    timers_[id] = t;
  }
  watchPointer();
  layout()->setSizeConstraint(QLayout::SetFixedSize);
}

MainWindow::~MainWindow() = default;

void MainWindow::buildMenu() {
  QMenu* menus[std::size(kMenuTitles)] = {};
  for (std::size_t m = 0; m < std::size(kMenuTitles); ++m)
    menus[m] = menuBar()->addMenu(QString::fromUtf8(kMenuTitles[m].data(), kMenuTitles[m].size()));
  for (const MenuItemSpec& item : mainMenu()) {
    if (item.id == kMenuSeparator) {
      menus[item.menu]->addSeparator();
      continue;
    }
    QAction* action =
        menus[item.menu]->addAction(QString::fromUtf8(item.text.data(), item.text.size()));
    action->setObjectName(QString("menu%1").arg(idNumber(item.id)));
    action->setEnabled(item.enabledAtStart);
    if (!item.shortcut.empty())
      action->setShortcut(
          QKeySequence(QString::fromUtf8(item.shortcut.data(), item.shortcut.size())));
    const MenuId id = item.id;
    connect(action, &QAction::triggered, this, [this, id] { menuChosen(id); });
    actions_[id] = action;
  }
}

// "Help" after the window's own menus: a short guide (F1) and the version
// and licence.
void MainWindow::buildHelpMenu() {
  const auto text = [](StringId id) {
    const std::string_view t = stringText(id);
    return QString::fromUtf8(t.data(), qsizetype(t.size()));
  };
  QMenu* help = menuBar()->addMenu(text(str::HelpMenu));
  QAction* guide = help->addAction(text(str::HelpItem), this, [this, text] {
    QMessageBox box(QMessageBox::Information, text(str::HelpItem), text(str::HelpText),
                    QMessageBox::Ok, this);
    box.exec();
  });
  guide->setObjectName("menuHelp");
  guide->setShortcut(QKeySequence(Qt::Key_F1));
  QAction* about = help->addAction(text(str::AboutItem), this, [this, text] {
    QMessageBox::about(this, text(str::AboutItem),
                       text(str::AboutText).arg(QStringLiteral(ORELITH_VERSION)));
  });
  about->setObjectName("menuAbout");
}

// Created in table order, which Qt also takes as the tab order.
void MainWindow::buildControls() {
  for (const ControlSpec& entry : mainWindowControls()) {
    QWidget* w = createControl(entry, ws_, client_);
    if (entry.kind == ControlKind::StatusBar)
      w->setGeometry(0, kStatusBarTop, kClientWidth, kStatusBarHeight);
    if (entry.kind == ControlKind::ListView) {
      model_ = new StarListModel(this);
      model_->setToolTips([this](StarRowKey key) {
        return QString::fromStdString(pairNotes(ws_, science(), key.blue, key.green));
      });
      static_cast<QTableView*>(w)->setModel(model_);
      configureStarList(*static_cast<QTableView*>(w));
    }
    controls_[entry.id] = w;
    wire(entry.id, w);
  }
}

void MainWindow::wire(ControlId id, QWidget* w) {
  if (auto* panel = qobject_cast<PanelFrame*>(w)) {
    panel->attach(*port_);
  } else if (auto* check = qobject_cast<QCheckBox*>(w)) {
    connect(check, &QCheckBox::clicked, this, [this, id](bool on) { command(clicked(id, on)); });
  } else if (auto* button = qobject_cast<QPushButton*>(w)) {
    connect(button, &QPushButton::clicked, this, [this, id] { command(clicked(id)); });
  } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
    connect(edit, &QLineEdit::textEdited, this, [this, id](const QString& text) {
      const std::string s = text.toStdString();
      command({id, CommandCode::TextChanged, false, s});
    });
  } else if (auto* slider = qobject_cast<QSlider*>(w)) {
    // The renderer reads the position live; only a release reaches the core.
    connect(slider, &QSlider::valueChanged, this, [this, id](int v) { sliderMoved(ws_, id, v); });
    connect(slider, &QSlider::sliderMoved, slider, [this, id, slider](int v) {
      QToolTip::showText(QCursor::pos(), QString::fromStdString(sliderTip(ws_, id, v)), slider);
    });
    slider->installEventFilter(this);
  } else if (auto* list = qobject_cast<QTableView*>(w)) {
    // Only a click selects; keyboard moves change the highlight alone.
    connect(list, &QTableView::clicked, this, [this](const QModelIndex& index) {
      selectStarFromList(ws_, *port_, model_->key(index.row()));
    });
    connect(list, &QTableView::doubleClicked, this,
            [this](const QModelIndex&) { openPropertiesFromList(ws_, *port_); });
  }
}

void MainWindow::watchPointer() {
  pointer_ = new PointerFilter(*this);
  client_->setMouseTracking(true);
  client_->installEventFilter(pointer_);
  for (QWidget* w : client_->findChildren<QWidget*>()) {
    w->setMouseTracking(true);
    w->installEventFilter(pointer_);
  }
}

QWidget* MainWindow::control(ControlId id) const {
  auto it = controls_.find(id);
  return it == controls_.end() ? nullptr : it->second;
}

QAction* MainWindow::menuAction(MenuId id) const {
  auto it = actions_.find(id);
  return it == actions_.end() ? nullptr : it->second;
}

PanelFrame* MainWindow::panel(int image) const {
  return static_cast<PanelFrame*>(control(image == kBlue ? ctl::BlueFrame : ctl::GreenFrame));
}

QTableView* MainWindow::starList() const {
  return static_cast<QTableView*>(control(ctl::StarList));
}

QLabel* MainWindow::statusPart(int part) const {
  return control(ctl::StatusBar)->findChild<QLabel*>(QString("part%1").arg(part));
}

QTimer* MainWindow::timer(TimerId id) const {
  auto it = timers_.find(id);
  return it == timers_.end() ? nullptr : it->second;
}

CmdWindow* MainWindow::showDiagram() {
  // The results first, so that the window opens on its diagram, not on an
  // empty frame while they are computed.
  const ScienceResults& results = science();
  if (cmd_ == nullptr) {
    cmd_ = new CmdWindow(this);
    connect(cmd_->diagram(), &CmdDiagram::starClicked, this,
            [this](int blueStar) { selectPlottedStar(ws_, *port_, blueStar); });
  }
  cmd_->diagram()->setStars(cmdStars(ws_, results), cmdPlotTitle(ws_));
  cmd_->show();
  cmd_->raise();
  cmd_->activateWindow();
  diagramSelectionChanged();
  return cmd_;
}

void MainWindow::resultsStale() {
  scienceStale_ = true;
  if (cmd_ != nullptr && cmd_->isVisible())
    cmd_->diagram()->setStars(cmdStars(ws_, science()), cmdPlotTitle(ws_));
}

// While some work runs, what is drawn meanwhile (the list's flags) shows the
// results as they were.
const ScienceResults& MainWindow::science() {
  if (!scienceStale_ || working_) return science_;
  const BusyCursor busy;
  ScienceResults fresh;
  whileWorking([&] { fresh = computeScience(ws_, ws_.science).results; });
  science_ = std::move(fresh);
  scienceStale_ = false;
  return science_;
}

void MainWindow::whileWorking(const std::function<void()>& work) {
  if (working_) {
    work();
    return;
  }
  QEventLoop loop;
  std::exception_ptr failure;
  {
    working_ = true;
    const struct Done {
      bool& working;
      ~Done() { working = false; }
    } done{working_};
    const std::jthread worker([&] {
      try {
        work();
      } catch (...) {
        failure = std::current_exception();
      }
      QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
  }
  // After the command that asked for the work, as they would have come.
  for (std::function<void()>& call : std::exchange(afterWork_, {}))
    QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
  if (failure) std::rethrow_exception(failure);
}

void MainWindow::diagramSelectionChanged() {
  if (cmd_ == nullptr) return;
  const bool shown = hasBit(ws_.optionFlags, OPT_SELECTION_SHOWN);
  cmd_->diagram()->setSelected(shown ? ws_.selectedStar[kBlue] : -1);
}

void MainWindow::command(const CommandEvent& event) {
  const BusyCursor busy;
  const StepBefore before = beforeStep(ws_);
  dispatchCommand(ws_, *port_, event);
  showStepStatus(*port_, stepStatus(ws_, before, event.id));
}

void MainWindow::menuChosen(MenuId item) {
  const BusyCursor busy;
  const StepBefore before = beforeStep(ws_);
  menuCommand(ws_, *port_, item);
  showStepStatus(*port_, stepStatus(ws_, before, item));
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // Closed while it works, the window would free what the work reads.
  if (working_) {
    event->ignore();
    return;
  }
  shutdown(ws_, *port_);
  event->accept();
}

// A slider tells the core its position when the mouse lets it go, after the
// thumb drag or the click on the channel is complete.
bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  auto* slider = qobject_cast<QSlider*>(watched);
  if (slider && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    const ControlId id = controlId(slider);
    QMetaObject::invokeMethod(
        this,
        [this, id, slider] {
          const int position = slider->value();
          auto release = [this, id, position] { sliderReleased(ws_, *port_, id, position); };
          if (working_)
            afterWork_.push_back(release);
          else
            release();
        },
        Qt::QueuedConnection);
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace orelith::gui
