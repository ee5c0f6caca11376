// Runs the steps of orelith-batch on a workspace, in the order load,
// rectangle, settings, search, manual move, compare, calibration, calculate,
// outputs.
#pragma once

#include <ostream>

#include "app/BatchOptions.h"
#include "image/Workspace.h"

namespace orelith::batch {

// 0 when no step showed a message, 2 when one did. Messages go to `err`.
int runBatch(const Options& options, Workspace& ws, std::ostream& out, std::ostream& err);

}  // namespace orelith::batch
