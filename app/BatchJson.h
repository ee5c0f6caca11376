// The batch tool's JSON picture of the workspace. Its keys are a stable
// interface: add keys, never rename or drop them.
#pragma once

#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "image/Workspace.h"

namespace orelith::batch {

struct JsonInputs {
  std::string files[2];  // paths as given on the command line
  bool withPixels = false;
  std::vector<int> messages;
  // Adds further keys to the finished picture (the science results).
  std::function<void(nlohmann::json&)> extend;
};

// The JSON text: objects with their keys in byte order, indented by two,
// floats widened to double in the shortest form that reads back to the same
// value (null when not finite), names that are no valid UTF-8 with
// replacement characters, and a final line end.
std::string workspaceJsonText(const Workspace& ws, const JsonInputs& in);

}  // namespace orelith::batch
