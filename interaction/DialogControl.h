// The state of the controls of an open dialog, as the dialog's model holds it
// and the window draws it.
#pragma once

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "resources/ControlIds.h"

namespace orelith {

// One control; `id` is its number, by which the window finds its widget.
struct DialogControl {
  int id;
  std::string text;  // edit fields and texts: their text; others: unused
  bool checked = false;
  bool enabled = true;
};

// The controls of one dialog, named by that dialog's identifier type; every
// model lists all its controls when it opens.
template <class Id>
class DialogControls {
 public:
  void add(Id id, std::string text = {}, bool checked = false, bool enabled = true) {
    list_.push_back(DialogControl{idNumber(id), std::move(text), checked, enabled});
  }
  DialogControl& operator[](Id id) {
    for (DialogControl& c : list_)
      if (c.id == idNumber(id)) return c;
    std::abort();  // a model that lacks one of its own controls is a programming error
  }
  const DialogControl& operator[](Id id) const { return const_cast<DialogControls&>(*this)[id]; }
  const std::vector<DialogControl>& all() const { return list_; }

 private:
  std::vector<DialogControl> list_;
};

}  // namespace orelith
