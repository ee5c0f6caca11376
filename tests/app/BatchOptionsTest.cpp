// What the command line accepts; what the values do is the process tests' (BatchToolTest).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/BatchOptions.h"

namespace orelith::batch {
namespace {

ParseOutcome parse(std::vector<std::string> args) {
  args.insert(args.begin(), "orelith-batch");
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  Options o;
  std::string out, err;
  return parseOptions(static_cast<int>(argv.size()), argv.data(), o, out, err);
}

TEST(BatchOptions, AcceptsOrRefuses) {
  using O = ParseOutcome;
  const std::pair<std::vector<std::string>, ParseOutcome> rows[] = {
      {{}, O::Run},
      {{"--help"}, O::Exit0},
      {{"--frobnicate"}, O::UsageError},
      {{"--rect", "0,0,375,242"}, O::Run},
      {{"--rect", "5,5,5,9"}, O::UsageError},  // empty
      {{"--rect", "0,0,376,242"}, O::UsageError},
      {{"--rect", "a,b,c,d"}, O::UsageError},
      {{"--rect", ""}, O::UsageError},
      {{"--json", ""}, O::UsageError},
      {{"--background-blue", "65536"}, O::UsageError},
      {{"--pixel-per-star", "512"}, O::Run},
      {{"--pixel-per-star", "513"}, O::UsageError},
      {{"--coefficients", "11"}, O::UsageError},
      {{"--offset", "-3,16"}, O::Run},
      {{"--offset", "17,0"}, O::UsageError},
      {{"--pairs", "0:1,2:3,4:5"}, O::Run},
      {{"--pairs", "0:1,2:3"}, O::UsageError},
      {{"--offset", "1,1", "--pairs", "0:1,2:3,4:5"}, O::UsageError},
      {{"--annulus", "5,3"}, O::UsageError}};
  for (const auto& [args, outcome] : rows)
    EXPECT_EQ(parse(args), outcome) << testing::PrintToString(args);
}

}  // namespace
}  // namespace orelith::batch
