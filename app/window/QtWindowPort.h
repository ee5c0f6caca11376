// The window port drawn with Qt: each call of the core lands on the widget
// whose object name carries the control's identifier.
#pragma once

#include "interaction/WindowPort.h"

namespace orelith::gui {

class MainWindow;

class QtWindowPort : public WindowPort {
 public:
  explicit QtWindowPort(MainWindow& window) : window_(window) {}

  void showMessage(StringId message, MessageOwner owner) override;
  void showMessageWithDetail(StringId message, const std::string& detail,
                             MessageOwner owner) override;
  void beep() override;
  void setEnabled(ControlId control, bool on) override;
  void setVisible(ControlId control, bool on) override;
  void setChecked(ControlId control, bool on) override;
  void setText(ControlId control, const std::string& text) override;
  void setDecimalInput(ControlId field, bool decimals) override;
  void setMenuEnabled(MenuId item, bool on) override;
  void repaint(int panel) override;
  void starListChanged() override;
  void setSliderPosition(ControlId slider, int position) override;
  void startTimer(TimerId timer, int periodMs) override;
  void stopTimer(TimerId timer) override;
  void setStatusText(int part, const std::string& text) override;
  void setPointerShape(PointerShape shape) override;
  void revealListRow(StarRowKey key) override;
  void showRubberBand(bool shown, int left, int top, int right, int bottom) override;
  void confinePointer(bool on) override;
  void runDialog(DialogId dialog) override;
  FileChoice askOpenFile(StringId title, int filterIndex) override;
  FileChoice askSaveFile(StringId title, int filterIndex) override;
  bool askYesNo(StringId question) override;
  void quit() override;
  FileChoice askDataFile(DataFile file) override;
  void showNote(const std::string& title, const std::string& text) override;
  void showDiagram() override;
  std::string scienceNotes(int blue, int green) override;
  void whileWorking(const std::function<void()>& work) override;

 private:
  MainWindow& window_;
};

}  // namespace orelith::gui
