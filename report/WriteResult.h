// What the writers of the Save command report.
#pragma once

#include "image/Outcome.h"

namespace orelith {

// A failure names its message (5, 7, 8, 9, 10, 11 or 18).
enum class WriteStatus { Ok, Failed };
using WriteOutcome = Outcome<WriteStatus>;

}  // namespace orelith
