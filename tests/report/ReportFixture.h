// A scratch folder with blank diagram templates, a workspace and a port, for
// the diagram and Save tests.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "report/CmdBitmap.h"
#include "tests/report/ReportTestSupport.h"
#include "tests/support/RecordingPort.h"
#include "tests/support/TestWorkspace.h"
#include "tools/TemplateDrawing.h"

namespace orelith::test {

inline std::vector<unsigned char> generatedTemplate(int variant) {
  tools::TemplateInk ink = tools::drawDiagramAxes();
  return variant == kCmdMonochrome ? tools::monochromeTemplate(ink) : tools::colourTemplate(ink);
}

// The generated template with a blank picture, so that every drawn pixel
// shows (the real frame would hide arms that reach beyond the plot window),
// and with its signature spoiled: the writer must put "BM" back.
inline std::vector<unsigned char> blankTemplate(int variant) {
  std::vector<unsigned char> t = generatedTemplate(variant);
  std::fill(t.begin() + (variant == kCmdMonochrome ? 62 : 118), t.end(), 0xFF);
  t[0] = 'X';
  t[1] = 'Y';
  return t;
}

class ReportFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directory(dir_ / "templates");
    for (int variant : {kCmdMonochrome, kCmdColour})
      writeBytes(dir_ / "templates" / cmdTemplateName(variant), blankTemplate(variant));
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // Adds a pair whose blue star has these magnitudes and marks.
  int addPair(float b, float v, std::uint32_t blueMarks = 0, std::uint32_t greenMarks = 0) {
    const int k = ws_->starCount[kBlue]++;
    ws_->starCount[kGreen]++;
    setStar(*ws_, kBlue, k, {100, 3, 4, 2.0f, -1, blueMarks, b, v});
    setStar(*ws_, kGreen, k, {90, 3, 4, 1.9f, -1, greenMarks, 0.0f, 0.0f});
    pair(*ws_, k, k);
    return k;
  }
  std::string templates() const { return (dir_ / "templates").string(); }

  const std::filesystem::path dir_ = makeTempDir();
  std::unique_ptr<Workspace> ws_ = makeWorkspace();
  RecordingPort port_;
};

}  // namespace orelith::test
