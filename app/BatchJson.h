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

nlohmann::json workspaceJson(const Workspace& ws, const JsonInputs& in);

}  // namespace orelith::batch
