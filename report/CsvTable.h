// The measurement as a CSV table: one row per pair, then the unpaired stars
// of each image, with the specified values beside the aperture and
// transformed magnitudes and the flags.
#pragma once

#include <string>

#include "image/Workspace.h"
#include "photometry/Science.h"
#include "resources/StringTable.h"

namespace orelith {

// A header row, then plain decimal numbers; a value not computed is empty.
std::string csvTable(const Workspace& ws, const ScienceResults& science);

// Writes csvTable to `path` through a temporary file; false with the number
// of the message to show when it fails.
bool writeCsv(const Workspace& ws, const ScienceResults& science, const std::string& path,
              StringId& failureMessage);

}  // namespace orelith
