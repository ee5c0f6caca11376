// The files the field generator writes; the header and byte order are checked by netpbm's
// reader on the shipped samples.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "image/St6Loader.h"
#include "tests/support/Process.h"
#include "tests/support/TestWorkspace.h"
#include "tools/St6Writer.h"

namespace orelith::gen {
namespace {

namespace fs = std::filesystem;

TEST(St6Writer, ReaderGetsThePlaneBackAndTruthCsvIsWrittenOutByHand) {
  std::vector<std::uint16_t> plane(kPixelCount);
  for (int i = 0; i < kPixelCount; ++i) plane[i] = static_cast<std::uint16_t>(i * 40503u + 7u);
  const fs::path dir = test::makeTempDir();
  ASSERT_TRUE(writeSt6((dir / "frame.st6").string(), plane.data()));
  std::vector<std::uint16_t> back(kPixelCount);
  ASSERT_EQ(readSt6File((dir / "frame.st6").string(), back.data()), St6Status::Ok);
  EXPECT_EQ(back, plane);  // every pixel differs from its neighbours, both bytes vary
  EXPECT_FALSE(writeSt6((dir / "missing" / "frame.st6").string(), plane.data()));

  const std::vector<TrueStar> truth = {{10.25, 20.5, 9.0, 0.012, 500000.0, 400000.0, true},
                                       {100.0, 50.125, 14.5, 1.2, 900.5, 1500.3, false}};
  ASSERT_TRUE(writeTruthCsv((dir / "truth.csv").string(), truth, 3, -2));
  // Green position = blue + (3, -2); by hand.
  EXPECT_EQ(test::readText(dir / "truth.csv"),
            "x,y,green_x,green_y,V,BV,blue_flux,green_flux,saturated\n"
            "10.250,20.500,13.250,18.500,9.0000,0.0120,500000.0,400000.0,1\n"
            "100.000,50.125,103.000,48.125,14.5000,1.2000,900.5,1500.3,0\n");
  EXPECT_FALSE(writeTruthCsv((dir / "missing" / "truth.csv").string(), truth, 0, 0));
  fs::remove_all(dir);
}

}  // namespace
}  // namespace orelith::gen
