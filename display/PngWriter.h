// A panel's picture as a PNG file, for the batch tool.
#pragma once

#include <string>
#include <vector>

#include "image/Workspace.h"

namespace orelith {

// Picture buffer `panel` (0 or 1) as the bytes of a 375 x 242 8-bit RGB PNG,
// as it stands (render it first). False when the panel does not exist or the
// encoder fails.
bool encodePanelPng(const Workspace& ws, int panel, std::vector<unsigned char>& png);

// Writes the PNG of `panel` to `path`: encoded in memory first, then written
// as the reports are, so a failure leaves a file that was there as it was.
bool writePanelPng(const Workspace& ws, int panel, const std::string& path);

}  // namespace orelith
