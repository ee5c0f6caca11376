// A panel's picture as a PNG file, for the batch tool.
#pragma once

#include <string>

#include "image/Workspace.h"

namespace orelith {

// Writes picture buffer `panel` (0 or 1) as a 375 x 242 8-bit RGB PNG at
// `path`, as it stands (render it first). Returns false on any failure, and
// then leaves no partial file behind.
bool writePanelPng(const Workspace& ws, int panel, const std::string& path);

}  // namespace orelith
