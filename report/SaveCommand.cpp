#include "report/SaveCommand.h"

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

std::string applyExtensionRule(const std::string& name, int filterIndex, WindowPort& port,
                               bool& ok) {
  ok = true;
  if (!lacksExtension(name)) return name;
  switch (filterIndex) {
    case kSaveFilterHtml:
      return name + ".html";
    case kSaveFilterMonochrome:
    case kSaveFilterColour:
      return name + ".bmp";
    default:
      ok = false;
      port.showMessage(str::UnableToExtendFilename, MessageOwner::MainWindow);
      return name;
  }
}

WriteResult saveOutput(Workspace& ws, WindowPort& port, const std::string& chosenName,
                       int filterIndex, const std::vector<std::string>& templateDirs) {
  bool extended = true;
  ws.filePath = applyExtensionRule(chosenName, filterIndex, port, extended);
  switch (filterIndex) {
    case kSaveFilterHtml:
      return writeReport(ws, port, ws.filePath);
    case kSaveFilterMonochrome:
      return writeDiagram(ws, port, kCmdMonochrome, ws.filePath, templateDirs);
    case kSaveFilterColour:
      return writeDiagram(ws, port, kCmdColour, ws.filePath, templateDirs);
    default:
      return extended ? kWriteOk : kWriteFailed;
  }
}

}  // namespace orelith
