#include "display/PngWriter.h"

#include <png.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace orelith {
namespace {

// libpng must not return from its error handler; this one jumps back to the
// setjmp in writeGuarded without printing, so the caller alone reports.
void quietError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void quietWarning(png_structp, png_const_charp) {}

void writeImage(png_structp png, png_infop info, const std::uint8_t* picture) {
  png_set_IHDR(png, info, kImageWidth, kImageHeight, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_byte row[kImageWidth * 3];
  for (int y = 0; y < kImageHeight; ++y) {
    const std::uint8_t* bgr = picture + y * kPictureStride;
    for (int x = 0; x < kImageWidth; ++x) {
      row[3 * x] = bgr[3 * x + 2];
      row[3 * x + 1] = bgr[3 * x + 1];
      row[3 * x + 2] = bgr[3 * x];
    }
    png_write_row(png, row);
  }
  png_write_end(png, info);
}

// The setjmp sits in a frame of its own that changes no local after it, so
// nothing the jump comes back to can have been clobbered; the frames it
// unwinds hold only trivially destructible objects.
bool writeGuarded(png_structp png, png_infop info, const std::uint8_t* picture) {
  if (setjmp(png_jmpbuf(png))) return false;
  writeImage(png, info, picture);
  return true;
}

}  // namespace

bool writePanelPng(const Workspace& ws, int panel, const std::string& path) {
  if (panel != kBlue && panel != kGreen) return false;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  png_structp png =
      png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, quietError, quietWarning);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  bool ok = info != nullptr;
  if (ok) {
    png_init_io(png, file);
    ok = writeGuarded(png, info, ws.picture[panel]);
  }
  png_destroy_write_struct(&png, &info);
  // libpng's flush does not look at the result; a full disk shows here.
  if (std::fflush(file) != 0 || std::ferror(file) != 0) ok = false;
  if (std::fclose(file) != 0) ok = false;
  // Only a regular file can be a half-written picture; a device or pipe named
  // as the target is not ours to delete.
  std::error_code error;
  if (!ok && std::filesystem::is_regular_file(path, error)) std::filesystem::remove(path, error);
  return ok;
}

}  // namespace orelith
