// What the writers of the Save command report.
#pragma once

#include "image/Outcome.h"

namespace orelith {

// A failure names its message.
enum class WriteStatus { Ok, Failed };
using WriteOutcome = Outcome<WriteStatus>;

}  // namespace orelith
