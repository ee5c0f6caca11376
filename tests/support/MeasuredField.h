// A generated frame pair searched and compared as the window would; which found star holds which.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "image/Workspace.h"
#include "tools/FieldGenerator.h"

namespace orelith::test {

struct MeasuredField {
  gen::FieldParams params;
  gen::FieldPair field;
  std::unique_ptr<Workspace> ws;

  // Searched at `level` in both frames (0: the automatic background), then compared.
  MeasuredField(const gen::FieldParams& p, int level);

  const gen::TrueStar& truth(int i) const { return field.truth[static_cast<std::size_t>(i)]; }

  // The found star under a true star's nearest pixel in `image`, or -1.
  int labelUnder(const gen::TrueStar& t, int image) const;

  // Paired blue star -> truth, where both stars hold that one true star alone.
  std::map<int, int> isolatedPairs() const;

  // Found star of `image` -> the true stars under it.
  std::map<int, std::vector<int>> truthOf(int image) const;
};

}  // namespace orelith::test
