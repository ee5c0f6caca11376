#include "tests/support/RecordingPort.h"

namespace orelith::test {

void RecordingPort::add(PortEvent::Kind kind, int id, bool on, std::string text, int value) {
  PortEvent e{kind, id, on, std::move(text)};
  e.value = value;
  events.push_back(std::move(e));
}

void RecordingPort::showMessage(int stringId, MessageOwner owner) {
  add(PortEvent::Message, stringId);
  events.back().owner = owner;
}
void RecordingPort::beep() { add(PortEvent::Beep); }
void RecordingPort::setEnabled(int id, bool on) { add(PortEvent::Enable, id, on); }
void RecordingPort::setVisible(int id, bool on) { add(PortEvent::Visible, id, on); }
void RecordingPort::setChecked(int id, bool on) { add(PortEvent::Check, id, on); }
void RecordingPort::setText(int id, const std::string& text) {
  add(PortEvent::Text, id, false, text);
}
void RecordingPort::setMenuEnabled(int id, bool on) { add(PortEvent::Menu, id, on); }
void RecordingPort::repaint(int panel) { add(PortEvent::Repaint, panel); }
void RecordingPort::starListChanged() { add(PortEvent::ListRefill); }
void RecordingPort::setSliderPosition(int id, int pos) {
  add(PortEvent::Slider, id, false, {}, pos);
}
void RecordingPort::startTimer(int id, int periodMs) {
  add(PortEvent::TimerStart, id, true, {}, periodMs);
}
void RecordingPort::stopTimer(int id) { add(PortEvent::TimerStop, id); }
void RecordingPort::setStatusText(int part, const std::string& text) {
  add(PortEvent::Status, part, false, text);
}
void RecordingPort::setPointerShape(PointerShape shape) {
  add(PortEvent::Pointer, 0, false, {}, static_cast<int>(shape));
}
void RecordingPort::revealListRow(StarRowKey key) {
  add(PortEvent::Reveal);
  events.back().rect[0] = key.blue;
  events.back().rect[1] = key.green;
}
void RecordingPort::showRubberBand(bool shown, int left, int top, int right, int bottom) {
  add(PortEvent::RubberBand, 0, shown);
  int* r = events.back().rect;
  r[0] = left, r[1] = top, r[2] = right, r[3] = bottom;
}
void RecordingPort::confinePointer(bool on) { add(PortEvent::Confine, 0, on); }
void RecordingPort::runDialog(int id) { add(PortEvent::Dialog, id); }
FileChoice RecordingPort::askOpenFile(int title, int filterIndex) {
  add(PortEvent::OpenFile, title, false, {}, filterIndex);
  return nextOpenFile;
}
FileChoice RecordingPort::askSaveFile(int title, int filterIndex) {
  add(PortEvent::SaveFile, title, false, {}, filterIndex);
  return nextSaveFile;
}
void RecordingPort::quit() { add(PortEvent::Quit); }

std::vector<int> RecordingPort::ids(PortEvent::Kind kind) const {
  std::vector<int> out;
  for (const auto& e : events)
    if (e.kind == kind) out.push_back(e.id);
  return out;
}

int RecordingPort::count(PortEvent::Kind kind) const { return static_cast<int>(ids(kind).size()); }

std::optional<bool> RecordingPort::lastOn(PortEvent::Kind kind, int id) const {
  const int i = lastIndexOf(kind, id);
  return i < 0 ? std::nullopt : std::optional<bool>(events[static_cast<std::size_t>(i)].on);
}

std::optional<std::string> RecordingPort::text(int id) const {
  const int i = lastIndexOf(PortEvent::Text, id);
  return i < 0 ? std::nullopt : std::optional(events[static_cast<std::size_t>(i)].text);
}

int RecordingPort::indexOf(PortEvent::Kind kind, int id) const {
  for (std::size_t i = 0; i < events.size(); ++i)
    if (events[i].kind == kind && (id < 0 || events[i].id == id)) return static_cast<int>(i);
  return -1;
}

int RecordingPort::lastIndexOf(PortEvent::Kind kind, int id) const {
  for (std::size_t i = events.size(); i-- > 0;)
    if (events[i].kind == kind && events[i].id == id) return static_cast<int>(i);
  return -1;
}

}  // namespace orelith::test
