#include <gtest/gtest.h>

#include <tuple>

#include "report/HtmlReport.h"
#include "report/SaveCommand.h"
#include "tests/report/ReportTestSupport.h"

namespace orelith {
namespace {

namespace fs = std::filesystem;

TEST(ExtensionRule, AppendsByFilterOnlyWithoutExtension) {
  // Chosen name, filter, name written ("" for refused: message 18).
  const std::tuple<const char*, int, const char*> rows[] = {
      {"report", 1, "report.html"},
      {"report", 2, "report.bmp"},
      {"report", 3, "report.bmp"},
      {"report", 0, ""},
      {"report", 4, ""},
      {"report.txt", 1, "report.txt"},
      {"report.txt", 0, "report.txt"},
      {"/tmp/run.d/report", 1, "/tmp/run.d/report.html"},  // a folder's dot is no extension
      {"dir/.report", 3, "dir/.report.bmp"},               // nor is a hidden file's
      {".report.html", 2, ".report.html"},
      {"report.", 1, "report..html"}};  // an empty extension gets one appended
  for (const auto& [name, filter, result] : rows) {
    test::RecordingPort port;
    const bool refused = *result == '\0';
    bool ok = refused;
    EXPECT_EQ(applyExtensionRule(name, filter, port, ok), refused ? name : result) << name;
    EXPECT_EQ(ok, !refused) << name;
    EXPECT_EQ(port.messages(), refused ? std::vector<int>{18} : std::vector<int>{}) << name;
  }
}

class SaveCommand : public test::ReportFolder {
 protected:
  void SetUp() override {
    ReportFolder::SetUp();
    ws_->openFilterIndex = 4;
    addPair(7.5f, 6.5f);
  }
  int save(const std::string& name, int filter) {
    return saveOutput(*ws_, port_, (dir_ / "out" / name).string(), filter, {templates()});
  }
  std::vector<std::string> written() const { return test::dirEntries(dir_ / "out"); }
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
  const std::string report = test::readText(dir_ / "out" / "result.html");
  EXPECT_EQ(report, withCrLf(reportText(*ws_)));
  EXPECT_EQ(test::readText(dir_ / "out" / "result.txt"), report);
  EXPECT_NE(report.find("<td valign=\\\"Top\\\">Star #<br>\r\n      </td>\r\n"), std::string::npos);
  EXPECT_EQ(report.find("\r\r"), std::string::npos);
  EXPECT_EQ(fs::file_size(dir_ / "out" / "mono.bmp"), kCmdMonochromeSize);
  EXPECT_EQ(fs::file_size(dir_ / "out" / "bitmap.html"), kCmdMonochromeSize);
  // The plain star at (364, 449) of the colour diagram: index 0 in the high nibble.
  const std::vector<unsigned char> colour = test::readAll(dir_ / "out" / "colour.bmp");
  ASSERT_EQ(colour.size(), kCmdColourSize);
  EXPECT_EQ(colour.at(cmdByteOffset(kCmdColour, 364, 449)), 0x0F);
  EXPECT_EQ(ws_->filePath, (dir_ / "out" / "bitmap.html").string());
  EXPECT_EQ(ws_->openFilterIndex, 4);
}

TEST_F(SaveCommand, UnknownFilterWritesNothingAndWriterErrorsAreReported) {
  EXPECT_EQ(save("result", 1), 1);  // no folder "out"
  EXPECT_EQ(port_.messages(), std::vector<int>{5});
  EXPECT_EQ(port_.events.at(0).owner, MessageOwner::MainWindow);
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
