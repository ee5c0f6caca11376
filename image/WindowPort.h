// The one way the core reaches the window: every visible effect of a command
// goes through here, so a recording port sees all of them.
#pragma once

#include <string>

#include "image/StarRowKey.h"

namespace orelith {

enum class MessageOwner { MainWindow, Dialog };

enum class PointerShape { Arrow, CrossHair };

// What the user chose in a file dialog; `filterIndex` is 1-based as the
// dialog reports it.
struct FileChoice {
  bool chosen = false;
  std::string path;
  int filterIndex = 0;
};

class WindowPort {
 public:
  virtual ~WindowPort() = default;

  // Error box "ERROR" with string `stringId`.
  virtual void showMessage(int stringId, MessageOwner owner) = 0;
  virtual void beep() = 0;
  virtual void setEnabled(int controlId, bool on) = 0;
  virtual void setVisible(int controlId, bool on) = 0;
  virtual void setChecked(int controlId, bool on) = 0;
  virtual void setText(int controlId, const std::string& text) = 0;
  virtual void setMenuEnabled(int menuId, bool on) = 0;
  // Panel `panel` must be rendered from the workspace and shown again.
  virtual void repaint(int panel) = 0;
  // The star list must be rebuilt from the workspace.
  virtual void starListChanged() = 0;

  // A slider's thumb goes to `position` (the window does not report it back).
  virtual void setSliderPosition(int controlId, int position) = 0;
  // Auto-update timer 14 or 17: (re)start with a period, or stop.
  virtual void startTimer(int timerId, int periodMs) = 0;
  virtual void stopTimer(int timerId) = 0;
  // Status-bar part 0 (help), 1 (position) or 2 (brightness).
  virtual void setStatusText(int part, const std::string& text) = 0;
  virtual void setPointerShape(PointerShape shape) = 0;
  // Select the list row with `key` and scroll it fully into view; no row
  // with that key selects nothing.
  virtual void revealListRow(StarRowKey key) = 0;
  // The white selection outline over the panels, in client coordinates,
  // right and bottom exclusive; shown or hidden without rendering a panel.
  virtual void showRubberBand(bool shown, int left, int top, int right, int bottom) = 0;
  // Keep the pointer inside the blue panel while a selection is dragged.
  virtual void confinePointer(bool on) = 0;
  // Runs modal dialog 107, 108, 115 or 116 and returns when it has closed.
  virtual void runDialog(int dialogId) = 0;
  // The file dialogs of Open (title string 22/23, filter list 59) and Save
  // (title 24, filter list 60), starting at `filterIndex`.
  virtual FileChoice askOpenFile(int titleString, int filterIndex) = 0;
  virtual FileChoice askSaveFile(int titleString, int filterIndex) = 0;
  // Ends the program once the current event is done.
  virtual void quit() = 0;
};

// A port that drops everything; for callers that want only the data effects.
class NullWindowPort : public WindowPort {
 public:
  void showMessage(int, MessageOwner) override {}
  void beep() override {}
  void setEnabled(int, bool) override {}
  void setVisible(int, bool) override {}
  void setChecked(int, bool) override {}
  void setText(int, const std::string&) override {}
  void setMenuEnabled(int, bool) override {}
  void repaint(int) override {}
  void starListChanged() override {}
  void setSliderPosition(int, int) override {}
  void startTimer(int, int) override {}
  void stopTimer(int) override {}
  void setStatusText(int, const std::string&) override {}
  void setPointerShape(PointerShape) override {}
  void revealListRow(StarRowKey) override {}
  void showRubberBand(bool, int, int, int, int) override {}
  void confinePointer(bool) override {}
  void runDialog(int) override {}
  FileChoice askOpenFile(int, int) override { return {}; }
  FileChoice askSaveFile(int, int) override { return {}; }
  void quit() override {}
};

}  // namespace orelith
