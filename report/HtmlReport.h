// The HTML report: a table of the stars with their brightness, logarithm,
// magnitudes and colour, in a complex form (every star of both images, a
// summary and the calibration curves) or a simple one (the paired stars that
// are not ignored, with position, B-V and V).
#pragma once

#include <string>
#include <string_view>

#include "image/Workspace.h"
#include "report/WriteResult.h"

namespace orelith {

// The report as the file holds it, but with "\n" line ends. The form follows
// OPT_COMPLEX_OUTPUT.
std::string reportText(const Workspace& ws);

// `text` with &, <, > and " replaced by their HTML entities, so that a file
// name cannot break the markup it is printed into.
std::string htmlEscaped(std::string_view text);

// Writes the report to `path`, each line ended by "\r\n". Fails with "Unable to
// create file." or "Unable to save file.", in which case a file
// that was at `path` before is left as it was.
WriteOutcome writeReport(const Workspace& ws, const std::string& path);

}  // namespace orelith
