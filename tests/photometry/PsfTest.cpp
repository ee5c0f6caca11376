// The pure parts of the science on stamps made here: the Moffat profile and its fits, the curve
// of growth, the curves' uncertainty and turning, the transformation's scatter term. Expected
// values by hand where the comments say so, else the values the stamps were made from.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "photometry/CurveErrors.h"
#include "photometry/CurveOfGrowth.h"
#include "photometry/Psf.h"
#include "photometry/StandardTransform.h"
#include "photometry/Warnings.h"
#include "tools/FieldGenerator.h"

namespace orelith {
namespace {

// A noise-free stamp of side 2 half + 1 about (20, 20) on a sky of 100, every pixel's noise 1;
// pixels above `clip` counts left out.
Stamp makeStars(const PsfShape& shape, const std::vector<StarGuess>& stars, int half = 8,
                double clip = INFINITY) {
  Stamp s;
  s.left = s.top = 20 - half;
  s.width = s.height = 2 * half + 1;
  s.sky = 100;
  for (int j = 0; j < s.height; ++j)
    for (int i = 0; i < s.width; ++i) {
      double v = s.sky;
      for (const StarGuess& g : stars)
        v += g.flux * psfPixel(shape, s.left + i - g.x, s.top + j - g.y);
      s.value.push_back(v > clip ? NAN : v);
      s.sigma.push_back(1.0);
    }
  return s;
}

const PsfShape kShape = [] {
  PsfShape s = PsfShape::round(3.0, 3.0);
  s.q11 *= 1.2;  // elliptical, tilted
  s.rho = 0.1;
  return s;
}();

TEST(Psf, ProfileHoldsTheWholeLightAndItsFwhm) {
  double sum = 0;
  for (int y = -40; y <= 40; ++y)
    for (int x = -40; x <= 40; ++x) sum += psfPixel(PsfShape::round(3.0, 3.0), x, y);
  // Beyond 40 pixels (alpha 2.94) lies (1 + 40^2 / 2.94^2)^-2, 2e-5, of the light.
  EXPECT_NEAR(sum, 1.0, 1e-4);
  EXPECT_NEAR(PsfShape::round(3.0, 3.0).fwhm(), 3.0, 1e-12);
  const PsfShape r = PsfShape::round(2.5, 4.0);
  EXPECT_NEAR(r.at(1.25, 0), r.at(0, 0) / 2, 1e-12);  // half the peak at half the FWHM
}

// The flux and centre of a star whose core above 2000 counts is left out, and of a pair 3 pixels
// apart at 25 %, found from the single fit's residual.
TEST(Psf, FitsTheWingsAndFindsTheNeighbour) {
  const StarGuess star{20.3, 19.6, 1e5};
  const Stamp clipped = makeStars(kShape, {star}, 10, 2000);
  ASSERT_LT(clipped.pixels(), 441 - 5);
  const StarGuess start{20, 20, 5e4};
  const PsfStarFit wings = fitStars(kShape, clipped, std::span(&start, 1));
  ASSERT_TRUE(fitUsable(wings));
  EXPECT_NEAR(wings.flux[0] / star.flux, 1.0, 1e-6);
  EXPECT_NEAR(wings.x[0], star.x, 1e-5);
  EXPECT_NEAR(wings.y[0], star.y, 1e-5);

  const StarGuess second{22.4, 21.7, 2.5e4};  // 3.0 pixels away
  const Stamp pair = makeStars(kShape, {star, second});
  const PsfStarFit single = fitStars(kShape, pair, std::span(&start, 1));
  const PsfStarFit both = fitWithNeighbour(kShape, pair, single);
  ASSERT_TRUE(secondStarFound(single, both, 3.0));
  EXPECT_NEAR(both.flux[0], star.flux, 1e-3);
  EXPECT_NEAR(both.flux[1], second.flux, 1e-3);
  EXPECT_NEAR(both.x[1], second.x, 1e-6);
  // A single star leaves nothing for a second one.
  const Stamp alone = makeStars(kShape, {star});
  const PsfStarFit one = fitStars(kShape, alone, std::span(&start, 1));
  EXPECT_FALSE(secondStarFound(one, fitWithNeighbour(kShape, alone, one), 3.0));
  // A bright star 8 pixels off, beyond the stamp's edge 5 pixels off, lights its side: the
  // second star goes after it and leaves the stamp, where the pair fit gives up.
  const Stamp lit = makeStars(kShape, {star, {28.3, 19.6, 1e6}}, 5);
  const PsfStarFit lone = fitStars(kShape, lit, std::span(&start, 1));
  const PsfStarFit chase = fitWithNeighbour(kShape, lit, lone);
  EXPECT_FALSE(chase.converged);
  EXPECT_GT(chase.x[1], 25.5);
}

// Through GSL's solver and on the summed normal equations alike.
TEST(Psf, ShapeFromStarsAtDifferentPlaces) {
  std::vector<Stamp> stamps;
  std::vector<StarGuess> guesses;
  for (int k = 0; k < 4; ++k) {
    const StarGuess s{19.6 + 0.25 * k, 20.4 - 0.2 * k, 2e4 * (k + 1)};
    stamps.push_back(makeStars(kShape, {s}));
    guesses.push_back({20, 20, s.flux * 0.8});
  }
  for (bool summed : {false, true}) {
    const PsfShapeFit fit = fitPsfShape(stamps, guesses, 2.5, summed);
    ASSERT_TRUE(fit.converged) << summed;
    for (const auto& [got, want] : {std::pair{fit.shape.q11, kShape.q11},
                                    {fit.shape.q22, kShape.q22},
                                    {fit.shape.rho, kShape.rho},
                                    {fit.shape.beta, kShape.beta}})
      EXPECT_NEAR(got, want, 1e-5 * std::max(1.0, want)) << summed;
  }
}

// The tabulated profile against the one worked out at every pixel (its reference) for shapes
// from sharp to wide, round to elongated and Moffat to Gaussian: pixel means at 4000 places
// within and beyond the table agree to 1e-3 of the peak, and a fit of a noisy star, single, with
// its core clipped, or with a neighbour, finds the same flux to 1e-3 and place to 0.003 pixel.
TEST(Psf, TableFollowsTheWorkedOutProfile) {
  PsfShape tilted = PsfShape::round(3.5, 4.0);
  tilted.q22 *= 0.6, tilted.rho = -0.3;
  std::mt19937_64 rng(11);
  for (const PsfShape& shape : {PsfShape::round(2.2, 2.5), tilted, PsfShape::round(1.8, 200.0),
                                PsfShape::round(6.0, 3.0), kShape}) {
    const PsfProfile table = PsfProfile::tabulated(shape);
    const double peak = psfPixel(shape, 0, 0), reach = 3 * shape.fwhm() + 6;
    std::uniform_real_distribution<double> at(-reach, reach), near(-shape.fwhm(), shape.fwhm());
    double worst = 0;
    for (int k = 0; k < 4000; ++k) {
      const double dx = k % 2 ? at(rng) : near(rng), dy = k % 2 ? at(rng) : near(rng);
      worst = std::max(worst, std::abs(table.pixel(dx, dy) - psfPixel(shape, dx, dy)));
    }
    EXPECT_LT(worst, 1e-3 * peak) << shape.fwhm();

    std::normal_distribution<double> noise(0, 1);
    const StarGuess star{20.3, 19.6, 4e4}, other{22.9, 21.4, 1.5e4};
    const StarGuess start{20, 20, 3e4};
    for (const Stamp& clean : {makeStars(shape, {star}, 10), makeStars(shape, {star}, 10, 2000),
                               makeStars(shape, {star, other}, 10)}) {
      Stamp stamp = clean;
      for (double& v : stamp.value) v += noise(rng);
      const PsfStarFit exact = fitStars(shape, stamp, std::span(&start, 1));
      const PsfStarFit read = fitStars(table, stamp, std::span(&start, 1));
      ASSERT_EQ(read.converged, exact.converged);
      EXPECT_NEAR(read.flux[0] / exact.flux[0], 1.0, 1e-3) << shape.fwhm();
      EXPECT_NEAR(read.x[0], exact.x[0], 3e-3);
      EXPECT_NEAR(read.y[0], exact.y[0], 3e-3);
      const PsfStarFit pairExact = fitWithNeighbour(shape, stamp, exact);
      const PsfStarFit pairRead = fitWithNeighbour(table, stamp, read);
      EXPECT_EQ(secondStarFound(read, pairRead, shape.fwhm()),
                secondStarFound(exact, pairExact, shape.fwhm()));
    }
  }
}

// Stars of a Gaussian profile (FWHM 2.4, the generator's pixel integrals) drive beta on without
// end; the shape fit gives up beyond beta 50 and settles with beta 200, on the Gaussian's FWHM and
// the stars' places. Moffat stars of beta 30 keep theirs. Through either solver.
TEST(Psf, GaussianStarsSettleOnTheLargestBeta) {
  std::vector<Stamp> stamps;
  std::vector<StarGuess> guesses;
  for (int k = 0; k < 5; ++k) {
    const StarGuess star{19.7 + 0.15 * k, 20.2 - 0.1 * k, 1e4 * (k + 1)};
    Stamp s = makeStars(kShape, {});
    for (int j = 0; j < s.height; ++j)
      for (int i = 0; i < s.width; ++i)
        s.value[static_cast<std::size_t>(j * s.width + i)] +=
            star.flux * gen::pixelFraction(2.4, s.left + i - star.x, s.top + j - star.y);
    stamps.push_back(s);
    guesses.push_back({20, 20, star.flux * 0.8});
  }
  for (bool summed : {false, true}) {
    const PsfShapeFit fit = fitPsfShape(stamps, guesses, 3.0, summed);
    ASSERT_TRUE(fit.converged) << summed;
    EXPECT_EQ(fit.shape.beta, 200.0);
    EXPECT_NEAR(fit.shape.fwhm(), 2.4, 0.01);
    EXPECT_NEAR(fit.shape.rho, 0.0, 1e-3);
    const StarGuess start{20, 20, 4e4};
    const PsfStarFit last = fitStars(fit.shape, stamps[4], std::span(&start, 1));
    EXPECT_NEAR(last.x[0], 20.3, 1e-3);
    EXPECT_NEAR(last.flux[0], 5e4, 0.002 * 5e4);
  }

  const PsfShape steep = PsfShape::round(2.4, 30.0);
  for (int k = 0; k < 5; ++k) {
    const StarGuess star{19.7 + 0.15 * k, 20.2 - 0.1 * k, 1e4 * (k + 1)};
    stamps[static_cast<std::size_t>(k)] = makeStars(steep, {star});
  }
  for (bool summed : {false, true}) {
    const PsfShapeFit moffat = fitPsfShape(stamps, guesses, 3.0, summed);
    ASSERT_TRUE(moffat.converged) << summed;
    EXPECT_NEAR(moffat.shape.beta, 30.0, 0.01);
  }
}

// The blend search skips the fit of a star whose start is below its gate, or falls below it with
// the start's best flux and sky offset, and stops a fit once below: on 300 noisy stars and pairs
// (guesses off by up to half a pixel and 30 % in flux) the chi-square never exceeds the start's,
// and the stopped fit decides as the whole fit does: with the worked-out profile (GSL's solver)
// and with its table (the normal equations').
class FitStart : public ::testing::TestWithParam<bool> {};

TEST_P(FitStart, NeverRisesAboveItsStart) {
  const PsfProfile profile = GetParam() ? PsfProfile::tabulated(kShape) : PsfProfile(kShape);
  std::mt19937 random(7);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::normal_distribution<double> noise(0.0, 1.0);
  int skipped = 0, stopped = 0, solved = 0;
  for (int n = 0; n < 300; ++n) {
    const StarGuess truth{19.5 + unit(random), 19.5 + unit(random),
                          std::pow(10.0, 2 + 3 * unit(random))};
    std::vector<StarGuess> stars{truth};
    if (n % 3 == 0) stars.push_back({truth.x + 3, truth.y - 2, 0.3 * truth.flux});
    Stamp stamp = makeStars(kShape, stars, 6);
    for (double& v : stamp.value) v += noise(random);
    const StarGuess guess{truth.x + unit(random) - 0.5, truth.y + unit(random) - 0.5,
                          truth.flux * (0.7 + 0.6 * unit(random))};
    const double start = fitStars(profile, stamp, std::span(&guess, 1), INFINITY).chi2;
    const PsfStarFit fit = fitStars(profile, stamp, std::span(&guess, 1));
    ASSERT_LE(fit.chi2, start * (1 + 1e-12)) << n;
    const double gate = stamp.pixels() + 25.0;
    EXPECT_TRUE(start >= gate || fit.chi2 < gate) << n;  // below the gate stays below
    skipped += start < gate;
    const PsfStarFit stopping = fitStars(profile, stamp, std::span(&guess, 1), gate);
    ASSERT_EQ(stopping.stopped, fit.chi2 < gate) << n;
    if (stopping.stopped) {
      EXPECT_LT(stopping.chi2, gate) << n;
      if (start < gate) {
        EXPECT_EQ(stopping.x[0], guess.x) << n;  // stopped where it started
        EXPECT_EQ(stopping.flux[0], guess.flux) << n;
      }
      // Stopped where it started with the flux solved.
      solved += start >= gate && stopping.x[0] == guess.x && stopping.flux[0] != guess.flux;
      ++stopped;
    } else {
      EXPECT_EQ(stopping.chi2, fit.chi2) << n;
      EXPECT_EQ(stopping.flux[0], fit.flux[0]) << n;
    }
  }
  EXPECT_GT(skipped, 0);    // the skip is met
  EXPECT_GT(stopped, 0);    // and so is the stop
  EXPECT_GT(solved, 0);     // and the solved start
  EXPECT_LT(stopped, 300);  // some fits end above the gate
}
INSTANTIATE_TEST_SUITE_P(Psf, FitStart, ::testing::Bool());

// A fit follows light wherever it leads: here the wing of a star centred 2 pixels beyond the
// stamp's edge (the stamp spans 13..27 in x), started at the edge. Its centre then lies off the
// stamp, and the fit, however settled, measures that other star: not converged, with either
// profile. The same star 2 pixels inside the edge converges.
TEST(Psf, StarLeavingItsStampIsNotMeasured) {
  const PsfShape shape = PsfShape::round(2.2, 4.0);
  std::mt19937 random(1);
  std::normal_distribution<double> noise(0.0, 8.0);
  for (const PsfProfile& profile : {PsfProfile(shape), PsfProfile::tabulated(shape)}) {
    for (double x : {29.5, 25.5}) {
      Stamp stamp = makeStars(shape, {{x, 20.3, 1e5}}, 7);
      for (double& v : stamp.value) v += noise(random);
      for (double& sigma : stamp.sigma) sigma = 8;
      const StarGuess guess{26, 20, 5e4};
      const PsfStarFit fit = fitStars(profile, stamp, std::span(&guess, 1));
      EXPECT_NEAR(fit.x[0], x, 0.2);
      EXPECT_NEAR(fit.flux[0], 1e5, 2e4);
      EXPECT_EQ(fit.converged, x < 27.5) << x;
    }
  }
}

// Enclosed light 1 - (1 + r^2)^-2 (a Moffat of beta 3, alpha 1) at radii 1..8: by hand it
// reaches 95 % of its value at 8 (0.99985) first at r = 2 (0.96); correction 0.99985 / 0.96.
TEST(CurveOfGrowth, RadiusWhereTheCurveFlattensAndItsCorrection) {
  const std::vector<double> radii = {1, 2, 3, 4, 5, 6, 7, 8};
  std::vector<std::vector<double>> fluxes(3);
  for (int s = 0; s < 3; ++s)
    for (double r : radii) fluxes[s].push_back((s + 1) * 1000 * (1 - std::pow(1 + r * r, -2)));
  const GrowthChoice g = chooseAperture(radii, fluxes);
  EXPECT_EQ(g.radius, 2);
  EXPECT_NEAR(g.correction, (1 - std::pow(65.0, -2)) / 0.96, 1e-12);
  EXPECT_EQ(g.stars, 3);
  EXPECT_NEAR(g.scatter, 0, 1e-12);
  EXPECT_NEAR(growthAt(radii, fluxes, 7).correction, 1.0, 1e-12);
}

// A parabola falling to lg 4 and rising after it turns over inside 3..5, not inside 2..3.9;
// a straight fit through three exact points has no scatter, through two no known errors.
TEST(CalibrationCurve, TurningAndUncertainty) {
  const double parabola[] = {16.0, -8.0, 1.0};  // (lg - 4)^2
  const auto turned = curveTurnsOver(parabola, 3, 3.0, 5.0, 1);
  ASSERT_TRUE(turned);
  EXPECT_EQ(turned->code, "curve-not-monotonic");
  EXPECT_NE(turned->text.find("green"), std::string::npos);
  EXPECT_NE(turned->text.find("4.00 and 5.00"), std::string::npos) << turned->text;
  EXPECT_FALSE(curveTurnsOver(parabola, 3, 2.0, 3.9, 0));

  const double line[] = {20.0, -2.5};
  const BreloxPoint exact[] = {{2, 15}, {3, 12.5}, {4, 10}};
  const CurveUncertainty u = curveUncertainty(exact, 3, line, 2);
  ASSERT_TRUE(u.known);
  EXPECT_NEAR(curveVariance(u, 3.5), 0, 1e-20);
  EXPECT_TRUE(std::isnan(curveVariance(curveUncertainty(exact, 2, line, 2), 3.0)));
  // The middle point 0.3 up: residuals -0.1, 0.2, -0.1, so scatter^2 = 0.06 for one degree of
  // freedom, and at the centre g^T (X^T X)^-1 g = 1/3.
  const BreloxPoint off[] = {{2, 15}, {3, 12.8}, {4, 10}};
  const double fitted[] = {20.1, -2.5};  // the least-squares line through them
  EXPECT_NEAR(curveVariance(curveUncertainty(off, 3, fitted, 2), 3.0), 0.06 * (1 + 1.0 / 3), 1e-12);
  EXPECT_NEAR(curveSlope(parabola, 3, 5.0), 2.0, 1e-12);
}

// y = +-1 about a held mean with errors of 0.001: chi2 = dof = 3 asks for 4 / (1e-6 + s^2) = 3,
// s^2 = 4/3 - 1e-6; the zero's error is then sqrt(1 / 3). By hand.
TEST(StandardTransform, ScatterBeyondTheErrors) {
  const double x[] = {0, 1, 2, 3}, y[] = {1, -1, 1, -1}, sigma[] = {1e-3, 1e-3, 1e-3, 1e-3};
  LineFit f;
  ASSERT_TRUE(fitLine(x, y, sigma, 4, false, 0.0, f));
  EXPECT_NEAR(f.scatter, std::sqrt(4.0 / 3 - 1e-6), 1e-9);
  EXPECT_NEAR(f.zeroError, std::sqrt(1.0 / 3), 1e-9);
  EXPECT_NEAR(f.chi2, 3.0, 1e-9);
}

}  // namespace
}  // namespace orelith
