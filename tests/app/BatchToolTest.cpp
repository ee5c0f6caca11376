// orelith-batch run as a user would: as a process, with files in a
// temporary directory.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "tests/support/Process.h"
#include "tests/support/TestWorkspace.h"

namespace orelith {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

// Three stars on a sky of 1000: a plus of 9 pixels, a single pixel and a
// 2 x 2 square.
std::uint16_t threeStars(int x, int y) {
  if ((x == 50 && std::abs(y - 60) <= 2) || (y == 60 && std::abs(x - 50) <= 2))
    return static_cast<std::uint16_t>(3000 - 300 * (std::abs(x - 50) + std::abs(y - 60)));
  if (x == 200 && y == 100) return 1500;
  if (x >= 300 && x <= 301 && y >= 200 && y <= 201) return 1200;
  return 1000;
}

class BatchTool : public testing::Test {
 protected:
  void SetUp() override {
    dir = test::makeTempDir();
    test::writeBytes(dir / "m67.b", test::st6Bytes(threeStars));
  }
  void TearDown() override { fs::remove_all(dir); }

  int run(const std::string& args) { return test::runIn(dir, ORELITH_BATCH, args); }
  std::string out() { return test::readText(dir / "out.txt"); }
  std::string err() { return test::readText(dir / "err.txt"); }

  fs::path dir;
};

TEST_F(BatchTool, LoadsAndSearchesAndWritesTheState) {
  ASSERT_EQ(run("--blue m67.b --background-blue 1000 --search --json state.json"), 0) << err();
  const json state = json::parse(test::readText(dir / "state.json"));
  EXPECT_EQ(state["messages"], json::array());
  const json& blue = state["images"][0];
  EXPECT_EQ(blue["loaded"], true);
  EXPECT_EQ(blue["file"], "m67.b");
  EXPECT_EQ(blue["title"], "m67.b");
  EXPECT_EQ(blue["searched"], true);
  EXPECT_EQ(blue["search_rect"], json({0, 0, 375, 242}));
  EXPECT_EQ(state["images"][1]["loaded"], false);
  ASSERT_EQ(blue["stars"].size(), 3u);
  const json& plus = blue["stars"][0];
  // By hand: centre 2000 over the sky, four at 1700, four at 1400.
  EXPECT_EQ(plus["brightness"], 2000 + 4 * 1700 + 4 * 1400);
  EXPECT_EQ(plus["pixels"], 9);
  EXPECT_EQ(plus["x"], 50);
  EXPECT_EQ(plus["y"], 60);
  EXPECT_EQ(plus["partner"], -1);
  EXPECT_FALSE(plus.contains("pixel_list"));
  // The float read back is the float the search stored.
  const float lg = static_cast<float>(std::log10(14400.0L));
  EXPECT_EQ(static_cast<float>(plus["lg"].get<double>()), lg);
  EXPECT_EQ(blue["stars"][2]["pixels"], 4);
}

TEST_F(BatchTool, PixelListsInFillOrder) {
  ASSERT_EQ(run("--blue m67.b --background-blue 1000 --search --with-pixels --json -"), 0);
  const json star = json::parse(out())["images"][0]["stars"][2];
  EXPECT_EQ(star["pixel_list"], json({{300, 200}, {301, 200}, {301, 201}, {300, 201}}));
}

TEST_F(BatchTool, RectangleLimitsBothImages) {
  ASSERT_EQ(run("--blue m67.b --rect 150,50,375,242 --background-blue 1000 --search --json -"), 0);
  const json state = json::parse(out());
  EXPECT_EQ(state["images"][0]["stars"].size(), 2u);
  EXPECT_EQ(state["images"][1]["search_rect"], json({150, 50, 375, 242}));
}

TEST_F(BatchTool, MessagesGoToStandardErrorAndExitTwo) {
  EXPECT_EQ(run("--blue missing.b --json state.json"), 2);
  EXPECT_EQ(err(), "ERROR: Unable to open file.\n");
  const json state = json::parse(test::readText(dir / "state.json"));
  EXPECT_EQ(state["messages"], json({1}));
  EXPECT_EQ(state["images"][0]["loaded"], false);
}

TEST_F(BatchTool, TooManyPixelsIsReportedByNumber) {
  // With the background at 0 the whole sky is one star of 90750 pixels.
  EXPECT_EQ(run("--blue m67.b --search --json -"), 2);
  EXPECT_EQ(json::parse(out())["messages"], json({13}));
  EXPECT_EQ(err(), "ERROR: Too many pixel in star.\n");
}

TEST_F(BatchTool, UsageErrorExitsOneWithoutOutput) {
  EXPECT_EQ(run("--rect 1,2,3 --json state.json"), 1);
  EXPECT_FALSE(fs::exists(dir / "state.json"));
  EXPECT_NE(err().find("--rect"), std::string::npos);
}

TEST_F(BatchTool, AutomaticBackground) {
  ASSERT_EQ(run("--blue m67.b --auto-background --search --json -"), 0) << err();
  const json blue = json::parse(out())["images"][0];
  // Three stars appear from level 1199 down to 1000; the highest level wins.
  EXPECT_EQ(blue["background"], 1199);
  EXPECT_EQ(blue["stars"].size(), 3u);
}

}  // namespace
}  // namespace orelith
