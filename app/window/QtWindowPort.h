// The window port drawn with Qt: each call of the core lands on the widget
// whose object name carries the control's identifier.
#pragma once

#include "image/WindowPort.h"

namespace orelith::gui {

class MainWindow;

class QtWindowPort : public WindowPort {
 public:
  explicit QtWindowPort(MainWindow& window) : window_(window) {}

  void showMessage(int stringId, MessageOwner owner) override;
  void beep() override;
  void setEnabled(int controlId, bool on) override;
  void setVisible(int controlId, bool on) override;
  void setChecked(int controlId, bool on) override;
  void setText(int controlId, const std::string& text) override;
  void setMenuEnabled(int menuId, bool on) override;
  void repaint(int panel) override;
  void starListChanged() override;
  void setSliderPosition(int controlId, int position) override;
  void startTimer(int timerId, int periodMs) override;
  void stopTimer(int timerId) override;
  void setStatusText(int part, const std::string& text) override;
  void setPointerShape(PointerShape shape) override;
  void revealListRow(StarRowKey key) override;
  void showRubberBand(bool shown, int left, int top, int right, int bottom) override;
  void confinePointer(bool on) override;
  void runDialog(int dialogId) override;
  FileChoice askOpenFile(int titleString, int filterIndex) override;
  FileChoice askSaveFile(int titleString, int filterIndex) override;
  void quit() override;

 private:
  MainWindow& window_;
};

}  // namespace orelith::gui
