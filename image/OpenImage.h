// Loading a frame as "Open Blue Image..." and "Open Green Image..." do, less
// the file dialog and the window's effects, which the commands apply.
#pragma once

#include <optional>
#include <string>

#include "image/Outcome.h"
#include "image/St6Loader.h"
#include "image/Workspace.h"

namespace orelith {

// Loads `path` into `image` and resets the work done on the previous pair:
// both search rectangles cover the whole image, the image is unsearched and
// pairing and calibration end. A refused file leaves every state as it was;
// the outcome names its message.
// A FITS file refused gives St6Status::FitsRefused, and `detail` says why.
struct LoadOutcome {
  St6Status status = St6Status::Ok;
  std::optional<StringId> message;
  std::string detail;
  bool operator==(const LoadOutcome&) const = default;
};

// Loads `path` into `image`: a FITS file, known by its first bytes, through
// the FITS reader (its filter and world coordinates kept), anything else as
// an ST-6 file.
LoadOutcome openImage(Workspace& ws, int image, const std::string& path);

}  // namespace orelith
