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

INSTANTIATE_TEST_SUITE_P(
    Lines, Usage,
    testing::Values(
        UsageCase{"Nothing", {}, ParseOutcome::Run},
        UsageCase{"Help", {"--help"}, ParseOutcome::Exit0},
        UsageCase{"Version", {"--version"}, ParseOutcome::Exit0},
        UsageCase{"UnknownOption", {"--frobnicate"}, ParseOutcome::UsageError},
        UsageCase{"RectWhole", {"--rect", "0,0,375,242"}, ParseOutcome::Run},
        UsageCase{"RectThreeNumbers", {"--rect", "1,2,3"}, ParseOutcome::UsageError},
        UsageCase{"RectEmpty", {"--rect", "5,5,5,9"}, ParseOutcome::UsageError},
        UsageCase{"RectBeyondImage", {"--rect", "0,0,376,242"}, ParseOutcome::UsageError},
        UsageCase{"RectNotNumbers", {"--rect", "a,b,c,d"}, ParseOutcome::UsageError},
        UsageCase{"RectTrailingComma", {"--rect", "1,2,3,4,"}, ParseOutcome::UsageError},
        UsageCase{"RectEmptyValue", {"--rect", ""}, ParseOutcome::UsageError},
        UsageCase{"OffsetEmptyValue", {"--offset", ""}, ParseOutcome::UsageError},
        UsageCase{"PairsEmptyValue", {"--pairs", ""}, ParseOutcome::UsageError},
        UsageCase{"JsonEmptyValue", {"--json", ""}, ParseOutcome::UsageError},
        UsageCase{"BackgroundTooHigh", {"--background-blue", "65536"}, ParseOutcome::UsageError},
        UsageCase{"PixelPerStarLimit", {"--pixel-per-star", "512"}, ParseOutcome::Run},
        UsageCase{"PixelPerStarTooHigh", {"--pixel-per-star", "513"}, ParseOutcome::UsageError},
        UsageCase{"CoefficientsTooMany", {"--coefficients", "11"}, ParseOutcome::UsageError},
        UsageCase{"OffsetNegative", {"--offset", "-3,16"}, ParseOutcome::Run},
        UsageCase{"OffsetTooFar", {"--offset", "17,0"}, ParseOutcome::UsageError},
        UsageCase{"PairsThree", {"--pairs", "0:1,2:3,4:5"}, ParseOutcome::Run},
        UsageCase{"PairsTwo", {"--pairs", "0:1,2:3"}, ParseOutcome::UsageError},
        UsageCase{"PairsNegative", {"--pairs", "0:1,2:-3,4:5"}, ParseOutcome::UsageError},
        UsageCase{"OffsetAndPairs",
                  {"--offset", "1,1", "--pairs", "0:1,2:3,4:5"},
                  ParseOutcome::UsageError}),
    orelith::test::ParamName());

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
