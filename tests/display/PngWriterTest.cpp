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

TEST(PngWriter, WritesThePictureAsRgbAndReportsFailures) {
  auto ws = test::makeWorkspace();
  const fs::path dir = test::makeTempDir();
  ws->searchRect[kGreen] = {0, 0, 200, 100};
  for (int x = 0; x < kImageWidth; ++x)
    for (int y = 0; y < kImageHeight; ++y)
      pixelAt(*ws, kGreen, x, y) = static_cast<std::uint16_t>(x + y);
  ws->display.range[kGreen] = 600;
  test::setTableColor(*ws, kColorVoid, {10, 20, 30});
  renderImage(*ws, kGreen);
  const fs::path file = dir / "green.png";
  ASSERT_TRUE(writePanelPng(*ws, kGreen, file.string()));

  // Read back with libpng's simplified API, written by others.
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&image, file.c_str()));
  image.format = PNG_FORMAT_RGB;
  std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
  ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
  ASSERT_EQ(image.width, 375u);
  ASSERT_EQ(image.height, 242u);
  int mismatches = 0;
  for (int y = 0; y < kImageHeight; ++y)
    for (int x = 0; x < kImageWidth; ++x) {
      const std::size_t at = (static_cast<std::size_t>(y) * kImageWidth + x) * 3;
      mismatches +=
          test::Rgb{rgb[at], rgb[at + 1], rgb[at + 2]} != test::pictureAt(*ws, kGreen, x, y);
    }
  EXPECT_EQ(mismatches, 0);
  const std::size_t corner = (241 * kImageWidth + 374) * 3;
  EXPECT_EQ(rgb[corner], 10);  // Void, red first
  EXPECT_EQ(rgb[corner + 2], 30);

  EXPECT_FALSE(writePanelPng(*ws, kGreen, (dir / "missing" / "x.png").string()));
  EXPECT_FALSE(writePanelPng(*ws, kGreen, dir.string()));
  EXPECT_FALSE(writePanelPng(*ws, 2, (dir / "panel2.png").string()));
  EXPECT_FALSE(fs::exists(dir / "panel2.png"));
  fs::remove_all(dir);
}

}  // namespace
}  // namespace orelith
