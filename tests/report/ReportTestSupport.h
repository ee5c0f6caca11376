// Files, pairs and a scratch folder with blank diagram templates for the report tests.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "report/CmdBitmap.h"
#include "tests/support/Process.h"
#include "tests/support/TestWorkspace.h"
#include "tools/TemplateDrawing.h"

namespace orelith::test {

inline std::vector<unsigned char> readAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeText(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// Names in `dir`, to see that no temporary file was left behind.
inline std::vector<std::string> dirEntries(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

inline std::vector<unsigned char> generatedTemplate(int variant) {
  tools::TemplateInk ink = tools::drawDiagramAxes();
  return variant == kCmdMonochrome ? tools::monochromeTemplate(ink) : tools::colourTemplate(ink);
}

// The generated template with a blank picture, so that every drawn pixel shows (the real frame
// hides arms beyond the plot window), its signature spoiled: the writer must put "BM" back.
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

  // Adds a pair k / k whose blue star has these magnitudes and marks.
  int addPair(float b, float v, std::uint32_t blueMarks = 0, std::uint32_t greenMarks = 0) {
    const int k = ws_->starCount[kBlue]++;
    const auto partner = static_cast<std::int16_t>(ws_->starCount[kGreen]++);
    star(*ws_, kBlue, k) = {100, 3, 4, 0, partner, blueMarks, b, v, 2.0f, {}};
    star(*ws_, kGreen, k) = {90, 3, 4, 0, partner, greenMarks, 0, 0, 1.9f, {}};
    return k;
  }
  std::string templates() const { return (dir_ / "templates").string(); }

  const std::filesystem::path dir_ = makeTempDir();
  std::unique_ptr<Workspace> ws_ = makeWorkspace();
};

}  // namespace orelith::test
