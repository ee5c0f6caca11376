// The batch tool's window: messages go to a stream as "ERROR: <text>", with
// the file of the open or save under way where the text is about a file, and
// are remembered by number; the file dialogs answer with the file the
// options name; the rest has nothing to show.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "interaction/WindowPort.h"

namespace orelith::batch {

class BatchPort : public NullWindowPort {
 public:
  // `filePath` is the workspace's, which the commands set to the file they
  // open or save.
  BatchPort(std::ostream& err, const std::string& filePath) : err_(err), filePath_(filePath) {}
  void showMessage(StringId message, MessageOwner owner) override;
  void showMessageWithDetail(StringId message, const std::string& detail,
                             MessageOwner owner) override;
  FileChoice askOpenFile(StringId, int) override { return nextFile_; }
  FileChoice askSaveFile(StringId, int) override { return nextFile_; }
  const std::vector<StringId>& messages() const { return messages_; }
  // What the next file dialog answers, as if the user had chosen it.
  void chooseFile(const std::string& path, int filterIndex) {
    nextFile_ = {true, path, filterIndex};
  }

 private:
  std::ostream& err_;
  const std::string& filePath_;
  std::vector<StringId> messages_;
  FileChoice nextFile_;
};

}  // namespace orelith::batch
