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

struct ExtensionCase {
  const char* name;
  int filter;
  const char* result;
  bool ok;
};

class ExtensionRule : public ::testing::TestWithParam<ExtensionCase> {};

TEST_P(ExtensionRule, AppendsByFilterOnlyWithoutExtension) {
  const ExtensionCase& c = GetParam();
  test::RecordingPort port;
  bool ok = !c.ok;
  EXPECT_EQ(applyExtensionRule(c.name, c.filter, port, ok), c.result);
  EXPECT_EQ(ok, c.ok);
  EXPECT_EQ(port.messages(), c.ok ? std::vector<int>{} : std::vector<int>{18});
}

INSTANTIATE_TEST_SUITE_P(Names, ExtensionRule,
                         ::testing::Values(ExtensionCase{"report", 1, "report.html", true},
                                           ExtensionCase{"report", 2, "report.bmp", true},
                                           ExtensionCase{"report", 3, "report.bmp", true},
                                           ExtensionCase{"report", 0, "report", false},
                                           ExtensionCase{"report", 4, "report", false},
                                           ExtensionCase{"report.txt", 1, "report.txt", true},
                                           ExtensionCase{"report.html", 2, "report.html", true},
                                           ExtensionCase{"report.txt", 0, "report.txt", true},
                                           ExtensionCase{"a.b.c", 1, "a.b.c", true},
                                           // A dot in a folder name is no extension of the file.
                                           ExtensionCase{"/tmp/run.d/report", 1,
                                                         "/tmp/run.d/report.html", true},
                                           ExtensionCase{"./report", 2, "./report.bmp", true},
                                           // A leading dot marks a hidden file, not an extension.
                                           ExtensionCase{".report", 1, ".report.html", true},
                                           ExtensionCase{"dir/.report", 3, "dir/.report.bmp", true},
                                           ExtensionCase{".report.html", 2, ".report.html", true},
                                           // A trailing dot is an empty extension: one is appended.
                                           ExtensionCase{"report.", 1, "report..html", true}));

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

TEST_F(SaveCommand, HtmlFilterWritesTheReportUnderTheExtendedName) {
  fs::create_directory(dir_ / "out");
  EXPECT_EQ(save("result", 1), 0);
  EXPECT_EQ(ws_->filePath, (dir_ / "out" / "result.html").string());
  EXPECT_EQ(written(), std::vector<std::string>{"result.html"});
  EXPECT_EQ(test::readText(dir_ / "out" / "result.html"), withCrLf(reportText(*ws_)));
  EXPECT_EQ(ws_->openFilterIndex, 4);
  EXPECT_TRUE(port_.messages().empty());
}

TEST_F(SaveCommand, OtherExtensionKeptAndStillGetsTheReport) {
  fs::create_directory(dir_ / "out");
  EXPECT_EQ(save("result.txt", 1), 0);
  EXPECT_EQ(written(), std::vector<std::string>{"result.txt"});
  EXPECT_EQ(test::readText(dir_ / "out" / "result.txt"), withCrLf(reportText(*ws_)));
}

TEST_F(SaveCommand, BitmapFiltersWriteTheDiagrams) {
  fs::create_directory(dir_ / "out");
  EXPECT_EQ(save("mono", 2), 0);
  EXPECT_EQ(save("colour", 3), 0);
  EXPECT_EQ(written(), (std::vector<std::string>{"colour.bmp", "mono.bmp"}));
  EXPECT_EQ(fs::file_size(dir_ / "out" / "mono.bmp"), kCmdMonochromeSize);
  EXPECT_EQ(fs::file_size(dir_ / "out" / "colour.bmp"), kCmdColourSize);
  EXPECT_EQ(ws_->filePath, (dir_ / "out" / "colour.bmp").string());
  // The star at (364, 449) of the colour diagram is plain: index 0.
  std::vector<unsigned char> bytes = test::readAll(dir_ / "out" / "colour.bmp");
  EXPECT_EQ(bytes.at(cmdByteOffset(kCmdColour, 364, 449)) >> 4, 0);
}

TEST_F(SaveCommand, ABitmapFilterNeverWritesTheReport) {
  fs::create_directory(dir_ / "out");
  EXPECT_EQ(save("result.html", 2), 0);
  std::vector<unsigned char> bytes = test::readAll(dir_ / "out" / "result.html");
  ASSERT_EQ(bytes.size(), kCmdMonochromeSize);
  EXPECT_EQ(bytes[0], 'B');
}

TEST_F(SaveCommand, UnknownFilterWritesNothing) {
  fs::create_directory(dir_ / "out");
  EXPECT_EQ(save("result", 0), 1);
  EXPECT_EQ(port_.messages(), std::vector<int>{18});
  EXPECT_EQ(save("result.html", 7), 0);
  EXPECT_EQ(port_.messages(), std::vector<int>{18});
  EXPECT_TRUE(written().empty());
  EXPECT_EQ(ws_->openFilterIndex, 4);
}

TEST_F(SaveCommand, WriterErrorsAreReported) {
  EXPECT_EQ(save("result", 1), 1);  // no folder "out"
  EXPECT_EQ(port_.messages(), std::vector<int>{5});
}

}  // namespace
}  // namespace orelith
