#include "tests/support/RecordingPort.h"

namespace orelith::test {

namespace {
PortEvent event(PortEvent::Kind kind, int id = 0, bool on = false, std::string text = {}) {
  PortEvent e{kind, id, on, std::move(text), MessageOwner::MainWindow};
  return e;
}
}  // namespace

void RecordingPort::showMessage(int stringId, MessageOwner owner) {
  PortEvent e = event(PortEvent::Message, stringId);
  e.owner = owner;
  events.push_back(e);
}
void RecordingPort::beep() { events.push_back(event(PortEvent::Beep)); }
void RecordingPort::setEnabled(int id, bool on) {
  events.push_back(event(PortEvent::Enable, id, on));
}
void RecordingPort::setVisible(int id, bool on) {
  events.push_back(event(PortEvent::Visible, id, on));
}
void RecordingPort::setChecked(int id, bool on) {
  events.push_back(event(PortEvent::Check, id, on));
}
void RecordingPort::setText(int id, const std::string& text) {
  events.push_back(event(PortEvent::Text, id, false, text));
}
void RecordingPort::setMenuEnabled(int id, bool on) {
  events.push_back(event(PortEvent::Menu, id, on));
}
void RecordingPort::repaint(int panel) { events.push_back(event(PortEvent::Repaint, panel)); }
void RecordingPort::starListChanged() { events.push_back(event(PortEvent::ListRefill)); }
void RecordingPort::setSliderPosition(int id, int position) {
  PortEvent e = event(PortEvent::Slider, id);
  e.value = position;
  events.push_back(e);
}
void RecordingPort::startTimer(int id, int periodMs) {
  PortEvent e = event(PortEvent::TimerStart, id, true);
  e.value = periodMs;
  events.push_back(e);
}
void RecordingPort::stopTimer(int id) { events.push_back(event(PortEvent::TimerStop, id)); }
void RecordingPort::setStatusText(int part, const std::string& text) {
  events.push_back(event(PortEvent::Status, part, false, text));
}
void RecordingPort::setPointerShape(PointerShape shape) {
  PortEvent e = event(PortEvent::Pointer);
  e.value = static_cast<int>(shape);
  events.push_back(e);
}
void RecordingPort::revealListRow(StarRowKey key) {
  PortEvent e = event(PortEvent::Reveal);
  e.rect[0] = key.blue;
  e.rect[1] = key.green;
  events.push_back(e);
}
void RecordingPort::showRubberBand(bool shown, int left, int top, int right, int bottom) {
  PortEvent e = event(PortEvent::RubberBand, 0, shown);
  e.rect[0] = left;
  e.rect[1] = top;
  e.rect[2] = right;
  e.rect[3] = bottom;
  events.push_back(e);
}
void RecordingPort::confinePointer(bool on) { events.push_back(event(PortEvent::Confine, 0, on)); }
void RecordingPort::runDialog(int id) { events.push_back(event(PortEvent::Dialog, id)); }
FileChoice RecordingPort::askOpenFile(int title, int filterIndex) {
  PortEvent e = event(PortEvent::OpenFile, title);
  e.value = filterIndex;
  events.push_back(e);
  return nextOpenFile;
}
FileChoice RecordingPort::askSaveFile(int title, int filterIndex) {
  PortEvent e = event(PortEvent::SaveFile, title);
  e.value = filterIndex;
  events.push_back(e);
  return nextSaveFile;
}
void RecordingPort::quit() { events.push_back(event(PortEvent::Quit)); }

std::vector<int> RecordingPort::messages() const {
  std::vector<int> out;
  for (const auto& e : events)
    if (e.kind == PortEvent::Message) out.push_back(e.id);
  return out;
}

int RecordingPort::count(PortEvent::Kind kind) const {
  int n = 0;
  for (const auto& e : events) n += e.kind == kind;
  return n;
}

std::vector<int> RecordingPort::repaints() const {
  std::vector<int> out;
  for (const auto& e : events)
    if (e.kind == PortEvent::Repaint) out.push_back(e.id);
  return out;
}

std::optional<bool> RecordingPort::lastOn(PortEvent::Kind kind, int id) const {
  std::optional<bool> state;
  for (const auto& e : events)
    if (e.kind == kind && e.id == id) state = e.on;
  return state;
}

std::optional<bool> RecordingPort::enabled(int id) const { return lastOn(PortEvent::Enable, id); }
std::optional<bool> RecordingPort::visible(int id) const { return lastOn(PortEvent::Visible, id); }
std::optional<bool> RecordingPort::menuEnabled(int id) const { return lastOn(PortEvent::Menu, id); }

std::optional<std::string> RecordingPort::text(int id) const {
  std::optional<std::string> t;
  for (const auto& e : events)
    if (e.kind == PortEvent::Text && e.id == id) t = e.text;
  return t;
}

int RecordingPort::indexOf(PortEvent::Kind kind, int id) const {
  for (std::size_t i = 0; i < events.size(); ++i)
    if (events[i].kind == kind && (id < 0 || events[i].id == id)) return static_cast<int>(i);
  return -1;
}

}  // namespace orelith::test
