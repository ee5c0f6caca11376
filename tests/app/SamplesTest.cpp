// The shipped samples measured as a user would: orelith-batch laid out by `cmake --install` and
// run from an empty directory, so that it finds its fit library and diagram templates beside it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <set>

#include "image/St6Loader.h"
#include "tests/support/Process.h"
#include "tests/support/TestWorkspace.h"

namespace orelith {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

const std::string kSamples = ORELITH_SAMPLES_DIR;
const std::string kMeasured =
    "--blue '" + kSamples + "/cluster.b' --green '" + kSamples +
    "/cluster.g' --background-blue 1130 --background-green 1130 --search --compare "
    "--calibration '" +
    kSamples +
    "/calibration.csv' --calculate --html report --complex --cmd-mono cmd "
    "--cmd-color cmd-color.bmp --render-blue blue.png --render-green green.png ";

TEST(Samples, InstalledBatchMeasuresThemWithAndWithoutScienceOptions) {
  const fs::path prefix = test::makeTempDir(), dir = test::makeTempDir();
  const std::string install = "'" CMAKE_COMMAND "' --install '" ORELITH_BUILD_DIR "' --prefix '" +
                              prefix.string() + "' >/dev/null";
  ASSERT_EQ(std::system(install.c_str()), 0);
  const std::string batch = (prefix / "bin/orelith-batch").string();
  ASSERT_EQ(test::runIn(dir, batch, kMeasured + "--json state.json"), 0)
      << test::readText(dir / "err.txt");
  for (const char* name : {"report.html", "cmd-color.bmp", "blue.png", "green.png"})
    EXPECT_TRUE(fs::exists(dir / name)) << name;  // the report got its extension
  EXPECT_EQ(fs::file_size(dir / "cmd.bmp"), 33382u);
  const json state = json::parse(test::readText(dir / "state.json"));
  ASSERT_EQ(state["magnitudes"], true);
  EXPECT_EQ(state["calibration_list"].size(), 10u);
  const std::string html = test::readText(dir / "report.html");
  const std::string bmp = test::readText(dir / "cmd-color.bmp");
  int paired = 0;
  for (const json& s : state["images"][0]["stars"]) {
    if (s["partner"] == -1) continue;
    ++paired;
    const std::string at =
        "@(" + std::to_string(s["x"].get<int>()) + "|" + std::to_string(s["y"].get<int>()) + ")";
    EXPECT_NE(html.find(at), std::string::npos) << at;
    EXPECT_TRUE(s["calibration"] || (s["V"] > 8.0 && s["V"] < 17.0)) << at;  // V 8.5 to 15.5
  }
  EXPECT_GT(paired, 100);

  // The aperture photometry feeds the curves too: the report's magnitudes change.
  ASSERT_EQ(test::runIn(dir, batch,
                        kMeasured + "--photometry aperture --model transform --csv t.csv "
                                    "--plot-cmd p.png --json -"),
            0);
  EXPECT_NE(test::readText(dir / "report.html"), html);
  EXPECT_NE(test::readText(dir / "cmd-color.bmp"), bmp);
  const json s = json::parse(test::readText(dir / "out.txt"));
  EXPECT_TRUE(s["transform"]["BV"]["colour_fitted"]);
  EXPECT_EQ(s["diagnostics"]["transform"]["stars"].size(), 10u);
  // The calibration stars reach V 13.5: fainter pairs are extrapolated.
  std::set<int> partners;
  for (const json& star : s["images"][0]["stars"]) {
    ASSERT_TRUE(star.contains("blended") && star.contains("aperture"));
    partners.insert(star["partner"].get<int>());
    EXPECT_TRUE(star["partner"] == -1 || star["standard"]["V"].get<double>() <= 14.0 ||
                star["extrapolated"]);
  }
  partners.erase(-1);
  // A row per blue star and per green star that no blue star pairs with.
  const std::string csv = test::readText(dir / "t.csv");
  EXPECT_EQ(csv.rfind("blue,green,x_blue", 0), 0u);
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'),
            1 + s["images"][0]["stars"].size() + s["images"][1]["stars"].size() - partners.size());
  EXPECT_EQ(test::readText(dir / "p.png").substr(1, 3), "PNG");
  EXPECT_EQ(test::runIn(dir, batch, "--model transform"), 2);  // no calibration stars
  fs::remove_all(prefix);
  fs::remove_all(dir);
}

// netpbm's reader of SBIG files, written by others, sees the same pixels.
TEST(Samples, ReadAsSbigtopgmReadsThem) {
  if (std::system("command -v sbigtopgm >/dev/null 2>&1") != 0) GTEST_SKIP() << "netpbm missing";
  const fs::path dir = test::makeTempDir();
  for (const char* name : {"cluster.b", "cluster.g"}) {
    const std::string file = kSamples + "/" + name, pgm = (dir / "frame.pgm").string();
    ASSERT_EQ(std::system(("sbigtopgm '" + file + "' >'" + pgm + "' 2>/dev/null").c_str()), 0);
    const std::string bytes = test::readText(pgm), head = "P5\n375 242\n65535\n";
    ASSERT_EQ(bytes.size(), head.size() + 2u * kPixelCount);
    ASSERT_EQ(bytes.compare(0, head.size(), head), 0);
    std::vector<std::uint16_t> ours(kPixelCount);
    ASSERT_EQ(readSt6File(file, ours.data()), St6Status::Ok);
    for (std::size_t i = 0; i < ours.size(); ++i) {
      const auto* p = reinterpret_cast<const unsigned char*>(&bytes[head.size() + 2 * i]);
      ASSERT_EQ(ours[i], (p[0] << 8) | p[1]) << name << " pixel " << i;
    }
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace orelith
