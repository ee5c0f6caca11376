// The batch tool's window: messages go to a stream as "ERROR: <text>" and
// are remembered by number; the rest has nothing to show.
#pragma once

#include <ostream>
#include <vector>

#include "image/WindowPort.h"

namespace orelith::batch {

class BatchPort : public NullWindowPort {
 public:
  explicit BatchPort(std::ostream& err) : err_(err) {}
  void showMessage(int stringId, MessageOwner owner) override;
  const std::vector<int>& messages() const { return messages_; }

 private:
  std::ostream& err_;
  std::vector<int> messages_;
};

}  // namespace orelith::batch
