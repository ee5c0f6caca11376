// The window's command line: its options parsed as orelith-batch's, and the
// start they ask for reaching the batch tool's measurement of the samples.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "app/BatchJson.h"
#include "app/BatchRunner.h"
#include "app/WindowOptions.h"
#include "interaction/Commands.h"
#include "tests/support/RecordingPort.h"
#include "tests/support/TestWorkspace.h"
#include "tools/FitsWriter.h"

namespace orelith {
namespace {

using batch::ParseOutcome;

ParseOutcome parse(std::vector<const char*> args, StartRequest& r, std::string& err) {
  args.insert(args.begin(), "orelith");
  std::string out;
  return parseWindowOptions(static_cast<int>(args.size()), args.data(), r, out, err);
}

TEST(WindowOptions, TakeTheBatchToolsNamesAndRefuseWhatItRefuses) {
  StartRequest r;
  std::string err;
  ASSERT_EQ(parse({"--background-green", "70", "--search", "--compare", "a.b", "--calibration",
                   "c.csv", "--calculate", "b.g", "c"},
                  r, err),
            ParseOutcome::Run)
      << err;
  EXPECT_EQ(r.files, (std::vector<std::string>{"a.b", "b.g", "c"}));
  EXPECT_EQ(std::tie(r.background[0], r.background[1], r.calibrationFile),
            std::tuple(std::optional<int>(), std::optional(70), std::string("c.csv")));
  EXPECT_TRUE(r.search && r.compare && r.calculate);
  // clang-format off
  for (const std::vector<const char*>& bad : {std::vector{"--background-blue", "65536"},
       {"--background-green", "x"}, {"--calibration"}, {"--calibration="}, {"--html", "r.html"}}) {
    // clang-format on
    StartRequest unused;
    err.clear();
    EXPECT_EQ(parse(bad, unused, err), ParseOutcome::UsageError) << bad[0];
    EXPECT_NE(err.find('-'), std::string::npos) << bad[0];  // the message names the option
  }
  // A decimal background only for a floating-point FITS frame placed in that panel.
  const auto dir = test::makeTempDir();
  const std::string floats = (dir / "f.fits").string();
  ASSERT_EQ(gen::writeFits(floats, std::vector<std::uint16_t>(256).data(), 16, 16, {},
                           gen::floatLayout()),
            "");
  StartRequest decimal;
  EXPECT_EQ(parse({"--background-blue", "-2.5", floats.c_str()}, decimal, err), ParseOutcome::Run);
  EXPECT_EQ(decimal.background[kBlue], -2.5);
  EXPECT_EQ(parse({"--background-green", "-2", floats.c_str()}, r, err), ParseOutcome::UsageError);
  std::filesystem::remove_all(dir);
  EXPECT_NE(windowUsage().find("\nUsage: orelith [OPTIONS] [FILE...]\n"), std::string::npos);
}

TEST(WindowOptions, TheSamplesStartMeasuredAsOrelithBatchMeasuresThem) {
  const std::string samples = ORELITH_SAMPLES_DIR;
  const std::string blue = samples + "/cluster.b", green = samples + "/cluster.g";
  const std::string calibration = samples + "/calibration.csv";
  auto window = test::makeWorkspace();
  test::RecordingPort port;
  // tools/run.sh's window, files in either order.
  startWindow(*window, port, {{green, blue}, {1130, 1130}, true, true, calibration, true});
  // Only the calculation's warnings (stars beyond the calibration stars' range), as after a click.
  ASSERT_EQ(port.count(test::PortEvent::Note), 1);
  EXPECT_EQ(port.find(test::PortEvent::Note)->text.find(kWarningsCaption), 0u);
  ASSERT_TRUE(hasBit(window->progressFlags, PRG_MAGNITUDES));
  EXPECT_EQ(port.find(test::PortEvent::Text, ctl::BackgroundFieldGreen)->text, "1130");

  auto alone = test::makeWorkspace();
  batch::Options o;
  o.blue = blue, o.green = green;
  o.backgroundBlue = o.backgroundGreen = 1130;
  o.search = o.compare = o.calculate = true, o.calibrationFile = calibration;
  std::ostringstream out, err;
  ASSERT_EQ(batch::runBatch(o, *alone, out, err), 0) << err.str();
  const batch::JsonInputs in{{blue, green}, false, {}, nullptr};
  EXPECT_EQ(batch::workspaceJsonText(*window, in), batch::workspaceJsonText(*alone, in));
}

}  // namespace
}  // namespace orelith
