// A generated frame pair searched and compared as the window would, and which
// found stars hold which true stars.
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

  // Searched at `level` in both frames (0: the automatic background), then
  // compared.
  MeasuredField(const gen::FieldParams& p, int level);

  const gen::TrueStar& truth(int i) const { return field.truth[static_cast<std::size_t>(i)]; }

  // The found star under a true star's nearest pixel in `image`, or -1.
  int labelUnder(const gen::TrueStar& t, int image) const;

  // Paired blue star -> truth, where both stars hold that one true star alone.
  std::map<int, int> isolatedPairs() const;

  // Found star of `image` -> the true stars under it.
  std::map<int, std::vector<int>> truthOf(int image) const;
};

// "Star properties" of blue star `blue` (and its partner) with "Calibration
// star" ticked and V and B-V typed, OK; true when it was accepted.
bool calibrate(Workspace& ws, int blue, double v, double bv);

double median(std::vector<double> v);
double rms(const std::vector<double>& v);

}  // namespace orelith::test
