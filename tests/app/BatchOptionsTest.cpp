#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/BatchOptions.h"
#include "tests/support/ParamName.h"

namespace orelith::batch {
namespace {

ParseOutcome parse(std::vector<std::string> args, Options& o) {
  args.insert(args.begin(), "orelith-batch");
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  std::string out, err;
  return parseOptions(static_cast<int>(argv.size()), argv.data(), o, out, err);
}

struct UsageCase {
  const char* name;
  std::vector<std::string> args;
  ParseOutcome outcome;
};

class Usage : public testing::TestWithParam<UsageCase> {};

TEST_P(Usage, AcceptsOrRefuses) {
  Options o;
  EXPECT_EQ(parse(GetParam().args, o), GetParam().outcome);
}

using O = ParseOutcome;
// clang-format off
INSTANTIATE_TEST_SUITE_P(Lines, Usage, testing::Values(
    UsageCase{"Nothing", {}, O::Run},
    UsageCase{"Help", {"--help"}, O::Exit0},
    UsageCase{"Version", {"--version"}, O::Exit0},
    UsageCase{"UnknownOption", {"--frobnicate"}, O::UsageError},
    UsageCase{"RectWhole", {"--rect", "0,0,375,242"}, O::Run},
    UsageCase{"RectThreeNumbers", {"--rect", "1,2,3"}, O::UsageError},
    UsageCase{"RectEmpty", {"--rect", "5,5,5,9"}, O::UsageError},
    UsageCase{"RectBeyondImage", {"--rect", "0,0,376,242"}, O::UsageError},
    UsageCase{"RectNotNumbers", {"--rect", "a,b,c,d"}, O::UsageError},
    UsageCase{"RectTrailingComma", {"--rect", "1,2,3,4,"}, O::UsageError},
    UsageCase{"RectEmptyValue", {"--rect", ""}, O::UsageError},
    UsageCase{"OffsetEmptyValue", {"--offset", ""}, O::UsageError},
    UsageCase{"PairsEmptyValue", {"--pairs", ""}, O::UsageError},
    UsageCase{"JsonEmptyValue", {"--json", ""}, O::UsageError},
    UsageCase{"BackgroundTooHigh", {"--background-blue", "65536"}, O::UsageError},
    UsageCase{"PixelPerStarLimit", {"--pixel-per-star", "512"}, O::Run},
    UsageCase{"PixelPerStarTooHigh", {"--pixel-per-star", "513"}, O::UsageError},
    UsageCase{"CoefficientsTooMany", {"--coefficients", "11"}, O::UsageError},
    UsageCase{"OffsetNegative", {"--offset", "-3,16"}, O::Run},
    UsageCase{"OffsetTooFar", {"--offset", "17,0"}, O::UsageError},
    UsageCase{"PairsThree", {"--pairs", "0:1,2:3,4:5"}, O::Run},
    UsageCase{"PairsTwo", {"--pairs", "0:1,2:3"}, O::UsageError},
    UsageCase{"PairsNegative", {"--pairs", "0:1,2:-3,4:5"}, O::UsageError},
    UsageCase{"OffsetAndPairs", {"--offset", "1,1", "--pairs", "0:1,2:3,4:5"}, O::UsageError},
    UsageCase{"AnnulusReversed", {"--annulus", "5,3"}, O::UsageError}),
    orelith::test::ParamName());
// clang-format on

TEST(BatchOptions, ReadsValues) {
  Options o;
  ASSERT_EQ(parse({"--blue", "b.st6", "--rect", "10,20,101,201", "--offset", "-2,3", "--search",
                   "--json", "-"},
                  o),
            ParseOutcome::Run);
  EXPECT_EQ(o.blue, "b.st6");
  ASSERT_TRUE(o.rect);
  EXPECT_EQ(o.rect->right, 101);
  EXPECT_EQ(o.rect->top, 20);
  ASSERT_TRUE(o.offset);
  EXPECT_EQ(o.offset->first, -2);
  EXPECT_TRUE(o.search);
  EXPECT_EQ(o.json, "-");
}

}  // namespace
}  // namespace orelith::batch
