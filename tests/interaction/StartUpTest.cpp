// The window's command line: each frame's panel, and what is told of what cannot be done.
#include <gtest/gtest.h>

#include <tuple>

#include "interaction/StartUp.h"
#include "tests/support/RecordingPort.h"
#include "tests/support/TestWorkspace.h"
#include "tools/FitsWriter.h"

namespace orelith {
namespace {

using test::PortEvent;

TEST(StartUp, FilterValuesNameTheirBandWordByWord) {
  const std::tuple<const char*, FrameBand> rows[] = {
      {"B", FrameBand::Blue},     {"blue", FrameBand::Blue},       {"Johnson B", FrameBand::Blue},
      {"V", FrameBand::Green},    {"Bessell-V", FrameBand::Green}, {"g'", FrameBand::Green},
      {"R", FrameBand::Other},    {"Clear", FrameBand::Other},     {"B-V", FrameBand::Other},
      {"  ", FrameBand::Unknown}, {"3", FrameBand::Unknown},       {"Johnson", FrameBand::Unknown}};
  for (const auto& [filter, band] : rows) EXPECT_EQ(bandOfFilter(filter), band) << filter;
}

// Files that do not exist are placed by their names alone.
TEST(StartUp, FramesGoToThePanelOfTheirColourAndTheRestIsTold) {
  struct Row {
    std::vector<std::string> files;
    std::string blue, green;
    std::vector<std::string> refused;
  };
  const std::string other = "; the panels take blue (B) and green (V) frames";
  const Row rows[] = {
      {{"/d/a.g"}, "", "/d/a.g", {}},  // a file manager's one green frame
      {{"a.st6", "b.st6"}, "a.st6", "b.st6", {}},
      {{"x.G", "y.st6"}, "y.st6", "x.G", {}},
      {{"a.b", "b.B", "c.g"}, "a.b", "c.g", {"b.B: a second blue frame, after a.b"}},
      {{"a", "b", "/d/c"}, "a", "b", {"c: both panels are taken"}},
      {{"c.r", "c.b"}, "c.b", "", {"c.r: a red frame by its name" + other}}};
  for (const Row& r : rows) {
    std::vector<FrameFile> files;
    for (const std::string& f : r.files) files.push_back(classifyFrame(f));
    const FramePlacement p = placeFrames(files);
    EXPECT_EQ(std::tie(p.panel[kBlue], p.panel[kGreen], p.refused),
              std::tie(r.blue, r.green, r.refused))
        << r.files.front();
  }
}

TEST(StartUp, FitsFramesGoByTheirFilterWhateverTheirName) {
  const auto dir = test::makeTempDir();
  const std::vector<std::uint16_t> counts(16 * 16, 100);
  const std::tuple<const char*, const char*, FrameBand, std::string> rows[] = {
      {"v.b", "V", FrameBand::Green, "FILTER 'V'"},
      {"r.fits", "R", FrameBand::Other, "FILTER 'R'"},
      {"none.g", "", FrameBand::Green, ""}};  // no FILTER: by the name
  for (const auto& [name, filter, band, named] : rows) {
    const std::string path = (dir / name).string();
    gen::FitsLayout layout;
    layout.filter = filter;
    ASSERT_EQ(gen::writeFits(path, counts.data(), 16, 16, {}, layout), "");
    const FrameFile f = classifyFrame(path);
    EXPECT_EQ(std::tie(f.band, f.named), std::tie(band, named)) << name;
  }
}

TEST(StartUp, StepsTheWindowWouldKeepDisabledAreToldInOneNote) {
  auto ws = test::makeWorkspace();
  test::RecordingPort port;
  StartRequest request{{"a.r"}, {5, {}}, false, true, "", true};
  startWindow(*ws, port, request);
  ASSERT_EQ(port.count(PortEvent::Note), 1);
  EXPECT_EQ(port.find(PortEvent::Note)->text,
            std::string(kStartCaption) +
                "\nNot opened (File > Open Blue Image... and Open Green Image... load a frame "
                "into either panel):\na.r: a red frame by its name; the panels take blue (B) and "
                "green (V) frames\n\n--background-blue: no blue frame is loaded\n\n--compare: "
                "comparing needs both images searched\n\n--calculate: calculating magnitudes "
                "needs calibration stars");
  EXPECT_EQ(ws->progressFlags, 0u);
}

}  // namespace
}  // namespace orelith
