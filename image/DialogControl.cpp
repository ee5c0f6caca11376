#include "image/DialogControl.h"

#include <cstdlib>

namespace orelith {

DialogControl& dialogControl(std::vector<DialogControl>& controls, int id) {
  for (DialogControl& c : controls)
    if (c.id == id) return c;
  std::abort();  // a model that lacks one of its own controls is a programming error
}

const DialogControl& dialogControl(const std::vector<DialogControl>& controls, int id) {
  return dialogControl(const_cast<std::vector<DialogControl>&>(controls), id);
}

}  // namespace orelith
