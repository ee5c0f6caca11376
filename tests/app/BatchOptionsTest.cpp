// What the command line accepts; what the values do is the process tests' (BatchToolTest).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "app/BatchOptions.h"
#include "tests/support/TestWorkspace.h"
#include "tools/FitsWriter.h"

namespace orelith::batch {
namespace {

ParseOutcome parse(std::vector<std::string> args, std::string* err = nullptr) {
  args.insert(args.begin(), "orelith-batch");
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  Options o;
  std::string out, error;
  const ParseOutcome outcome =
      parseOptions(static_cast<int>(argv.size()), argv.data(), o, out, error);
  if (err) *err = error;
  return outcome;
}

TEST(BatchOptions, AcceptsOrRefuses) {
  using O = ParseOutcome;
  // clang-format off
  const std::pair<std::vector<std::string>, ParseOutcome> rows[] = {
      {{}, O::Run}, {{"--help"}, O::Exit0}, {{"--frobnicate"}, O::UsageError},
      {{"--rect", "a,b,c,d"}, O::UsageError}, {{"--rect", ""}, O::UsageError},
      {{"--json", ""}, O::UsageError}, {{"--background-blue", "65536"}, O::UsageError},
      {{"--pixel-per-star", "512"}, O::Run}, {{"--pixel-per-star", "513"}, O::UsageError},
      {{"--coefficients", "11"}, O::UsageError},
      {{"--offset", "-3,16"}, O::Run}, {{"--offset", "17,0"}, O::UsageError},
      {{"--pairs", "0:1,2:3,4:5"}, O::Run}, {{"--pairs", "0:1,2:3"}, O::UsageError},
      {{"--offset", "1,1", "--pairs", "0:1,2:3,4:5"}, O::UsageError},
      {{"--annulus", "5,3"}, O::UsageError}};
  // clang-format on
  for (const auto& [args, outcome] : rows)
    EXPECT_EQ(parse(args), outcome) << testing::PrintToString(args);
}

// --rect lies in the largest frame given, an ST-6 file (or none) counting as 375 x 242; each
// number beyond its longer side is refused by CLI11's range check.
TEST(BatchOptions, RectLiesInTheLargestFrame) {
  const auto dir = test::makeTempDir();
  const std::string fits = (dir / "w.fits").string(), st6 = ORELITH_SAMPLES_DIR "/cluster.g";
  ASSERT_EQ(gen::writeFits(fits, std::vector<std::uint16_t>(500 * 300).data(), 500, 300, {}, {}),
            "");
  const std::string st6Bound = "--rect must lie in 0,0,375,242 and cover at least one pixel\n";
  // Green frame (the blue one is ST-6), rectangle, error ("" when taken).
  const std::tuple<std::string, const char*, std::string> rows[] = {
      {st6, "0,0,375,242", ""},
      {st6, "0,0,376,242", "--rect: Value 376 not in range 0 to 375\n"},
      {st6, "0,0,375,243", st6Bound},
      {st6, "5,5,5,9", st6Bound},  // empty
      {fits, "10,20,500,300", ""},
      {fits, "0,0,500,301", "--rect must lie in 0,0,500,300 and cover at least one pixel\n"},
      {fits, "0,0,501,1", "--rect: Value 501 not in range 0 to 500\n"}};
  for (const auto& [green, rect, error] : rows) {
    std::string err;
    const ParseOutcome outcome = parse({"--rect", rect, "--blue", st6, "--green", green}, &err);
    EXPECT_EQ(outcome, error.empty() ? ParseOutcome::Run : ParseOutcome::UsageError) << rect;
    EXPECT_TRUE(err.starts_with(error)) << err;
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace orelith::batch
