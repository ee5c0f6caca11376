#include "tests/support/RecordingPort.h"

namespace orelith::test {

PortEvent& RecordingPort::add(PortEvent::Kind kind, int id, bool on, std::string text, int value) {
  PortEvent e{kind, id, on, std::move(text)};
  e.value = value;
  return events.emplace_back(std::move(e));
}

std::vector<int> RecordingPort::ids(PortEvent::Kind kind) const {
  std::vector<int> out;
  for (const auto& e : events)
    if (e.kind == kind) out.push_back(e.id);
  return out;
}

const PortEvent* RecordingPort::last(PortEvent::Kind kind, int id) const {
  for (auto e = events.rbegin(); e != events.rend(); ++e)
    if (e->kind == kind && e->id == id) return &*e;
  return nullptr;
}

std::optional<std::string> RecordingPort::text(int id) const {
  const PortEvent* e = last(PortEvent::Text, id);
  return e ? std::optional(e->text) : std::nullopt;
}

int RecordingPort::indexOf(PortEvent::Kind kind, int id) const {
  for (std::size_t i = 0; i < events.size(); ++i)
    if (events[i].kind == kind && (id < 0 || events[i].id == id)) return static_cast<int>(i);
  return -1;
}

}  // namespace orelith::test
