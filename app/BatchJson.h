// The batch tool's JSON picture of the workspace. Its keys are a stable
// interface: add keys, never rename or drop them.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "image/Workspace.h"

namespace orelith::batch {

struct JsonInputs {
  std::string files[2];  // paths as given on the command line
  bool withPixels = false;
  std::vector<int> messages;
};

nlohmann::json workspaceJson(const Workspace& ws, const JsonInputs& in);

// workspaceJson as the tool writes it: indented by two, keys in order, names
// that are no valid UTF-8 with replacement characters, a final line end.
std::string workspaceJsonText(const Workspace& ws, const JsonInputs& in);

}  // namespace orelith::batch
