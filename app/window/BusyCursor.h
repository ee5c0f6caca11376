// The wait cursor while the window works through a command, which on a large
// frame can take seconds (the science of a 4096 x 4096 pair). A box or
// dialog the command opens shows the ordinary cursor while it is up, since
// there the program waits for the user, not the user for the program.
#pragma once

namespace orelith::gui {

class BusyCursor {
 public:
  BusyCursor();
  ~BusyCursor();
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace orelith::gui
