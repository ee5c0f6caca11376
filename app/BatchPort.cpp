#include "app/BatchPort.h"

#include "resources/StringTable.h"

namespace orelith::batch {

void BatchPort::showMessage(int stringId, MessageOwner) {
  messages_.push_back(stringId);
  err_ << "ERROR: " << stringText(stringId) << '\n';
}

}  // namespace orelith::batch
