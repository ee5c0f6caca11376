// The state of one control of an open dialog, as the dialog's model holds it
// and the window draws it.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace orelith {

struct DialogControl {
  int id;
  std::string text;  // edit fields: their text; others: unused
  bool checked = false;
  bool enabled = true;
};

// A control as a model lists it when its dialog opens.
inline DialogControl makeControl(int id, std::string text = {}, bool checked = false,
                                 bool enabled = true) {
  return DialogControl{id, std::move(text), checked, enabled};
}

// The control `id` of a dialog model; every model lists all its controls.
DialogControl& dialogControl(std::vector<DialogControl>& controls, int id);
const DialogControl& dialogControl(const std::vector<DialogControl>& controls, int id);

}  // namespace orelith
