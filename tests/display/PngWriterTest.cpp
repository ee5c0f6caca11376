#include <gtest/gtest.h>
#include <png.h>

#include <filesystem>
#include <vector>

#include "display/PngWriter.h"
#include "display/Render.h"
#include "tests/display/PictureProbe.h"
#include "tests/support/TestWorkspace.h"

namespace orelith {
namespace {

namespace fs = std::filesystem;

// Reads an RGB PNG back with libpng's simplified API; empty on failure.
std::vector<png_byte> readRgb(const fs::path& path, png_uint_32& width, png_uint_32& height) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
  image.format = PNG_FORMAT_RGB;
  std::vector<png_byte> pixels(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return {};
  width = image.width;
  height = image.height;
  return pixels;
}

class PngWriter : public ::testing::Test {
 protected:
  void SetUp() override {
    ws = test::makeWorkspace();
    dir = test::makeTempDir();
    ws->searchRect[kGreen] = {0, 0, 200, 100};
    for (int x = 0; x < kImageWidth; ++x)
      for (int y = 0; y < kImageHeight; ++y)
        pixelAt(*ws, kGreen, x, y) = static_cast<std::uint16_t>(x + y);
    ws->display.range[kGreen] = 600;
    test::setTableColor(*ws, kColorVoid, {10, 20, 30});
    renderImage(*ws, kGreen);
  }
  void TearDown() override { fs::remove_all(dir); }
  std::unique_ptr<Workspace> ws;
  fs::path dir;
};

TEST_F(PngWriter, WritesThePictureAsRgb) {
  const fs::path file = dir / "green.png";
  ASSERT_TRUE(writePanelPng(*ws, kGreen, file.string()));
  png_uint_32 width = 0, height = 0;
  const std::vector<png_byte> rgb = readRgb(file, width, height);
  ASSERT_EQ(width, 375u);
  ASSERT_EQ(height, 242u);
  int mismatches = 0;
  for (int y = 0; y < kImageHeight; ++y)
    for (int x = 0; x < kImageWidth; ++x) {
      const std::size_t at = (static_cast<std::size_t>(y) * kImageWidth + x) * 3;
      const test::Rgb got{rgb[at], rgb[at + 1], rgb[at + 2]};
      if (got != test::pictureAt(*ws, kGreen, x, y)) ++mismatches;
    }
  EXPECT_EQ(mismatches, 0);
  const std::size_t corner = (241 * kImageWidth + 374) * 3;
  EXPECT_EQ(rgb[corner], 10);  // Void, red first
  EXPECT_EQ(rgb[corner + 2], 30);
}

TEST_F(PngWriter, ReportsFailures) {
  EXPECT_FALSE(writePanelPng(*ws, kGreen, (dir / "missing" / "x.png").string()));
  EXPECT_FALSE(writePanelPng(*ws, kGreen, dir.string()));
  EXPECT_FALSE(writePanelPng(*ws, 2, (dir / "panel2.png").string()));
  EXPECT_FALSE(fs::exists(dir / "panel2.png"));
}

}  // namespace
}  // namespace orelith
