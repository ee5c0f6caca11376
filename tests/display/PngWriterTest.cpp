#include <gtest/gtest.h>
#include <png.h>

#include <filesystem>
#include <vector>

#include "display/PngWriter.h"
#include "display/Render.h"
#include "tests/support/TestWorkspace.h"

namespace orelith {
namespace {

namespace fs = std::filesystem;

TEST(PngWriter, WritesThePictureAsRgbAndReportsFailures) {
  auto ws = test::makeWorkspace();
  const fs::path dir = test::makeTempDir(), file = dir / "green.png";
  ws->searchRect[kGreen] = {0, 0, 200, 100};
  for (int x = 0; x < kImageWidth; ++x)
    for (int y = 0; y < kImageHeight; ++y)
      pixelAt(*ws, kGreen, x, y) = static_cast<std::uint16_t>(x + y);
  ws->display.range[kGreen] = 600;
  std::uint8_t* voidColour = ws->display.colorTable + 3 * kColorVoid;
  voidColour[0] = 10, voidColour[1] = 20, voidColour[2] = 30;
  renderImage(*ws, kGreen);
  ASSERT_TRUE(writePanelPng(*ws, kGreen, file.string()));

  // Read back with libpng's simplified API, written by others.
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&image, file.c_str()));
  image.format = PNG_FORMAT_RGB;
  std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
  ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
  ASSERT_EQ(std::pair(image.width, image.height), std::pair(375u, 242u));
  int mismatches = 0;
  for (int i = 0; i < kPixelCount; ++i) {  // the picture stores blue, green, red
    const auto* p = ws->picture[kGreen] + i / kImageWidth * kPictureStride + i % kImageWidth * 3;
    mismatches += rgb[3 * i] != p[2] || rgb[3 * i + 1] != p[1] || rgb[3 * i + 2] != p[0];
  }
  EXPECT_EQ(mismatches, 0);
  EXPECT_EQ(rgb[3 * kPixelCount - 3], 10);  // the Void corner, red first
  EXPECT_EQ(rgb[3 * kPixelCount - 1], 30);

  EXPECT_FALSE(writePanelPng(*ws, kGreen, (dir / "missing" / "x.png").string()));
  EXPECT_FALSE(writePanelPng(*ws, kGreen, dir.string()));
  EXPECT_FALSE(writePanelPng(*ws, 2, (dir / "panel2.png").string()));
  EXPECT_FALSE(fs::exists(dir / "panel2.png"));
  fs::remove_all(dir);
}

}  // namespace
}  // namespace orelith
