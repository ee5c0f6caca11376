#include "report/SaveCommand.h"

#include <sys/stat.h>

#include "report/CmdBitmap.h"
#include "report/HtmlReport.h"
#include "resources/StringTable.h"

namespace orelith {

bool lacksExtension(const std::string& name) {
  auto slash = name.rfind('/');
  std::size_t start = slash == std::string::npos ? 0 : slash + 1;
  auto dot = name.rfind('.');
  if (dot == std::string::npos || dot <= start) return true;
  return dot + 1 == name.size();
}

namespace {

// A name without extension, unless it is that of a device or pipe.
bool takesExtension(const std::string& name) {
  struct stat st {};
  const bool device =
      ::stat(name.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
  return lacksExtension(name) && !device;
}

const char* extensionOf(int filterIndex) {
  switch (filterIndex) {
    case kSaveFilterHtml:
      return ".html";
    case kSaveFilterMonochrome:
    case kSaveFilterColour:
      return ".bmp";
    default:
      return nullptr;
  }
}

}  // namespace

std::string extendedName(const std::string& name, int filterIndex) {
  const char* extension = extensionOf(filterIndex);
  return extension != nullptr && takesExtension(name) ? name + extension : name;
}

WriteOutcome saveOutput(Workspace& ws, const std::string& chosenName, int filterIndex,
                        const std::vector<std::string>& templateDirs) {
  ws.filePath = extendedName(chosenName, filterIndex);
  switch (filterIndex) {
    case kSaveFilterHtml:
      return writeReport(ws, ws.filePath);
    case kSaveFilterMonochrome:
      return writeDiagram(ws, kCmdMonochrome, ws.filePath, templateDirs);
    case kSaveFilterColour:
      return writeDiagram(ws, kCmdColour, ws.filePath, templateDirs);
    default:
      if (!takesExtension(chosenName)) return {WriteStatus::Ok, std::nullopt};
      return {WriteStatus::Failed, str::UnableToExtendFilename};
  }
}

}  // namespace orelith
