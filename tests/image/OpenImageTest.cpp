#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>

#include "image/FileTitle.h"
#include "image/OpenImage.h"
#include "image/St6Loader.h"
#include "resources/ControlIds.h"
#include "resources/StringTable.h"
#include "tests/support/ParamName.h"
#include "tests/support/RecordingPort.h"
#include "tests/support/TestWorkspace.h"

namespace orelith {
namespace {

using test::PortEvent;
using test::RecordingPort;

std::uint16_t ramp(int x, int y) { return static_cast<std::uint16_t>(x * 7 + y * 1000); }
std::uint16_t flat(int, int) { return 9; }

class St6Files : public testing::Test {
 protected:
  void SetUp() override { dir = test::makeTempDir(); }
  void TearDown() override { std::filesystem::remove_all(dir); }

  std::string file(const std::string& name, const std::vector<unsigned char>& bytes) {
    auto path = dir / name;
    test::writeBytes(path, bytes);
    return path.string();
  }

  std::filesystem::path dir;
};

struct HeaderCase {
  const char* name;
  const char* head;  // replaces the first 15 bytes
  int message;       // 0 = accepted
};

class Signature : public St6Files, public testing::WithParamInterface<HeaderCase> {};

TEST_P(Signature, AcceptsOrRefusesByTheFirst15Bytes) {
  auto bytes = test::st6Bytes(ramp);
  std::memcpy(bytes.data(), GetParam().head, 15);
  auto ws = test::makeWorkspace();
  ws->filePath = file("f.st6", bytes);
  RecordingPort port;
  const int rc = loadImage(*ws, port, kBlue);
  if (GetParam().message == 0) {
    EXPECT_EQ(rc, 0);
    EXPECT_TRUE(port.messages().empty());
  } else {
    EXPECT_EQ(rc, 1);
    EXPECT_EQ(port.messages(), std::vector<int>{GetParam().message});
  }
}

INSTANTIATE_TEST_SUITE_P(
    Heads, Signature,
    testing::Values(HeaderCase{"CcdopsLineEnd", "ST-6 Image\n\rFil", 0},
                    HeaderCase{"AnyTwoBytes",
                               "ST-6 Image\x01\xff"
                               "Fil",
                               0},
                    HeaderCase{"Compressed", "ST-6 Compressed", str::CompressedSt6},
                    HeaderCase{"OtherCamera", "ST-7 Image\n\rFil", str::NoSt6Image},
                    HeaderCase{"NoFilAfterGap", "ST-6 Image\n\rXil", str::NoSt6Image},
                    HeaderCase{"NulInside", "ST-6\0Image\n\rFil", str::NoSt6Image}),
    test::ParamName());

TEST_F(St6Files, PixelsAreLittleEndianRowByRow) {
  auto bytes = test::st6Bytes(flat);
  bytes[2048] = 0x34;
  bytes[2049] = 0x12;
  bytes[2796] = 0x01;  // (374, 0)
  bytes[2797] = 0x02;
  bytes[2798] = 0xFF;  // (0, 1)
  bytes[2799] = 0x00;
  auto ws = test::makeWorkspace();
  ws->filePath = file("p.st6", bytes);
  RecordingPort port;
  ASSERT_EQ(loadImage(*ws, port, kGreen), 0);
  EXPECT_EQ(pixelAt(*ws, kGreen, 0, 0), 0x1234);
  EXPECT_EQ(pixelAt(*ws, kGreen, 374, 0), 0x0201);
  EXPECT_EQ(pixelAt(*ws, kGreen, 0, 1), 0x00FF);
  EXPECT_EQ(pixelAt(*ws, kGreen, 374, 241), 9);
  EXPECT_EQ(pixelAt(*ws, kBlue, 0, 0), 0);  // the other plane is untouched
}

struct BrokenCase {
  const char* name;
  std::size_t size;  // the file is cut to this many bytes
  int message;
};

class BrokenFile : public St6Files, public testing::WithParamInterface<BrokenCase> {};

// A failed load leaves the earlier image and every state as it was.
TEST_P(BrokenFile, IsRefusedAndChangesNothing) {
  auto ws = test::makeWorkspace();
  RecordingPort port;
  ASSERT_EQ(openImage(*ws, port, kBlue, file("good.b", test::st6Bytes(ramp))), 0);
  ws->starCount[kBlue] = 4;
  ws->progressFlags |= PRG_BLUE_SEARCHED;
  ws->searchRect[kBlue] = {1, 2, 3, 4};
  ws->calibration.count = 1;
  port.clear();
  auto bytes = test::st6Bytes(flat);
  bytes.resize(GetParam().size);
  EXPECT_EQ(openImage(*ws, port, kBlue, file("bad.b", bytes)), 1);
  EXPECT_EQ(port.messages(), std::vector<int>{GetParam().message});
  EXPECT_EQ(port.events.size(), 1u);
  EXPECT_EQ(pixelAt(*ws, kBlue, 374, 241), ramp(374, 241));
  EXPECT_EQ(ws->starCount[kBlue], 4);
  EXPECT_EQ(ws->progressFlags, PRG_BLUE_LOADED | PRG_BLUE_SEARCHED);
  EXPECT_EQ(ws->searchRect[kBlue].right, 3);
  EXPECT_EQ(ws->calibration.count, 1);
  EXPECT_STREQ(ws->fileTitle[kBlue], "good.b");
}

INSTANTIATE_TEST_SUITE_P(
    Cuts, BrokenFile,
    testing::Values(BrokenCase{"Empty", 0, str::UnableToReadFile},
                    BrokenCase{"ShorterThanSignature", 14, str::UnableToReadFile},
                    BrokenCase{"HeaderOnly", 2048, str::UnableToReadFile},
                    BrokenCase{"LastPixelHalf", 183547, str::UnableToReadFile}),
    test::ParamName());

// Anything but a regular file cannot be opened; a FIFO without a writer must
// not block the open.
TEST_F(St6Files, WhatIsNoRegularFileGivesMessage1) {
  ASSERT_EQ(::mkfifo((dir / "fifo.g").c_str(), 0600), 0);
  for (const std::filesystem::path& path : {dir / "none.g", dir, dir / "fifo.g"}) {
    auto ws = test::makeWorkspace();
    RecordingPort port;
    EXPECT_EQ(openImage(*ws, port, kGreen, path.string()), kOpenFailed);
    EXPECT_EQ(port.messages(), std::vector<int>{str::UnableToOpenFile}) << path;
    EXPECT_EQ(ws->progressFlags, 0u);
  }
}

TEST_F(St6Files, LongerFileIsReadToItsLastPixel) {
  auto bytes = test::st6Bytes(ramp);
  bytes.resize(bytes.size() + 100, 0xAB);
  auto ws = test::makeWorkspace();
  RecordingPort port;
  EXPECT_EQ(openImage(*ws, port, kBlue, file("long.st6", bytes)), 0);
}

TEST_F(St6Files, LoadResetsTheWorkAndEnablesTheImageControls) {
  auto ws = test::makeWorkspace();
  ws->progressFlags = PRG_GREEN_LOADED | PRG_BLUE_SEARCHED | PRG_GREEN_SEARCHED | PRG_COMPARED |
                      PRG_CALIBRATION_STAR | PRG_MAGNITUDES;
  ws->optionFlags = OPT_SELECTION_SHOWN | OPT_MOVE_MODE;
  ws->starCount[kBlue] = 0;
  ws->starCount[kGreen] = 12;
  ws->searchRect[kBlue] = {5, 5, 9, 9};
  ws->searchRect[kGreen] = {6, 6, 8, 8};
  ws->calibration.count = 1;
  ws->calibration.entries[0] = {3, 4};
  star(*ws, kBlue, 3).marks = MARK_CALIBRATION;
  star(*ws, kGreen, 4).marks = MARK_CALIBRATION | MARK_HOT;
  ws->selectedStar[kBlue] = 7;
  RecordingPort port;
  ASSERT_EQ(openImage(*ws, port, kGreen, file("frame.g", test::st6Bytes(ramp))), 0);

  EXPECT_EQ(ws->searchRect[kBlue].right, kImageWidth);
  EXPECT_EQ(ws->searchRect[kGreen].bottom, kImageHeight);
  EXPECT_EQ(ws->starCount[kGreen], 0);
  EXPECT_EQ(ws->progressFlags, PRG_GREEN_LOADED | PRG_BLUE_SEARCHED);
  EXPECT_EQ(ws->optionFlags, OPT_MOVE_MODE);
  EXPECT_EQ(ws->calibration.count, 0);
  EXPECT_EQ(star(*ws, kBlue, 3).marks, 0u);
  EXPECT_EQ(star(*ws, kGreen, 4).marks, MARK_HOT);
  EXPECT_EQ(ws->selectedStar[kBlue], 7);
  EXPECT_STREQ(ws->fileTitle[kGreen], "frame.g");

  for (int id : {ctl::RangeGreen, ctl::BackgroundSliderGreen, ctl::CustomColorsGreen,
                 ctl::AutoUpdateGreen, ctl::SearchGreen, ctl::BackgroundFieldGreen})
    EXPECT_EQ(port.enabled(id), true) << id;
  EXPECT_EQ(port.enabled(ctl::ResetSelection), std::nullopt);
  EXPECT_EQ(port.enabled(ctl::CompareImages), false);
  EXPECT_EQ(port.menuEnabled(menu::Save), false);  // the blue image has no stars
  EXPECT_EQ(port.repaints(), std::vector<int>{kGreen});
  EXPECT_EQ(port.count(PortEvent::ListRefill), 1);
}

TEST_F(St6Files, SaveKeepsItsStateWhenTheOtherImageHasStars) {
  auto ws = test::makeWorkspace();
  ws->starCount[kGreen] = 3;
  RecordingPort port;
  ASSERT_EQ(openImage(*ws, port, kBlue, file("b.st6", test::st6Bytes(ramp))), 0);
  EXPECT_EQ(port.menuEnabled(menu::Save), std::nullopt);
  EXPECT_EQ(port.enabled(ctl::ResetSelection), true);
}

// After the load the refill sees the new progress bits, so a reloaded image
// does not offer the comparison again.
TEST_F(St6Files, RefillAfterLoadDoesNotOfferComparison) {
  auto ws = test::makeWorkspace();
  ws->progressFlags = PRG_BLUE_SEARCHED | PRG_GREEN_SEARCHED;
  RecordingPort port;
  ASSERT_EQ(openImage(*ws, port, kBlue, file("b.st6", test::st6Bytes(ramp))), 0);
  EXPECT_EQ(port.enabled(ctl::CompareImages), false);
}

struct FilterCase {
  const char* name;
  int remembered;
  int image;
  int shown;
};

class OpenFilter : public testing::TestWithParam<FilterCase> {};

TEST_P(OpenFilter, SwitchesBetweenTheColourFilters) {
  auto ws = test::makeWorkspace();
  ws->openFilterIndex = GetParam().remembered;
  EXPECT_EQ(openDialogFilter(*ws, GetParam().image), GetParam().shown);
  EXPECT_EQ(ws->openFilterIndex, GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Filters, OpenFilter,
                         testing::Values(FilterCase{"GreenToBlue", 3, kBlue, 4},
                                         FilterCase{"BlueToGreen", 4, kGreen, 3},
                                         FilterCase{"BlueStaysForBlue", 4, kBlue, 4},
                                         FilterCase{"GreenStaysForGreen", 3, kGreen, 3},
                                         FilterCase{"StartIndexStays", 0, kBlue, 0},
                                         FilterCase{"AllFilesStays", 5, kGreen, 5}),
                         test::ParamName());

struct TitleCase {
  const char* name;
  const char* path;
  const char* title;
};

class Title : public testing::TestWithParam<TitleCase> {};

TEST_P(Title, IsTheNameCutTo15BytesOnACharacterBoundary) {
  char title[kFileTitleSize];
  std::memset(title, 'x', sizeof title);
  makeFileTitle(GetParam().path, title, kFileTitleSize);
  EXPECT_STREQ(title, GetParam().title);
}

INSTANTIATE_TEST_SUITE_P(
    Names, Title,
    testing::Values(TitleCase{"Plain", "/home/obs/m67.b", "m67.b"},
                    TitleCase{"NoDirectory", "ngc188.st6", "ngc188.st6"},
                    TitleCase{"Exactly15", "/d/abcdefghijklmno", "abcdefghijklmno"},
                    TitleCase{"CutTo15", "/d/abcdefghijklmnopq.st6", "abcdefghijklmno"},
                    // "ä" is two bytes: the 15th byte would split it.
                    TitleCase{"UmlautAtTheCut",
                              "/d/abcdefghijklmn\xc3\xa4"
                              ".b",
                              "abcdefghijklmn"},
                    TitleCase{"UmlautBeforeTheCut", "/d/abcdefghijklm\xc3\xa4xyz",
                              "abcdefghijklm\xc3\xa4"},
                    TitleCase{"ThreeByteCharacter",
                              "/d/abcdefghijklm\xe2\x82\xac"
                              ".b",
                              "abcdefghijklm"},
                    TitleCase{"InvalidBytesCutPlainly",
                              "/d/\xff\xfe\xfd\xfc\xfb\xfa\xf9\xf8\xf7\xf6"
                              "\xf5\xf4\xf3\xf2\xf1\xf0",
                              "\xff\xfe\xfd\xfc\xfb\xfa\xf9\xf8\xf7\xf6\xf5\xf4\xf3\xf2\xf1"}),
    test::ParamName());

}  // namespace
}  // namespace orelith
