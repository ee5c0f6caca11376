// The main window: built from the core's control and menu tables, it turns
// every Qt signal into one call of the interaction core and owns the widgets
// the window port draws into.
#pragma once

#include <QMainWindow>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "image/Workspace.h"
#include "interaction/Commands.h"
#include "interaction/WindowPort.h"
#include "photometry/Science.h"

class QAction;
class QLabel;
class QTableView;
class QTimer;

namespace orelith::gui {

class CmdWindow;
class PanelFrame;
class PointerFilter;
class StarListModel;

// The status bar sits below the list, across the whole client width.
inline constexpr int kStatusBarTop = 604;
inline constexpr int kStatusBarHeight = 22;
inline constexpr int kClientHeight = kStatusBarTop + kStatusBarHeight;

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  explicit MainWindow(Workspace& ws);
  ~MainWindow() override;

  Workspace& workspace() { return ws_; }
  WindowPort& port() { return *port_; }

  // The client area: every control's geometry is relative to it.
  QWidget* client() const { return client_; }
  // The widget of control `id` (object name "ctl<number>"), or nullptr.
  QWidget* control(ControlId id) const;
  QAction* menuAction(MenuId id) const;
  PanelFrame* panel(int image) const;
  QTableView* starList() const;
  StarListModel* listModel() const { return model_; }
  QLabel* statusPart(int part) const;
  QTimer* timer(TimerId id) const;
  PointerFilter* pointerFilter() const { return pointer_; }

  // The colour-magnitude diagram's window, opened (or raised) and drawn from
  // the workspace; nullptr before it was first opened.
  CmdWindow* showDiagram();
  CmdWindow* diagramWindow() const { return cmd_; }
  // The stars or their magnitudes may have changed: the science results are
  // computed again when next asked for, the open diagram at once.
  void resultsStale();
  // Runs `work`, which only reads the workspace, on a thread of its own and
  // returns once it is done; meanwhile the window draws, and its input waits.
  void whileWorking(const std::function<void()>& work);
  bool working() const { return working_; }
  // The selection may have changed: the diagram rings it again.
  void diagramSelectionChanged();
  // The flags, aperture photometry and transformation of the current state.
  const ScienceResults& science();

  // One event of the command table; the default handling of an event the
  // table does not know is to do nothing.
  void command(const CommandEvent& event);
  void menuChosen(MenuId item);

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildMenu();
  void buildHelpMenu();
  void buildControls();
  void wire(ControlId id, QWidget* widget);
  void watchPointer();

  Workspace& ws_;
  std::unique_ptr<WindowPort> port_;
  QWidget* client_ = nullptr;
  StarListModel* model_ = nullptr;
  PointerFilter* pointer_ = nullptr;
  std::map<ControlId, QWidget*> controls_;
  std::map<MenuId, QAction*> actions_;
  std::map<TimerId, QTimer*> timers_;
  CmdWindow* cmd_ = nullptr;
  ScienceResults science_;
  bool scienceStale_ = true;
  bool working_ = false;
  // Calls that came while some work ran, queued again once it is done: they
  // change the workspace the work reads.
  std::vector<std::function<void()>> afterWork_;
};

}  // namespace orelith::gui
