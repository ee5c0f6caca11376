#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "image/St6Loader.h"
#include "image/Workspace.h"
#include "tests/support/TestWorkspace.h"
#include "tools/St6Writer.h"

namespace orelith::gen {
namespace {

// A plane in which every pixel differs from its neighbours and both bytes vary.
std::vector<std::uint16_t> patternPlane() {
  std::vector<std::uint16_t> plane(kPixelCount);
  for (int i = 0; i < kPixelCount; ++i) plane[i] = static_cast<std::uint16_t>(i * 40503u + 7u);
  plane[0] = 0x1234;                // (0, 0)
  plane[kImageWidth - 1] = 0xBEEF;  // (374, 0)
  plane[kImageWidth] = 0x0102;      // (0, 1)
  return plane;
}

std::string readText(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(St6Writer, FileHasTheHeaderTheReaderChecks) {
  const std::vector<unsigned char> bytes = encodeSt6(patternPlane().data());
  ASSERT_EQ(bytes.size(), 183548u);
  EXPECT_EQ(std::memcmp(bytes.data(), "ST-6 Image", 10), 0);
  EXPECT_EQ(bytes[10], '\n');
  EXPECT_EQ(bytes[11], '\r');
  EXPECT_EQ(std::memcmp(bytes.data() + 12, "File_version = 3\n\r", 18), 0);
  const std::string head(bytes.begin(), bytes.begin() + kSt6PixelOffset);
  const std::size_t end = head.find("End\n\r");
  ASSERT_NE(end, std::string::npos);
  for (const char* line : {"\n\rHeight = 242\n\r", "\n\rWidth = 375\n\r", "\n\rExposure = 100\n\r"})
    EXPECT_NE(head.find(line), std::string::npos) << line;
  // After "End" LF CR: one end-of-text byte, then zeros up to the pixels.
  EXPECT_EQ(bytes[end + 5], 0x1A);
  for (std::size_t i = end + 6; i < static_cast<std::size_t>(kSt6PixelOffset); ++i)
    ASSERT_EQ(bytes[i], 0) << i;
}

struct PixelAt {
  std::size_t offset;
  unsigned char low, high;
};

TEST(St6Writer, PixelsAreRowByRowLeastSignificantByteFirst) {
  const std::vector<unsigned char> bytes = encodeSt6(patternPlane().data());
  // Offsets by hand: 2048 + 2 * (y * 375 + x).
  for (const PixelAt& p :
       {PixelAt{2048, 0x34, 0x12}, PixelAt{2796, 0xEF, 0xBE}, PixelAt{2798, 0x02, 0x01}}) {
    EXPECT_EQ(bytes[p.offset], p.low) << p.offset;
    EXPECT_EQ(bytes[p.offset + 1], p.high) << p.offset;
  }
}

TEST(St6Writer, ProgramReaderGetsThePlaneBack) {
  const std::vector<std::uint16_t> plane = patternPlane();
  const auto dir = test::makeTempDir();
  const std::string path = (dir / "frame.st6").string();
  ASSERT_TRUE(writeSt6(path, plane.data()));
  EXPECT_EQ(std::filesystem::file_size(path), kSt6FileSize);
  std::vector<std::uint16_t> back(kPixelCount, 0);
  ASSERT_EQ(readSt6File(path, back.data()), St6Status::Ok);
  EXPECT_EQ(back, plane);
  std::filesystem::remove_all(dir);
}

TEST(St6Writer, UnwritablePathFails) {
  const auto dir = test::makeTempDir();
  const std::vector<std::uint16_t> plane = patternPlane();
  EXPECT_FALSE(writeSt6((dir / "missing" / "frame.st6").string(), plane.data()));
  EXPECT_FALSE(writeTruthCsv((dir / "missing" / "truth.csv").string(), {}, 0, 0));
  std::filesystem::remove_all(dir);
}

TEST(St6Writer, TruthCsvHasOneLinePerStarWithGreenPosition) {
  const std::vector<TrueStar> truth = {
      {10.25, 20.5, 9.0, 0.012, 500000.0, 400000.0, true},
      {100.0, 50.125, 14.5, 1.2, 900.5, 1500.3, false},
  };
  const auto dir = test::makeTempDir();
  const auto path = dir / "truth.csv";
  ASSERT_TRUE(writeTruthCsv(path.string(), truth, 3, -2));
  EXPECT_EQ(readText(path),
            "x,y,green_x,green_y,V,BV,blue_flux,green_flux,saturated\n"
            "10.250,20.500,13.250,18.500,9.0000,0.0120,500000.0,400000.0,1\n"
            "100.000,50.125,103.000,48.125,14.5000,1.2000,900.5,1500.3,0\n");
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace orelith::gen
