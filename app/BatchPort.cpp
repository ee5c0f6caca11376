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
    case str::FitsUnreadable:
      err_ << ' ' << filePath_;
      break;
    default:
      break;
  }
  err_ << '\n';
}

void BatchPort::showMessageWithDetail(StringId message, const std::string& detail,
                                      MessageOwner owner) {
  showMessage(message, owner);
  err_ << "  " << detail << '\n';
}

}  // namespace orelith::batch
