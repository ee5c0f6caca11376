// What an algorithm reports besides what it wrote into the workspace: a
// named status and, where the user is to be told, the string to show. The
// commands of the window show the message; the algorithm never does.
#pragma once

#include <optional>

#include "resources/StringTable.h"

namespace orelith {

template <class Status>
struct Outcome {
  Status status{};
  std::optional<StringId> message;  // none: nothing to show
  bool operator==(const Outcome&) const = default;
};

}  // namespace orelith
