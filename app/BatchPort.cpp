#include "app/BatchPort.h"

#include "resources/StringTable.h"

namespace orelith::batch {

void BatchPort::showMessage(StringId message, MessageOwner) {
  messages_.push_back(message);
  err_ << "ERROR: " << stringText(message);
  switch (message) {
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
