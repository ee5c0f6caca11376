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
