#include "tools/FitsWriter.h"

#include <fitsio.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace orelith::gen {
namespace {

constexpr double kByteStep = 257.0;  // 8-bit files: 0..255 cover 0..65535 counts

struct Writer {
  fitsfile* f = nullptr;
  int status = 0;
  ~Writer() {
    int ignored = 0;
    if (f != nullptr) fits_close_file(f, &ignored);
  }
  void key(const char* name, double v) { fits_write_key_dbl(f, name, v, -15, nullptr, &status); }
  void key(const char* name, const std::string& v) {
    fits_write_key_str(f, name, v.c_str(), nullptr, &status);
  }
};

void writeScaling(Writer& w, double bzero, double bscale) {
  if (bscale != 1.0) w.key("BSCALE", bscale);
  if (bzero != 0.0) w.key("BZERO", bzero);
  // The values written below are stored as they are.
  fits_set_bscale(w.f, 1.0, 0.0, &w.status);
}

void writeWcs(Writer& w, const TanWcs& wcs, int height) {
  if (wcs.arcsecPerPixel <= 0.0) return;
  const double scale = wcs.arcsecPerPixel / 3600.0;
  w.key("CTYPE1", std::string("RA---TAN"));
  w.key("CTYPE2", std::string("DEC--TAN"));
  w.key("CRPIX1", wcs.refX + 1.0);
  w.key("CRPIX2", height - wcs.refY);
  w.key("CRVAL1", wcs.ra);
  w.key("CRVAL2", wcs.dec);
  w.key("CD1_1", -scale);  // east to the left
  w.key("CD1_2", 0.0);
  w.key("CD2_1", 0.0);
  w.key("CD2_2", scale);  // north up: FITS rows count up the frame
  w.key("RADESYS", std::string("ICRS"));
}

// Rows from the bottom of the frame up, as FITS counts them; `store` turns
// counts into the stored value.
template <class T, class Store>
void writeRows(Writer& w, int type, const std::uint16_t* counts, int width, int height,
               const std::vector<unsigned char>& isBlank, T blank, Store store) {
  std::vector<T> row(static_cast<std::size_t>(width));
  for (int j = 1; j <= height && w.status == 0; ++j) {
    const std::size_t start = static_cast<std::size_t>(height - j) * width;
    for (int x = 0; x < width; ++x) {
      const std::size_t i = start + x;
      row[x] = !isBlank.empty() && isBlank[i] ? blank : store(counts[i]);
    }
    LONGLONG first[2] = {1, j};
    fits_write_pixll(w.f, type, first, width, row.data(), &w.status);
  }
}

void writePixels(Writer& w, const FitsLayout& l, const std::uint16_t* counts, int width, int height,
                 const std::vector<unsigned char>& isBlank) {
  const int low = isBlank.empty() ? 0 : 1;  // the lowest count that is no blank
  switch (l.bitpix) {
    case 8:
      writeScaling(w, l.bzero, kByteStep * l.bscale);
      if (!isBlank.empty()) fits_write_key_lng(w.f, "BLANK", 0, nullptr, &w.status);
      return writeRows<unsigned char>(w, TBYTE, counts, width, height, isBlank, 0, [&](int c) {
        return static_cast<unsigned char>(std::clamp<long>(std::lround(c / kByteStep), low, 255));
      });
    case 16:
      writeScaling(w, l.bzero + 32768.0 * l.bscale, l.bscale);
      if (!isBlank.empty()) fits_write_key_lng(w.f, "BLANK", -32768, nullptr, &w.status);
      return writeRows<short>(w, TSHORT, counts, width, height, isBlank, -32768,
                              [&](int c) { return static_cast<short>(std::max(c, low) - 32768); });
    case 32:
      writeScaling(w, l.bzero, l.bscale);
      if (!isBlank.empty())
        fits_write_key_lng(w.f, "BLANK", std::numeric_limits<int>::min(), nullptr, &w.status);
      return writeRows<int>(w, TINT, counts, width, height, isBlank,
                            std::numeric_limits<int>::min(), [](int c) { return c; });
    case -32:
      return writeRows<float>(w, TFLOAT, counts, width, height, isBlank,
                              std::numeric_limits<float>::quiet_NaN(),
                              [&](int c) { return static_cast<float>(l.bzero + l.bscale * c); });
    default:
      return writeRows<double>(w, TDOUBLE, counts, width, height, isBlank,
                               std::numeric_limits<double>::quiet_NaN(),
                               [&](int c) { return l.bzero + l.bscale * c; });
  }
}

std::string cfitsioText(int status) {
  char text[FLEN_STATUS] = {};
  fits_get_errstatus(status, text);
  return text;
}

}  // namespace

std::string writeFits(const std::string& path, const std::uint16_t* counts, int width, int height,
                      const std::vector<int>& blank, const FitsLayout& layout) {
  constexpr int kTypes[] = {8, 16, 32, -32, -64};
  if (std::find(std::begin(kTypes), std::end(kTypes), layout.bitpix) == std::end(kTypes))
    return "BITPIX must be 8, 16, 32, -32 or -64";
  std::vector<unsigned char> isBlank;
  if (!blank.empty()) {
    isBlank.assign(static_cast<std::size_t>(width) * height, 0);
    for (int at : blank) isBlank[static_cast<std::size_t>(at)] = 1;
  }
  std::remove(path.c_str());  // CFITSIO creates only new files
  Writer w;
  fits_create_diskfile(&w.f, path.c_str(), &w.status);
  if (layout.compressed) {
    fits_set_compression_type(w.f, layout.bitpix < 0 ? GZIP_1 : RICE_1, &w.status);
    // Floating-point values are kept exactly, not quantised.
    if (layout.bitpix < 0) fits_set_quantize_level(w.f, 0.0f, &w.status);
  }
  long axes[2] = {width, height};
  fits_create_img(w.f, layout.bitpix, 2, axes, &w.status);
  if (!layout.filter.empty()) w.key("FILTER", layout.filter);
  writeWcs(w, layout.wcs, height);
  writePixels(w, layout, counts, width, height, isBlank);
  if (w.status == 0 && w.f != nullptr) {
    fits_close_file(w.f, &w.status);
    w.f = nullptr;
  }
  return w.status == 0 ? std::string() : "cannot write " + path + ": " + cfitsioText(w.status);
}

}  // namespace orelith::gen
