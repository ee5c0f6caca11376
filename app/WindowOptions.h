// Command line of the window program, orelith: the frames to open and the
// steps to take at once, with orelith-batch's names for them.
#pragma once

#include <string>

#include "app/BatchOptions.h"
#include "interaction/StartUp.h"

namespace orelith {

// The text of --help.
std::string windowUsage();

// Parses the arguments Qt has left (its own options taken out) into
// `request`; the help and version texts go to `out`, usage errors to `err`.
batch::ParseOutcome parseWindowOptions(int argc, const char* const* argv, StartRequest& request,
                                       std::string& out, std::string& err);

}  // namespace orelith
