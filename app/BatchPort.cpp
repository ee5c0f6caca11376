#include "app/BatchPort.h"

#include "resources/StringTable.h"

namespace orelith::batch {

void BatchPort::showMessage(int stringId, MessageOwner) {
  messages_.push_back(stringId);
  err_ << "ERROR: " << stringText(stringId);
  switch (stringId) {
    case str::UnableToOpenFile:
    case str::UnableToReadFile:
    case str::CompressedSt6:
    case str::NoSt6Image:
    case str::UnableToCreateFile:
    case str::UnableToSaveFile:
      err_ << ' ' << filePath_;
      break;
    default:
      break;
  }
  err_ << '\n';
}

}  // namespace orelith::batch
