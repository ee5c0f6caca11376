// A star's marks, warning flags and errors in words, as the window shows them
// beside the star (list tooltips, the diagram, "Star properties").
#pragma once

#include <cstdint>
#include <string>

#include "image/Workspace.h"
#include "photometry/FlagTable.h"
#include "photometry/Science.h"

namespace orelith {

// The marks and flags of both stars of a pair ORed together; -1 = no star.
struct PairFlags {
  std::uint32_t marks = 0;  // MARK_...
  std::uint32_t flags = 0;  // FLAG_...
};
PairFlags pairFlags(const Workspace& ws, const FlagTable& table, int blue, int green);

// Whether the pair is drawn as flagged: a hot or large star, a saturated,
// edge or blended one. Extrapolation and the calibration and ignore marks
// are told in words only.
bool isFlagged(const PairFlags& f);

// "hot, saturated, edge"; the calibration and ignore marks are left to the
// caller, which shows them otherwise. Empty when nothing is set.
std::string flagWords(const PairFlags& f);

// The science results of a row's stars (-1 = no star), one line each: the
// flags ("Flags: none" without), the aperture magnitudes with their errors,
// B and V of the curves with the curves' errors, the standard V and B-V with
// theirs, where computed.
std::string pairNotes(const Workspace& ws, const ScienceResults& science, int blue, int green);

}  // namespace orelith
