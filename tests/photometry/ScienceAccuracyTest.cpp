// Aperture photometry and the standard transformation on generated fields
// with known magnitudes, calibrated on six bright stars; and the flags
// against the generator's own record of saturated and border stars.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "photometry/ScienceTable.h"
#include "tests/photometry/MeasuredField.h"
#include "tests/support/ParamName.h"

namespace orelith {
namespace {

struct Bin {
  double lo, hi;
  double maxMedian, maxRmsV, maxRmsBV;
};

struct Row {
  std::string name;
  bool aperture;
  double maxPull;  // of the pulls' RMS; the least is 0.7 for both
  std::vector<Bin> bins;
};

// The aperture row holds the targets; the summed brightness (cut at the
// detection level) is known to lose faint flux, and its row records what it
// reaches.
// clang-format off
const Row kRows[] = {
    {"aperture", true, 1.5,
     {{9, 12, 0.03, 0.05, 0.07}, {12, 13, 0.03, 0.05, 0.07}, {13, 14, 0.03, 0.05, 0.07}}},
    {"summed", false, 4.5,
     {{9, 12, 0.03, 0.03, 0.03}, {12, 13, 0.12, 0.12, 0.12}, {13, 14, 0.35, 0.35, 0.5}}},
};
// clang-format on

struct Sample {
  double V, dV, dBV, pullV, pullBV;
};

// Every saturated true star and every one whose nearest pixel lies on the
// frame's border is flagged in the image where it happens.
void checkFlags(const test::MeasuredField& m, const ScienceTable& table) {
  for (const gen::TrueStar& t : m.field.truth) {
    std::uint32_t flags = 0;
    for (int image : {kBlue, kGreen}) {
      const int k = m.labelUnder(t, image);
      if (k < 0) continue;
      flags |= table.flags[k][image];
      const double x = t.x + (image == kGreen ? m.params.shiftX : 0);
      const double y = t.y + (image == kGreen ? m.params.shiftY : 0);
      const double border = std::min({x, y, kImageWidth - 1 - x, kImageHeight - 1 - y});
      EXPECT_TRUE(border >= 0.5 || (table.flags[k][image] & FLAG_EDGE)) << x << "," << y;
    }
    EXPECT_TRUE(!t.saturated || (flags & FLAG_SATURATED)) << "V " << t.V;
  }
}

// One generated pair, flagged and calibrated on the six unflagged isolated
// stars nearest V = 9.5 .. 12 as the dialog takes them (V and B = V + (B-V)
// as floats); appends the errors of every other unflagged isolated pair.
void measure(std::uint64_t seed, bool aperture, std::vector<Sample>& samples) {
  gen::FieldParams p;
  p.seed = seed;
  p.edgeMargin = 0;
  const test::MeasuredField m(p);
  Workspace& ws = *m.ws;
  ScienceSettings settings;
  settings.aperture = aperture;
  auto table = std::make_unique<ScienceTable>();
  computeStarFlags(ws, settings, *table);
  checkFlags(m, *table);
  const std::map<int, int> isolated = m.isolatedPairs();
  const auto flags = [&](int k) {
    return table->flags[k][kBlue] | table->flags[star(ws, kBlue, k).partner][kGreen];
  };
  for (auto [k, i] : m.pick({isolated.begin(), isolated.end()}, {9.5, 10.0, 10.5, 11.0, 11.5, 12.0},
                            [&](const auto&e, double target) {
                              return std::abs(m.truth(e.second).V - target) +
                                     (flags(e.first) ? 99 : 0);
                            })) {
    StarRecord& s = star(ws, kBlue, k);
    s.marks |= MARK_CALIBRATION;
    s.magnitudeV = static_cast<float>(m.truth(i).V);
    s.magnitudeB = s.magnitudeV + static_cast<float>(m.truth(i).BV);
    ws.calibration.entries[ws.calibration.count++] = {k, s.partner};
  }
  ASSERT_EQ(ws.calibration.count, 6);
  computeStarFlags(ws, settings, *table);
  if (aperture) measureApertures(ws, settings, *table);
  ASSERT_TRUE(computeTransform(ws, settings, *table));
  EXPECT_TRUE(table->transform.v.slopeFitted);
  for (auto [k, i] : isolated) {
    if ((flags(k) & (FLAG_SATURATED | FLAG_EDGE | FLAG_BLENDED)) ||
        (star(ws, kBlue, k).marks & MARK_CALIBRATION))
      continue;
    const StandardMagnitudes& s = table->standard[k];
    const double dV = s.V - m.truth(i).V, dBV = s.BV - m.truth(i).BV;
    samples.push_back({m.truth(i).V, dV, dBV, dV / s.VError, dBV / s.BVError});
  }
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : 0.5 * (v[v.size() / 2 - 1] + v[v.size() / 2]);
}

double rms(const std::vector<double>& v) {
  double s = 0;
  for (double x : v) s += x * x;
  return std::sqrt(s / static_cast<double>(v.size()));
}

class ScienceAccuracy : public testing::TestWithParam<Row> {};

TEST_P(ScienceAccuracy, MagnitudeBinsMeetTheirBounds) {
  std::vector<Sample> samples;
  for (std::uint64_t seed : {1u, 7u, 2026u, 99u}) measure(seed, GetParam().aperture, samples);
  std::vector<double> pullV, pullBV;
  for (const Bin& bin : GetParam().bins) {
    std::vector<double> dV, dBV;
    for (const Sample& s : samples) {
      if (s.V < bin.lo || s.V >= bin.hi) continue;
      dV.push_back(s.dV);
      dBV.push_back(s.dBV);
      pullV.push_back(s.pullV);
      pullBV.push_back(s.pullBV);
    }
    ASSERT_GE(dV.size(), 8u) << bin.lo;
    EXPECT_LE(std::abs(median(dV)), bin.maxMedian) << bin.lo;
    EXPECT_LE(rms(dV), bin.maxRmsV) << bin.lo;
    EXPECT_LE(rms(dBV), bin.maxRmsBV) << bin.lo;
  }
  for (const std::vector<double>& pulls : {pullV, pullBV}) {
    EXPECT_GE(rms(pulls), 0.7);
    EXPECT_LE(rms(pulls), GetParam().maxPull);
  }
}

INSTANTIATE_TEST_SUITE_P(Models, ScienceAccuracy, testing::ValuesIn(kRows), test::ParamName{});

}  // namespace
}  // namespace orelith
