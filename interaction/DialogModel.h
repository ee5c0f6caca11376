// One open dialog as the window sees it: the state of its controls and what
// each user event does. The window forwards every event, draws every control
// from controls() afterwards, and closes the dialog on Accept or Reject.
// Escape and the close box reject without asking the model.
#pragma once

#include <array>
#include <memory>
#include <string_view>
#include <vector>

#include "image/Workspace.h"
#include "interaction/DialogControl.h"
#include "interaction/WindowPort.h"

namespace orelith {

enum class DialogVerdict { Stay, Accept, Reject };

using Rgb = std::array<int, 3>;

class DialogModel {
 public:
  virtual ~DialogModel() = default;
  virtual const std::vector<DialogControl>& controls() const = 0;
  // `control` is the number of the control that the event came from.
  virtual void textChanged(int control, std::string_view text) = 0;
  virtual void boxClicked(int control, bool checked) = 0;
  virtual DialogVerdict buttonPressed(int control) = 0;
  // The colours shown beside the numbers, by colour-table entry; none for a
  // dialog without swatches.
  virtual std::vector<Rgb> swatches() const { return {}; }
};

// The model of `dialog`, opened on the current state.
std::unique_ptr<DialogModel> openDialogModel(DialogId dialog, Workspace& ws, WindowPort& port);

}  // namespace orelith
