// Loading ST-6 files as Open does: accepted, refused with which message, what a load resets;
// the generator's files. Byte order: SamplesTest (netpbm); the window's effects: MainWindowTest.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>
#include <cstring>

#include "image/FileTitle.h"
#include "image/OpenImage.h"
#include "image/St6Loader.h"
#include "resources/StringTable.h"
#include "tests/support/ParamName.h"
#include "tests/support/Process.h"
#include "tests/support/TestWorkspace.h"
#include "tools/FitsWriter.h"
#include "tools/St6Writer.h"

namespace orelith {
namespace {

namespace fs = std::filesystem;

std::uint16_t ramp(int x, int y) { return static_cast<std::uint16_t>(x * 7 + y * 1000); }
std::uint16_t flat(int, int) { return 9; }

class St6Files : public testing::Test {
 protected:
  void SetUp() override { dir = test::makeTempDir(); }
  void TearDown() override { fs::remove_all(dir); }
  std::string file(const std::string& name, const std::vector<unsigned char>& bytes) {
    test::writeBytes(dir / name, bytes);
    return (dir / name).string();
  }
  fs::path dir;
};

enum class Kind { File, Missing, Folder, Fifo };

struct FileCase {
  const char* name;
  const char* head = nullptr;  // replaces the first 15 bytes
  long size = -1;              // the file is cut to this many bytes, or grown past its end
  std::optional<StringId> message = std::nullopt;  // none: accepted
  Kind kind = Kind::File;
};

class Files : public St6Files, public testing::WithParamInterface<FileCase> {};

// A refused file leaves the earlier image and every state as it was.
TEST_P(Files, AcceptedOrRefusedWithItsMessage) {
  const FileCase& c = GetParam();
  auto ws = test::makeWorkspace();
  ASSERT_EQ(openImage(*ws, kBlue, file("good.b", test::st6Bytes(ramp))).status, St6Status::Ok);
  ws->starCount[kBlue] = 4;
  ws->progressFlags |= PRG_BLUE_SEARCHED;
  auto bytes = test::st6Bytes(flat);
  if (c.head != nullptr) std::memcpy(bytes.data(), c.head, 15);
  if (c.size >= 0) bytes.resize(static_cast<std::size_t>(c.size), 0xAB);
  const fs::path path = dir / "new.b";
  if (c.kind == Kind::File) test::writeBytes(path, bytes);
  if (c.kind == Kind::Folder) fs::create_directory(path);
  if (c.kind == Kind::Fifo && ::mkfifo(path.c_str(), 0600) != 0) FAIL() << "no FIFO";
  const LoadOutcome outcome = openImage(*ws, kBlue, path.string());
  EXPECT_EQ(outcome.message, c.message);
  EXPECT_EQ(outcome.status == St6Status::Ok, !c.message);
  EXPECT_EQ(pixelAt(*ws, kBlue, 374, 241), c.message ? ramp(374, 241) : 9);
  EXPECT_EQ(ws->starCount[kBlue], c.message ? 4 : 0);
  EXPECT_STREQ(ws->fileTitle[kBlue], c.message ? "good.b" : "new.b");
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, Files, testing::Values(
    FileCase{"AnyTwoBytesBeforeFil", "ST-6 Image\x01\xff" "Fil"},
    FileCase{"LongerFileIsReadToItsLastPixel", nullptr, 183548 + 100},
    FileCase{"Compressed", "ST-6 Compressed", -1, str::CompressedSt6},
    FileCase{"OtherCamera", "ST-7 Image\n\rFil", -1, str::NoSt6Image},
    FileCase{"NoFilAfterGap", "ST-6 Image\n\rXil", -1, str::NoSt6Image},
    FileCase{"NulInside", "ST-6\0Image\n\rFil", -1, str::NoSt6Image},
    FileCase{"Empty", nullptr, 0, str::UnableToReadFile},
    FileCase{"LastPixelHalf", nullptr, 183547, str::UnableToReadFile},
    FileCase{"Missing", nullptr, -1, str::UnableToOpenFile, Kind::Missing},
    FileCase{"Folder", nullptr, -1, str::UnableToOpenFile, Kind::Folder},
    FileCase{"FifoWithoutWriter", nullptr, -1, str::UnableToOpenFile, Kind::Fifo}),
    test::ParamName());
// clang-format on

// What ending the calibration clears is StarSearchTest's, which shares it.
TEST_F(St6Files, LoadResetsTheWork) {
  auto ws = test::makeWorkspace();
  ws->progressFlags = PRG_GREEN_LOADED | PRG_BLUE_SEARCHED | PRG_GREEN_SEARCHED | PRG_COMPARED |
                      PRG_CALIBRATION_STAR | PRG_MAGNITUDES;
  ws->optionFlags = OPT_SELECTION_SHOWN | OPT_MOVE_MODE, ws->starCount[kGreen] = 12;
  ws->searchRect[kBlue] = {5, 5, 9, 9}, ws->searchRect[kGreen] = {6, 6, 8, 8};
  ws->selectedStar[kBlue] = 7;
  ASSERT_EQ(openImage(*ws, kGreen, file("frame.g", test::st6Bytes(ramp))).status, St6Status::Ok);
  EXPECT_EQ(ws->searchRect[kBlue].right, kImageWidth);
  EXPECT_EQ(ws->searchRect[kGreen].bottom, kImageHeight);
  EXPECT_EQ(ws->starCount[kGreen], 0);
  EXPECT_EQ(ws->progressFlags, PRG_GREEN_LOADED | PRG_BLUE_SEARCHED);
  EXPECT_EQ(ws->optionFlags, OPT_MOVE_MODE);
  EXPECT_EQ(ws->selectedStar[kBlue], 7);
}

// A FITS frame is known by its content under any name; it brings its size, filter and world
// coordinates, a refused one its reason; an ST-6 frame after it drops them again.
TEST_F(St6Files, FitsFramesOpenByTheirContent) {
  std::vector<std::uint16_t> counts(40 * 30);
  for (std::size_t i = 0; i < counts.size(); ++i) counts[i] = static_cast<std::uint16_t>(i * 3);
  const std::string fits = (dir / "frame.b").string();
  ASSERT_EQ(
      gen::writeFits(fits, counts.data(), 40, 30, {}, {-32, false, 0, 1, "V", {5, 5, 150, 2, 1}}),
      "");
  auto ws = test::makeWorkspace();
  ASSERT_EQ(openImage(*ws, kGreen, fits), LoadOutcome{});
  EXPECT_EQ((std::array{ws->frame[kGreen].width, ws->frame[kGreen].height}), (std::array{40, 30}));
  EXPECT_EQ(pixelAt(*ws, kGreen, 39, 29), 3 * (40 * 30 - 1));  // counts row by row, top first
  EXPECT_EQ((std::array{ws->searchRect[kBlue].right, ws->searchRect[kGreen].bottom}),
            (std::array{kImageWidth, 30}));
  EXPECT_EQ(ws->frameFilter[kGreen], "V");
  EXPECT_TRUE(ws->worldCoords[kGreen].valid());
  fs::resize_file(fits, 5000);
  const LoadOutcome refused = openImage(*ws, kGreen, fits);
  EXPECT_EQ(refused, (LoadOutcome{St6Status::FitsRefused, str::FitsUnreadable,
                                  "The FITS file ends before its last pixel."}));
  EXPECT_EQ(ws->frame[kGreen].width, 40);
  ASSERT_EQ(openImage(*ws, kGreen, file("frame.g", test::st6Bytes(ramp))).status, St6Status::Ok);
  EXPECT_EQ(ws->frame[kGreen].width, kImageWidth);
  EXPECT_TRUE(ws->frameFilter[kGreen].empty() && !ws->worldCoords[kGreen].valid());
}

TEST_F(St6Files, GeneratorWritesTheFrameAndTheTruthCsv) {
  std::vector<std::uint16_t> plane(kPixelCount), back(kPixelCount);
  for (int i = 0; i < kPixelCount; ++i) plane[i] = static_cast<std::uint16_t>(i * 40503u + 7u);
  ASSERT_TRUE(gen::writeSt6((dir / "frame.st6").string(), plane.data()));
  ASSERT_EQ(readSt6File((dir / "frame.st6").string(), back.data()), St6Status::Ok);
  EXPECT_EQ(back, plane);  // every pixel differs from its neighbours, both bytes vary
  EXPECT_FALSE(gen::writeSt6((dir / "missing" / "frame.st6").string(), plane.data()));
  const std::vector<gen::TrueStar> truth = {{10.25, 20.5, 9.0, 0.012, 500000.0, 400000.0, true},
                                            {100.0, 50.125, 14.5, 1.2, 900.5, 1500.3, false}};
  ASSERT_TRUE(gen::writeTruthCsv((dir / "truth.csv").string(), truth, 3, -2));
  // Green position = blue + (3, -2); by hand.
  EXPECT_EQ(test::readText(dir / "truth.csv"),
            "x,y,green_x,green_y,V,BV,blue_flux,green_flux,saturated\n"
            "10.250,20.500,13.250,18.500,9.0000,0.0120,500000.0,400000.0,1\n"
            "100.000,50.125,103.000,48.125,14.5000,1.2000,900.5,1500.3,0\n");
  EXPECT_FALSE(gen::writeTruthCsv((dir / "missing" / "truth.csv").string(), truth, 0, 0));
}

// "ä" is two bytes, "€" three: the 15th byte would split them. Invalid bytes are cut plainly.
TEST(Title, IsTheNameCutTo15BytesOnACharacterBoundary) {
  const std::pair<const char*, const char*> rows[] = {
      // path, title
      {"/home/obs/m67.b", "m67.b"},
      {"/d/abcdefghijklmno", "abcdefghijklmno"},
      {"/d/abcdefghijklmnopq.st6", "abcdefghijklmno"},
      {"/d/abcdefghijklmn\xc3\xa4.b", "abcdefghijklmn"},
      {"/d/abcdefghijklm\xc3\xa4xyz", "abcdefghijklm\xc3\xa4"},
      {"/d/abcdefghijklm\xe2\x82\xac.b", "abcdefghijklm"},
      {"/d/\xff\xfe\xfd\xfc\xfb\xfa\xf9\xf8\xf7\xf6\xf5\xf4\xf3\xf2\xf1\xf0",
       "\xff\xfe\xfd\xfc\xfb\xfa\xf9\xf8\xf7\xf6\xf5\xf4\xf3\xf2\xf1"}};
  for (const auto& [path, expected] : rows) {
    char title[kFileTitleSize];
    std::memset(title, 'x', sizeof title);
    makeFileTitle(path, title, kFileTitleSize);
    EXPECT_STREQ(title, expected) << path;
  }
}

}  // namespace
}  // namespace orelith
