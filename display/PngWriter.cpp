#include "display/PngWriter.h"

#include <png.h>
#include <zlib.h>

#include <cstdint>

#include "base/AtomicFile.h"

namespace orelith {
namespace {

// libpng must not return from its error handler; this one jumps back to the
// setjmp in encodeGuarded without printing, so the caller alone reports.
void quietError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void quietWarning(png_structp, png_const_charp) {}

void appendBytes(png_structp png, png_bytep data, png_size_t size) {
  auto* out = static_cast<std::vector<unsigned char>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + size);
}
void noFlush(png_structp) {}

void encodeImage(png_structp png, png_infop info, const std::uint8_t* picture) {
  png_set_IHDR(png, info, kImageWidth, kImageHeight, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  // Panels are mostly flat runs of one colour: run-length deflate without row
  // filters packs them about as well as the default, at a fraction of the cost.
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_set_compression_strategy(png, Z_RLE);
  png_write_info(png, info);
  png_set_bgr(png);  // the picture rows are blue-green-red
  for (int y = 0; y < kImageHeight; ++y) {
    png_write_row(png, const_cast<png_bytep>(picture + y * kPictureStride));
  }
  png_write_end(png, info);
}

// The setjmp sits in a frame of its own that changes no local after it, so
// nothing the jump comes back to can have been clobbered; the frames it
// unwinds hold only trivially destructible objects.
bool encodeGuarded(png_structp png, png_infop info, const std::uint8_t* picture) {
  if (setjmp(png_jmpbuf(png))) return false;
  encodeImage(png, info, picture);
  return true;
}

}  // namespace

bool encodePanelPng(const Workspace& ws, int panel, std::vector<unsigned char>& out) {
  out.clear();
  if (panel != kBlue && panel != kGreen) return false;
  out.reserve(64 * 1024);
  png_structp png =
      png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, quietError, quietWarning);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  bool ok = info != nullptr;
  if (ok) {
    png_set_write_fn(png, &out, appendBytes, noFlush);
    ok = encodeGuarded(png, info, ws.picture[panel]);
  }
  png_destroy_write_struct(&png, &info);
  return ok;
}

bool writePanelPng(const Workspace& ws, int panel, const std::string& path) {
  std::vector<unsigned char> png;
  if (!encodePanelPng(ws, panel, png)) return false;
  StringId failure = kNoString;
  return writeFileAtomically(path, png, failure);
}

}  // namespace orelith
