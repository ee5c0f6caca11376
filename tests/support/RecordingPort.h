// A window port that records every effect, for tests of the core.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "image/WindowPort.h"

namespace orelith::test {

// clang-format off
struct PortEvent {
  enum Kind { Message, Beep, Enable, Visible, Check, Text, Menu, Repaint, ListRefill, Slider,
              TimerStart, TimerStop, Status, Pointer, Reveal, RubberBand, Confine, Dialog,
              OpenFile, SaveFile, Quit } kind;
  // clang-format on
  int id = 0;
  bool on = false;
  std::string text;
  MessageOwner owner = MessageOwner::MainWindow;
  int value = 0;               // slider position, timer period, pointer shape
  int rect[4] = {0, 0, 0, 0};  // rubber band; reveal: blue, green
  bool operator==(const PortEvent&) const = default;
};

class RecordingPort : public WindowPort {
 public:
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

  // What the next file dialogs answer.
  FileChoice nextOpenFile;
  FileChoice nextSaveFile;

  std::vector<PortEvent> events;

  void clear() { events.clear(); }
  std::vector<int> messages() const { return ids(PortEvent::Message); }
  int count(PortEvent::Kind kind) const;
  std::vector<int> repaints() const { return ids(PortEvent::Repaint); }
  // The last state the core gave a control or menu item; none if untouched.
  std::optional<bool> enabled(int id) const { return lastOn(PortEvent::Enable, id); }
  std::optional<bool> visible(int id) const { return lastOn(PortEvent::Visible, id); }
  std::optional<bool> menuEnabled(int id) const { return lastOn(PortEvent::Menu, id); }
  std::optional<std::string> text(int controlId) const;
  // Index of the first event of `kind` (with `id` where given), or -1.
  int indexOf(PortEvent::Kind kind, int id = -1) const;

 private:
  void add(PortEvent::Kind kind, int id = 0, bool on = false, std::string text = {}, int value = 0);
  std::vector<int> ids(PortEvent::Kind kind) const;  // of every event of `kind`, in order
  int lastIndexOf(PortEvent::Kind kind, int id) const;
  std::optional<bool> lastOn(PortEvent::Kind kind, int id) const;
};

}  // namespace orelith::test
