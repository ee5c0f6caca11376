#include <gtest/gtest.h>

#include "report/CmdBitmap.h"
#include "report/HtmlReport.h"
#include "report/SaveCommand.h"
#include "tests/report/ReportTestSupport.h"
#include "tests/support/RecordingPort.h"
#include "tests/support/TestWorkspace.h"
#include "tools/TemplateDrawing.h"

namespace orelith {
namespace {

namespace fs = std::filesystem;

TEST(ExtensionRule, AppendsByFilterOnlyWithoutExtension) {
  struct Case {
    const char* name;
    int filter;
    const char* result;
    bool ok;
  };
  for (const Case& c :
       {Case{"report", 1, "report.html", true}, Case{"report", 2, "report.bmp", true},
        Case{"report", 3, "report.bmp", true}, Case{"report", 0, "report", false},
        Case{"report", 4, "report", false}, Case{"report.txt", 1, "report.txt", true},
        Case{"report.txt", 0, "report.txt", true},
        // A dot in a folder name is no extension of the file.
        Case{"/tmp/run.d/report", 1, "/tmp/run.d/report.html", true},
        // A leading dot marks a hidden file, not an extension.
        Case{"dir/.report", 3, "dir/.report.bmp", true},
        Case{".report.html", 2, ".report.html", true},
        // A trailing dot is an empty extension: one is appended.
        Case{"report.", 1, "report..html", true}}) {
    test::RecordingPort port;
    bool ok = !c.ok;
    EXPECT_EQ(applyExtensionRule(c.name, c.filter, port, ok), c.result) << c.name;
    EXPECT_EQ(ok, c.ok) << c.name;
    EXPECT_EQ(port.messages(), c.ok ? std::vector<int>{} : std::vector<int>{18}) << c.name;
  }
}

class SaveCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = test::makeTempDir();
    tools::TemplateInk ink = tools::drawDiagramAxes();
    test::writeBytes(dir_ / "DIB01.DAT", tools::monochromeTemplate(ink));
    test::writeBytes(dir_ / "DIB02.DAT", tools::colourTemplate(ink));
    ws_ = test::makeWorkspace();
    ws_->openFilterIndex = 4;
    ws_->starCount[kBlue] = 1;
    ws_->starCount[kGreen] = 1;
    test::setStar(*ws_, kBlue, 0, {100, 3, 4, 2.0f, -1, 0, 7.5f, 6.5f});
    test::setStar(*ws_, kGreen, 0, {90, 3, 4, 1.9f, -1, 0, 0.0f, 0.0f});
    test::pair(*ws_, 0, 0);
  }
  void TearDown() override { fs::remove_all(dir_); }

  int save(const std::string& name, int filter) {
    return saveOutput(*ws_, port_, (dir_ / "out" / name).string(), filter, {dir_.string()});
  }
  std::vector<std::string> written() const { return test::dirEntries(dir_ / "out"); }

  fs::path dir_;
  std::unique_ptr<Workspace> ws_;
  test::RecordingPort port_;
};

TEST_F(SaveCommand, EachFilterWritesItsFileUnderTheExtendedName) {
  fs::create_directory(dir_ / "out");
  EXPECT_EQ(save("result", 1), 0);
  EXPECT_EQ(save("result.txt", 1), 0);
  EXPECT_EQ(save("mono", 2), 0);
  EXPECT_EQ(save("colour", 3), 0);
  EXPECT_EQ(save("bitmap.html", 2), 0);  // a bitmap filter never writes the report
  EXPECT_TRUE(port_.messages().empty());
  EXPECT_EQ(written(), (std::vector<std::string>{"bitmap.html", "colour.bmp", "mono.bmp",
                                                 "result.html", "result.txt"}));
  for (const char* name : {"result.html", "result.txt"})
    EXPECT_EQ(test::readText(dir_ / "out" / name), withCrLf(reportText(*ws_))) << name;
  EXPECT_EQ(fs::file_size(dir_ / "out" / "mono.bmp"), kCmdMonochromeSize);
  EXPECT_EQ(fs::file_size(dir_ / "out" / "bitmap.html"), kCmdMonochromeSize);
  // The plain star at (364, 449) of the colour diagram: index 0 in the high nibble.
  const std::vector<unsigned char> colour = test::readAll(dir_ / "out" / "colour.bmp");
  ASSERT_EQ(colour.size(), kCmdColourSize);
  EXPECT_EQ(colour.at(cmdByteOffset(kCmdColour, 364, 449)) >> 4, 0);
  EXPECT_EQ(ws_->filePath, (dir_ / "out" / "bitmap.html").string());
  EXPECT_EQ(ws_->openFilterIndex, 4);
}

TEST_F(SaveCommand, UnknownFilterWritesNothingAndWriterErrorsAreReported) {
  EXPECT_EQ(save("result", 1), 1);  // no folder "out"
  EXPECT_EQ(port_.messages(), std::vector<int>{5});
  fs::create_directory(dir_ / "out");
  port_.clear();
  EXPECT_EQ(save("result", 0), 1);
  EXPECT_EQ(port_.messages(), std::vector<int>{18});
  EXPECT_EQ(save("result.html", 7), 0);
  EXPECT_EQ(port_.messages(), std::vector<int>{18});
  EXPECT_TRUE(written().empty());
  EXPECT_EQ(ws_->openFilterIndex, 4);
}

}  // namespace
}  // namespace orelith
