// Calibration stars read from a star file and entered as the "Star properties" dialog would
// enter them, with the rows that could not be placed.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "photometry/CalibrationImport.h"
#include "tests/support/TestWorkspace.h"

namespace orelith {
namespace {

// Twenty pairs whose blue star k covers pixel (10 + k, 20); blue 5 unpaired, blue 6 ignored.
std::unique_ptr<Workspace> labelledPairs() {
  auto ws = test::twentyPairs();
  ws->labelledRect[kBlue] = {0, 0, kImageWidth, kImageHeight};
  test::clearLabels(*ws, kBlue);
  for (int k = 0; k < 20; ++k) labelAt(*ws, kBlue, 10 + k, 20) = static_cast<std::uint16_t>(k);
  star(*ws, kGreen, star(*ws, kBlue, 5).partner).partner = -1;
  star(*ws, kBlue, 5).partner = -1;
  star(*ws, kBlue, 6).marks |= MARK_IGNORE;
  return ws;
}

std::string writeFile(const std::string& text) {
  const std::string path = (test::makeTempDir() / "calibration.csv").string();
  std::ofstream(path) << text;
  return path;
}

TEST(CalibrationImport, EntersEachPlaceableRowAndNamesTheOthers) {
  auto ws = labelledPairs();
  std::string text =
      "x,y,V,BV\n10,20,9.5,0.3\n200,200,10,0.1\n15,20,10,0.1\n16,20,10,0.1\n"
      "10,20,9.6,0.3\n11,20,0,0.2\n";
  for (int k : {1, 2, 3, 4, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18})
    text += std::to_string(10 + k) + ",20,12.5,0.5\n";
  const CalibrationImport result = importCalibrationStars(*ws, writeFile(text));
  ASSERT_TRUE(result.read) << result.error;
  EXPECT_EQ(result.accepted, 16);
  std::vector<std::pair<int, RowRefusal>> refused;
  for (const RefusedRow& r : result.refused) refused.emplace_back(r.row.line, r.why);
  const std::vector<std::pair<int, RowRefusal>> expected = {
      {3, RowRefusal::NoStar},   {4, RowRefusal::NotPaired},    {5, RowRefusal::Ignored},
      {6, RowRefusal::Repeated}, {7, RowRefusal::NoVMagnitude}, {23, RowRefusal::ListFull}};
  EXPECT_EQ(refused, expected);
  // As the dialog stores them: V as typed, B = V + (B-V) as a float sum.
  EXPECT_EQ(std::pair(star(*ws, kBlue, 0).magnitudeV, star(*ws, kBlue, 0).magnitudeB),
            std::pair(9.5f, 9.5f + 0.3f));
  EXPECT_TRUE(hasBit(star(*ws, kGreen, 100).marks, MARK_CALIBRATION));
  EXPECT_EQ(ws->calibration.count, kMaxCalibrationStars);
  EXPECT_EQ(std::pair(ws->calibration.entries[1].blue, ws->calibration.entries[1].green),
            std::pair(1, 101));
  EXPECT_TRUE(hasBit(ws->progressFlags, PRG_CALIBRATION_STAR));
}

TEST(CalibrationImport, ReportsInOneMessage) {
  auto ws = labelledPairs();
  CalibrationImport result =
      importCalibrationStars(*ws, writeFile("x,y,V,BV\n10,20,9.5,0.3\n200,200,10,0.1\n"));
  EXPECT_EQ(calibrationImportReport(result),
            "1 calibration star entered. Not placed:\nline 3, blue pixel (200, 200): no star");
  const std::string bad = writeFile("x,y,V\n1,2,3\n");
  result = importCalibrationStars(*ws, bad);
  EXPECT_FALSE(result.read);
  EXPECT_EQ(calibrationImportReport(result), bad + ": the first line must be \"x,y,V,BV\"");
  EXPECT_EQ(ws->calibration.count, 1);
}

}  // namespace
}  // namespace orelith
