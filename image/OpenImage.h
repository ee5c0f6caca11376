// Loading a frame as "Open Blue Image..." and "Open Green Image..." do, less
// the file dialog and the window's effects, which the commands apply.
#pragma once

#include <string>

#include "image/Outcome.h"
#include "image/St6Loader.h"
#include "image/Workspace.h"

namespace orelith {

// Loads `path` into `image` and resets the work done on the previous pair:
// both search rectangles cover the whole image, the image is unsearched and
// pairing and calibration end. A refused file leaves every state as it was;
// the outcome names its message.
Outcome<St6Status> openImage(Workspace& ws, int image, const std::string& path);

}  // namespace orelith
