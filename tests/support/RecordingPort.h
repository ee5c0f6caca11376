// A window port that records every effect, for tests of the core.
#pragma once

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "image/Workspace.h"
#include "interaction/WindowPort.h"

namespace orelith::test {

// Client point of panel `image`'s pixel (x, y).
inline int cx(int image, int x) { return (image == kBlue ? 6 : 389) + x; }
inline int cy(int y) { return 33 + y; }

// clang-format off
struct PortEvent {
  enum Kind { Message, Beep, Enable, Visible, Check, Text, Menu, Repaint, ListRefill, Slider,
              TimerStart, TimerStop, Status, Pointer, Reveal, RubberBand, Confine, Dialog,
              OpenFile, SaveFile, Question, Quit, DataFile, Note, Diagram, Decimals } kind;
  // clang-format on
  int id = 0;  // the number of the control, menu item, timer, dialog or string; the panel
  bool on = false;
  std::string text;
  MessageOwner owner = MessageOwner::MainWindow;
  int value = 0;               // slider position, timer period, pointer shape, file filter
  int rect[4] = {0, 0, 0, 0};  // rubber band; reveal: blue, green
  bool operator==(const PortEvent&) const = default;
};

class RecordingPort : public WindowPort {
 public:
  // clang-format off
  void showMessage(StringId id, MessageOwner who) override { add(PortEvent::Message, id).owner = who; }
  void beep() override { add(PortEvent::Beep); }
  void setEnabled(ControlId id, bool on) override { add(PortEvent::Enable, id, on); }
  void setVisible(ControlId id, bool on) override { add(PortEvent::Visible, id, on); }
  void setChecked(ControlId id, bool on) override { add(PortEvent::Check, id, on); }
  void setText(ControlId id, const std::string& t) override { add(PortEvent::Text, id, false, t); }
  void setMenuEnabled(MenuId id, bool on) override { add(PortEvent::Menu, id, on); }
  void repaint(int panel) override { add(PortEvent::Repaint, panel); }
  void starListChanged() override { add(PortEvent::ListRefill); }
  void setSliderPosition(ControlId id, int pos) override { add(PortEvent::Slider, id, false, {}, pos); }
  void startTimer(TimerId id, int ms) override { add(PortEvent::TimerStart, id, true, {}, ms); }
  void stopTimer(TimerId id) override { add(PortEvent::TimerStop, id); }
  void setStatusText(int part, const std::string& t) override { add(PortEvent::Status, part, false, t); }
  void setPointerShape(PointerShape s) override { add(PortEvent::Pointer, 0, false, {}, int(s)); }
  void revealListRow(StarRowKey k) override { add(PortEvent::Reveal, 0, false, {}, 0, {k.blue, k.green}); }
  void showRubberBand(bool shown, int l, int t, int r, int b) override { add(PortEvent::RubberBand, 0, shown, {}, 0, {l, t, r, b}); }
  void confinePointer(bool on) override { add(PortEvent::Confine, 0, on); }
  void runDialog(DialogId id) override { add(PortEvent::Dialog, id); }
  FileChoice askOpenFile(StringId title, int f) override { add(PortEvent::OpenFile, title, false, {}, f); return nextOpenFile; }
  FileChoice askSaveFile(StringId title, int f) override { add(PortEvent::SaveFile, title, false, {}, f); return nextSaveFile; }
  bool askYesNo(StringId question) override { return add(PortEvent::Question, question), yes; }
  void quit() override { add(PortEvent::Quit); }
  FileChoice askDataFile(DataFile f) override { add(PortEvent::DataFile, int(f)); return nextDataFile; }
  void showNote(const std::string& title, const std::string& t) override { add(PortEvent::Note, 0, false, title + "\n" + t); }
  void showDiagram() override { add(PortEvent::Diagram); }
  void setDecimalInput(ControlId id, bool on) override { add(PortEvent::Decimals, id, on); }
  void showMessageWithDetail(StringId id, const std::string& d, MessageOwner who) override { add(PortEvent::Message, id, false, d).owner = who; }
  std::string scienceNotes(int, int) override { return notes; }
  // clang-format on

  FileChoice nextOpenFile;  // what the next open dialog answers
  FileChoice nextSaveFile;  // and the next save dialog: cancelled unless set
  bool yes = false;         // the answer to a question
  FileChoice nextDataFile;  // and the next data-file dialog
  std::string notes;        // every pair's science notes

  std::vector<PortEvent> events;

  void clear() { events.clear(); }
  std::vector<StringId> messages() const { return ids<StringId>(PortEvent::Message); }
  int count(PortEvent::Kind kind) const { return static_cast<int>(ids(kind).size()); }
  std::vector<int> repaints() const { return ids(PortEvent::Repaint); }
  // The last event of `kind` for `id` (a control's last state or text), or without an id the
  // first of `kind`; none if there is none.
  template <class Id = int>
  std::optional<PortEvent> find(PortEvent::Kind kind, Id id = Id{-1}) const {
    const auto match = [&](const PortEvent& e) {
      return e.kind == kind && (idNumber(id) == -1 || e.id == idNumber(id));
    };
    const auto last = std::find_if(events.rbegin(), events.rend(), match);
    if (idNumber(id) != -1) return last == events.rend() ? std::nullopt : std::optional(*last);
    const auto first = std::find_if(events.begin(), events.end(), match);
    return first == events.end() ? std::nullopt : std::optional(*first);
  }
  template <class Id>
  std::optional<bool> state(PortEvent::Kind kind, Id id) const {
    const auto e = find(kind, id);
    return e ? std::optional(e->on) : std::nullopt;
  }

 private:
  template <class Id = int>
  PortEvent& add(PortEvent::Kind kind, Id id = 0, bool on = false, std::string text = {},
                 int value = 0, std::array<int, 4> rect = {}) {
    PortEvent& e = events.emplace_back(PortEvent{kind, idNumber(id), on, std::move(text)});
    e.value = value;
    std::copy(rect.begin(), rect.end(), e.rect);
    return e;
  }
  template <class Id = int>
  std::vector<Id> ids(PortEvent::Kind kind) const {  // of every event of `kind`, in order
    std::vector<Id> out;
    for (const auto& e : events)
      if (e.kind == kind) out.push_back(Id{e.id});
    return out;
  }
};

}  // namespace orelith::test
