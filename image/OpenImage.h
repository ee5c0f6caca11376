// The "Open Blue Image..." and "Open Green Image..." commands, less the file
// dialog, which the window layer runs.
#pragma once

#include <string>

#include "image/WindowPort.h"
#include "image/Workspace.h"

namespace orelith {

// Filter index the open dialog of `image` starts with: a remembered green
// filter turns blue for the blue image, and the reverse.
int openDialogFilter(Workspace& ws, int image);

// The filter the user chose last in an open dialog.
void rememberOpenFilter(Workspace& ws, int filterIndex);

enum OpenResult : int { kOpenOk = 0, kOpenFailed = 1 };

// Loads `path` into `image` and resets the work done on the previous pair.
// A failure (its message shown) leaves every state as it was.
OpenResult openImage(Workspace& ws, WindowPort& port, int image, const std::string& path);

}  // namespace orelith
