// orelith-batch's science options on the shipped samples.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <set>

#include "tests/support/Process.h"
#include "tests/support/TestWorkspace.h"

namespace orelith {
namespace {

namespace fs = std::filesystem;
const std::string kSamples = ORELITH_SAMPLES_DIR;
const std::string kMeasured = "--blue '" + kSamples + "/cluster.b' --green '" + kSamples +
                              "/cluster.g' --background-blue 1130 --background-green 1130 --search "
                              "--compare --calibration '" +
                              kSamples +
                              "/calibration.csv' --calculate "
                              "--complex --html r.html --cmd-color c.bmp ";

TEST(ScienceTool, AddsResultsAndLeavesTheSpecifiedOnesAlone) {
  const fs::path dir = test::makeTempDir();
  ASSERT_EQ(test::runIn(dir, ORELITH_BATCH, kMeasured + "--json plain.json"), 0);
  const std::string html = test::readText(dir / "r.html"), bmp = test::readText(dir / "c.bmp");
  ASSERT_EQ(test::runIn(dir, ORELITH_BATCH,
                        kMeasured + "--photometry aperture --model transform --csv t.csv "
                                    "--plot-cmd p.png --json -"),
            0);
  EXPECT_EQ(test::readText(dir / "r.html"), html);
  EXPECT_EQ(test::readText(dir / "c.bmp"), bmp);
  const auto plain = nlohmann::json::parse(test::readText(dir / "plain.json"));
  const auto s = nlohmann::json::parse(test::readText(dir / "out.txt"));
  EXPECT_EQ(s["images"][0]["stars"][0]["V"], plain["images"][0]["stars"][0]["V"]);
  EXPECT_TRUE(s["transform"]["BV"]["colour_fitted"]);
  EXPECT_EQ(s["diagnostics"]["transform"]["stars"].size(), 10u);
  // The samples' calibration stars reach V 13.5: fainter pairs are extrapolated.
  int pairs = 0, unpaired = 0;
  for (const auto& star : s["images"][0]["stars"]) {
    ASSERT_TRUE(star.contains("blended") && star.contains("aperture"));
    if (star["partner"] == -1) {
      ++unpaired;
      continue;
    }
    ++pairs;
    EXPECT_TRUE(star["standard"]["V"].get<double>() <= 14.0 || star["extrapolated"]);
  }
  std::set<int> partners;
  for (const auto& star : s["images"][0]["stars"]) partners.insert(star["partner"].get<int>());
  for (std::size_t g = 0; g < s["images"][1]["stars"].size(); ++g)
    unpaired += !partners.count(static_cast<int>(g));
  const std::string csv = test::readText(dir / "t.csv");
  EXPECT_EQ(csv.rfind("blue,green,x_blue", 0), 0u);
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 1 + pairs + unpaired);
  EXPECT_EQ(test::readText(dir / "p.png").substr(1, 3), "PNG");
  // The transformation without calibration stars fails; a bad annulus is a usage error.
  EXPECT_EQ(test::runIn(dir, ORELITH_BATCH, "--model transform"), 2);
  EXPECT_EQ(test::runIn(dir, ORELITH_BATCH, "--annulus 5,3"), 1);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace orelith
