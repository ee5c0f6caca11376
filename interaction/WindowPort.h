// The one way the core reaches the window: every visible effect of a command
// goes through here, so a recording port sees all of them.
#pragma once

#include <functional>
#include <string>

#include "image/StarRowKey.h"
#include "resources/ControlIds.h"
#include "resources/StringTable.h"

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

// The files the window asks for beside the specified Open and Save.
enum class DataFile { CalibrationStars, CsvTable };

class WindowPort {
 public:
  virtual ~WindowPort() = default;

  // Error box "ERROR" with string `message`.
  virtual void showMessage(StringId message, MessageOwner owner) = 0;
  virtual void beep() = 0;
  virtual void setEnabled(ControlId control, bool on) = 0;
  virtual void setVisible(ControlId control, bool on) = 0;
  virtual void setChecked(ControlId control, bool on) = 0;
  virtual void setText(ControlId control, const std::string& text) = 0;
  virtual void setMenuEnabled(MenuId item, bool on) = 0;
  // Panel `panel` must be rendered from the workspace and shown again.
  virtual void repaint(int panel) = 0;
  // The star list must be rebuilt from the workspace.
  virtual void starListChanged() = 0;

  // A slider's thumb goes to `position` (the window does not report it back).
  virtual void setSliderPosition(ControlId slider, int position) = 0;
  // An auto-update timer: (re)start with a period, or stop.
  virtual void startTimer(TimerId timer, int periodMs) = 0;
  virtual void stopTimer(TimerId timer) = 0;
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
  // Runs a modal dialog and returns when it has closed.
  virtual void runDialog(DialogId dialog) = 0;
  // The file dialogs of Open (with its title, the open filter list) and Save
  // (the save filter list), starting at `filterIndex`.
  virtual FileChoice askOpenFile(StringId title, int filterIndex) = 0;
  virtual FileChoice askSaveFile(StringId title, int filterIndex) = 0;
  // A question with Yes and No, No preselected; true for Yes.
  virtual bool askYesNo(StringId question) = 0;
  // Ends the program once the current event is done.
  virtual void quit() = 0;

  // Beside the specified window, so nothing a driver of the specified
  // program does needs them: a file name for a data file, a message that
  // is no error, and the colour-magnitude diagram's window.
  virtual FileChoice askDataFile(DataFile) { return {}; }
  virtual void showNote(const std::string& /*title*/, const std::string& /*text*/) {}
  virtual void showDiagram() {}
  // Error box "ERROR" with string `message` and below it `detail`, the
  // reason the message alone cannot give.
  virtual void showMessageWithDetail(StringId message, const std::string& /*detail*/,
                                     MessageOwner owner) {
    showMessage(message, owner);
  }
  // A background field takes a sign and a decimal point besides digits (a
  // floating-point frame's level), or digits only.
  virtual void setDecimalInput(ControlId /*field*/, bool /*decimals*/) {}
  // The science results of a pair (-1 = no star) in words: its flags and its
  // magnitudes' errors as last computed; empty where nothing is computed.
  virtual std::string scienceNotes(int /*blue*/, int /*green*/) { return {}; }
  // Runs `work`, which only reads the workspace, and returns once it is
  // done. The window keeps drawing meanwhile, without taking input: the
  // science of a large pair takes seconds.
  virtual void whileWorking(const std::function<void()>& work) { work(); }
};

// A port that drops everything; for callers that want only the data effects.
class NullWindowPort : public WindowPort {
 public:
  void showMessage(StringId, MessageOwner) override {}
  void beep() override {}
  void setEnabled(ControlId, bool) override {}
  void setVisible(ControlId, bool) override {}
  void setChecked(ControlId, bool) override {}
  void setText(ControlId, const std::string&) override {}
  void setMenuEnabled(MenuId, bool) override {}
  void repaint(int) override {}
  void starListChanged() override {}
  void setSliderPosition(ControlId, int) override {}
  void startTimer(TimerId, int) override {}
  void stopTimer(TimerId) override {}
  void setStatusText(int, const std::string&) override {}
  void setPointerShape(PointerShape) override {}
  void revealListRow(StarRowKey) override {}
  void showRubberBand(bool, int, int, int, int) override {}
  void confinePointer(bool) override {}
  void runDialog(DialogId) override {}
  FileChoice askOpenFile(StringId, int) override { return {}; }
  FileChoice askSaveFile(StringId, int) override { return {}; }
  bool askYesNo(StringId) override { return false; }
  void quit() override {}
};

}  // namespace orelith
