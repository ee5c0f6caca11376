// The science against the truth of realistic generated frame pairs (gen::realisticParams).
// One pass per field feeds every check: the flags, saturated stars measured from their wings,
// blended pairs fitted together, and the measurement through the recommended options calibrated
// on six bright standards of which two are saturated and one blended.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "photometry/Science.h"
#include "photometry/StarProperties.h"
#include "tests/support/MeasuredField.h"

namespace orelith {
namespace {

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : 0.5 * (v[v.size() / 2 - 1] + v[v.size() / 2]);
}

double rms(const std::vector<double>& v) {
  double s = 0;
  for (double x : v) s += x * x;
  return std::sqrt(s / static_cast<double>(v.size()));
}

struct Tally {
  int saturated = 0, saturatedFlagged = 0;
  int clean = 0, cleanSaturated = 0, cleanBlended = 0;
  int blends = 0, blendsFlagged = 0;
  std::vector<double> wings, pairFirst, pairSecond;
  // By magnitude below the faintest standard: dV, dBV; every pull; the standards'
  // leave-one-out residuals over their quoted errors.
  std::map<int, std::vector<double>> dV, dBV;
  std::vector<double> pulls, looV, looBV;
  int fittedWarnings = 0;
};

constexpr std::uint32_t kShape = FLAG_SATURATED | FLAG_BLENDED | FLAG_EDGE;

double trueFlux(const gen::TrueStar& t, int image) {
  return image == kBlue ? t.blueFlux : t.greenFlux;
}

// Instrumental minus true magnitude of the clean bright stars: every magnitude's zero point.
double zeroPoint(const test::MeasuredField& m, const ScienceResults& r, int image) {
  std::vector<double> d;
  for (const auto& [k, truths] : m.truthOf(image)) {
    if (k < 0 || truths.size() != 1 || (r.flags.of(image, k) & kShape)) continue;
    const gen::TrueStar& t = m.truth(truths[0]);
    if (t.V < 13 && t.companion < 0)
      d.push_back(r.measures.of(image, k).mag + 2.5 * std::log10(trueFlux(t, image)));
  }
  return median(d);
}

void tallyFlagsAndFits(const test::MeasuredField& m, const ScienceResults& r, Tally& t) {
  for (int image : {kBlue, kGreen}) {
    const double zp = zeroPoint(m, r, image);
    const FrameScience& f = r.frames[image];
    for (const auto& [k, truths] : m.truthOf(image)) {
      if (k < 0) continue;
      const std::uint32_t flags = r.flags.of(image, k);
      const gen::TrueStar& first = m.truth(truths[0]);
      bool saturated = false;
      for (int i : truths) saturated = saturated || m.truth(i).saturatedIn[image];
      const bool pair = truths.size() == 2 && first.companion == truths[1];
      const StarScience& s = f.stars[static_cast<std::size_t>(k)];
      const auto fitted = [&](int c) { return -2.5 * std::log10(s.fit.flux[c] * f.psfScale) - zp; };
      if (saturated) {
        ++t.saturated;
        t.saturatedFlagged += (flags & FLAG_SATURATED) != 0;
        // Up to 1.5 mag beyond saturation: peaks up to 4 times the full well.
        if (truths.size() == 1 && first.peak[image] <= 4 * m.params.fullWell && s.fitted)
          t.wings.push_back(fitted(0) + 2.5 * std::log10(trueFlux(first, image)));
      } else if (truths.size() == 1 && first.companion < 0) {
        ++t.clean;
        t.cleanSaturated += (flags & FLAG_SATURATED) != 0;
        t.cleanBlended += (flags & FLAG_BLENDED) != 0;
      } else if (pair) {
        ++t.blends;
        t.blendsFlagged += (flags & FLAG_BLENDED) != 0;
        if (!s.fitted || s.fit.components != 2) continue;
        // The fit's first star started at the centroid, next to the brighter.
        const gen::TrueStar& second = m.truth(truths[1]);
        t.pairFirst.push_back(fitted(0) + 2.5 * std::log10(trueFlux(first, image)));
        t.pairSecond.push_back(fitted(1) + 2.5 * std::log10(trueFlux(second, image)));
      }
    }
  }
}

// Paired found stars holding exactly the true stars `want` (in both frames).
int pairOf(const test::MeasuredField& m, const std::vector<int>& want) {
  const auto blue = m.truthOf(kBlue), green = m.truthOf(kGreen);
  for (const auto& [k, truths] : blue) {
    const int g = k >= 0 ? star(*m.ws, kBlue, k).partner : -1;
    if (g >= 0 && truths == want && green.count(g) && green.at(g) == want) return k;
  }
  return -1;
}

// Two saturated stars (0.5 to 1.5 mag beyond the full well in V), one blended pair's brighter
// star and three clean stars, red giants where there are, as on frames of old clusters.
std::vector<std::pair<int, int>> chooseStandards(const test::MeasuredField& m) {
  std::vector<std::pair<int, int>> out;  // blue star, truth
  auto take = [&](auto wanted, double targetV,
                  std::vector<int> (*members)(int, const test::MeasuredField&)) {
    int best = -1, bestStar = -1;
    for (int i = 0; i < static_cast<int>(m.field.truth.size()); ++i) {
      if (!wanted(m.truth(i))) continue;
      const int k = pairOf(m, members(i, m));
      if (k < 0 || std::any_of(out.begin(), out.end(), [&](auto& e) { return e.first == k; }))
        continue;
      if (best < 0 || std::abs(m.truth(i).V - targetV) < std::abs(m.truth(best).V - targetV)) {
        best = i, bestStar = k;
      }
    }
    if (best >= 0) out.emplace_back(bestStar, best);
  };
  const auto alone = [](int i, const test::MeasuredField&) { return std::vector<int>{i}; };
  const auto withCompanion = [](int i, const test::MeasuredField& f) {
    return std::vector<int>{i, f.truth(i).companion};
  };
  const double full = m.params.fullWell;
  const auto saturated = [&](const gen::TrueStar& t) {
    return t.companion < 0 && t.peak[kGreen] > 1.5 * full && t.peak[kGreen] <= 4 * full;
  };
  const auto clean = [&](const gen::TrueStar& t) { return t.companion < 0 && !t.saturated; };
  const auto giant = [&](const gen::TrueStar& t) { return clean(t) && t.BV > 0.9; };
  const auto blended = [&](const gen::TrueStar& t) {
    return t.companion >= 0 && !t.saturated && t.greenFlux > m.truth(t.companion).greenFlux;
  };
  take(saturated, 9.5, +alone);
  take(saturated, 9.5, +alone);
  take(blended, 11.0, +withCompanion);
  for (double v : {10.5, 11.0, 11.5}) take(giant, v, +alone);
  while (out.size() < 6 && out.size() > 2) take(clean, 11.0, +alone);
  return out;
}

void tallyCalibration(const test::MeasuredField& m, Workspace& ws, Tally& t) {
  const auto standards = chooseStandards(m);
  ASSERT_EQ(standards.size(), 6u);
  double faintest = 0;
  for (const auto& [k, i] : standards) {
    const StarPropertiesEntry calibration{k,    star(ws, kBlue, k).partner, false,
                                          true, float(m.truth(i).V),        float(m.truth(i).BV)};
    ASSERT_EQ(applyStarProperties(ws, calibration).status, CalibrationEdit::Accepted);
    faintest = std::max(faintest, m.truth(i).V);
  }
  ScienceSettings s;
  s.aperture = s.transform = true;
  s.gain = m.params.gain;
  ScienceResults r = measureScience(ws, s);
  const auto abscissae = curveAbscissae(ws, r);
  ASSERT_EQ(calculateMagnitudes(ws, abscissae ? &*abscissae : nullptr).status, CalculateStatus::Ok);
  ASSERT_EQ(finishScience(ws, r), ScienceStatus::Done);
  tallyFlagsAndFits(m, r, t);
  for (const Warning& w : r.warnings) t.fittedWarnings += w.code == "flagged-standard-fitted";
  const ModelDiagnostics& d = r.transform->diagnostics;
  for (const CalibrationResidual& c : d.stars) {
    t.looV.push_back(c.looV / r.transform->standard[c.blueStar].VError);
    t.looBV.push_back(c.looBV / r.transform->standard[c.blueStar].BVError);
  }
  for (const auto& [k, i] : m.isolatedPairs()) {
    const int g = star(ws, kBlue, k).partner;
    if (((r.flags.of(kBlue, k) | r.flags.of(kGreen, g)) & kShape) ||
        hasBit(star(ws, kBlue, k).marks, MARK_CALIBRATION) || m.truth(i).companion >= 0)
      continue;
    const StandardMagnitudes& sm = r.transform->standard[k];
    if (!std::isfinite(sm.V) || !std::isfinite(sm.BV)) continue;  // no flux measured
    const int bin = static_cast<int>(std::floor(m.truth(i).V - faintest));
    if (bin < -2 || bin >= 4) continue;
    t.dV[bin].push_back(sm.V - m.truth(i).V);
    t.dBV[bin].push_back(sm.BV - m.truth(i).BV);
    t.pulls.push_back((sm.V - m.truth(i).V) / sm.VError);
    t.pulls.push_back((sm.BV - m.truth(i).BV) / sm.BVError);
  }
}

TEST(RealisticFields, MeetTheTargets) {
  Tally t;
  for (std::uint64_t seed = 1; seed <= 4; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    // Sky 200, noise 6: a level 20 sigma up keeps the brightest stars within 512 pixels.
    test::MeasuredField m(gen::realisticParams(seed), 330);
    tallyCalibration(m, *m.ws, t);
  }
  std::printf(
      "saturated flagged %d/%d, clean flagged saturated %d blended %d of %d, blends flagged %d/%d\n"
      "wings: median %.3f rms %.3f (n %zu); pairs: rms %.3f and %.3f (n %zu)\n",
      t.saturatedFlagged, t.saturated, t.cleanSaturated, t.cleanBlended, t.clean, t.blendsFlagged,
      t.blends, median(t.wings), rms(t.wings), t.wings.size(), rms(t.pairFirst), rms(t.pairSecond),
      t.pairFirst.size());
  for (const auto& [bin, d] : t.dV)
    std::printf("V %+d..%+d mag from the faintest standard: median dV %+.3f dBV %+.3f (n %zu)\n",
                bin, bin + 1, median(d), median(t.dBV[bin]), d.size());
  std::printf(
      "pull rms %.2f; standards' leave-one-out residuals / quoted errors: rms V %.2f, "
      "B-V %.2f\n",
      rms(t.pulls), rms(t.looV), rms(t.looBV));
  EXPECT_GE(t.saturatedFlagged, 0.95 * t.saturated) << t.saturated;
  EXPECT_LE(t.cleanSaturated, 0.01 * t.clean) << t.clean;
  EXPECT_LE(t.cleanBlended, 0.02 * t.clean) << t.clean;
  EXPECT_GE(t.blendsFlagged, 0.9 * t.blends) << t.blends;
  ASSERT_GE(t.wings.size(), 20u);
  EXPECT_LE(std::abs(median(t.wings)), 0.03);
  EXPECT_LE(rms(t.wings), 0.06);
  ASSERT_GE(t.pairFirst.size(), 20u);
  for (const auto* pair : {&t.pairFirst, &t.pairSecond}) EXPECT_LE(rms(*pair), 0.05);
  for (const auto& [bin, d] : t.dV) {
    EXPECT_GE(d.size(), 8u) << bin;
    EXPECT_LE(std::abs(median(d)), 0.02) << bin;
    EXPECT_LE(std::abs(median(t.dBV[bin])), 0.03) << bin;
  }
  EXPECT_EQ(t.dV.size(), 6u);
  EXPECT_GE(rms(t.pulls), 0.8);
  EXPECT_LE(rms(t.pulls), 1.3);
  // The standards' quoted errors against their leave-one-out scatter.
  for (const auto* loo : {&t.looV, &t.looBV}) EXPECT_NEAR(std::log(rms(*loo)), 0, std::log(1.5));
  EXPECT_EQ(t.fittedWarnings, 4);
}

}  // namespace
}  // namespace orelith
