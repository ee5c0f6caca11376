#include "image/FitsReader.h"

#include <fitsio.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>

#include "base/File.h"
#include "image/St6Loader.h"

namespace orelith {
namespace {

constexpr char kFitsStart[] = "SIMPLE  =";
constexpr std::size_t kFitsStartSize = sizeof kFitsStart - 1;
constexpr int kMaxAxes = 9;
// Extensions looked at for an image; a file of more is not a frame.
constexpr int kMaxHdus = 1000;

struct FitsCloser {
  void operator()(fitsfile* f) const {
    int status = 0;
    fits_close_file(f, &status);
  }
};
using FitsFile = std::unique_ptr<fitsfile, FitsCloser>;

FitsOutcome refused(std::string message) { return {FitsStatus::Refused, std::move(message)}; }

std::string cfitsioText(int status) {
  char text[FLEN_STATUS] = {};
  fits_get_errstatus(status, text);
  return text;
}

FitsOutcome cfitsioFailure(int status) {
  if (status == END_OF_FILE) return refused("The FITS file ends before its last pixel.");
  return refused("The FITS file cannot be read (CFITSIO: " + cfitsioText(status) + ").");
}

// The first bytes decide; CFITSIO itself would also unpack gzip files whole
// into memory, which a small file could make unboundedly large.
FitsOutcome checkContent(const std::string& path) {
  const File f = openRegularFile(path);
  if (!f) return {FitsStatus::CannotOpen, "Unable to open file."};
  char head[kFitsStartSize] = {};
  const std::size_t got = std::fread(head, 1, sizeof head, f.get());
  if (looksLikeFits(head, got)) return {};
  if (got >= 2 && head[0] == '\x1f' && head[1] == '\x8b')
    return refused("The file is gzip-compressed; unpack it (gunzip) to read it.");
  return {FitsStatus::NotFits, "The file is no FITS file."};
}

struct ImageShape {
  int bitpix = 0;
  int naxis = 0;
  LONGLONG axes[kMaxAxes] = {};
};

bool holdsData(const ImageShape& s) {
  if (s.naxis == 0) return false;
  for (int k = 0; k < std::min(s.naxis, kMaxAxes); ++k) {
    if (s.axes[k] == 0) return false;
  }
  return true;
}

// Moves to the primary HDU when it holds an image, else to the first image
// extension that does.
FitsOutcome findImage(fitsfile* f, ImageShape& shape) {
  bool sawTable = false;
  for (int hdu = 1; hdu <= kMaxHdus; ++hdu) {
    int status = 0;
    int type = 0;
    if (fits_movabs_hdu(f, hdu, &type, &status) != 0) {
      if (status != END_OF_FILE || hdu == 1) return cfitsioFailure(status);
      break;
    }
    if (type != IMAGE_HDU) {
      sawTable = true;
      continue;
    }
    if (fits_get_img_paramll(f, kMaxAxes, &shape.bitpix, &shape.naxis, shape.axes, &status) != 0)
      return cfitsioFailure(status);
    if (holdsData(shape)) return {};
  }
  return refused(sawTable ? "The FITS file holds no image, only tables."
                          : "The FITS file holds no image.");
}

FitsOutcome checkShape(const ImageShape& s, const FrameLimits& limits) {
  if (s.naxis == 1) return refused("The FITS image has one axis (NAXIS = 1); a frame needs two.");
  if (s.naxis > kMaxAxes) return refused("The FITS image has more than nine axes.");
  for (int k = 2; k < s.naxis; ++k) {
    if (s.axes[k] != 1)
      return refused("The FITS image is a cube (NAXIS = " + std::to_string(s.naxis) +
                     "); only two-dimensional frames are read.");
  }
  const LONGLONG w = s.axes[0];
  const LONGLONG h = s.axes[1];
  const std::string size = std::to_string(w) + " x " + std::to_string(h);
  if (w < limits.minSide || h < limits.minSide)
    return refused("The FITS image is " + size + " pixels; a frame needs at least " +
                   std::to_string(limits.minSide) + " pixels a side.");
  // Each side is checked before the product, which cannot overflow then.
  if (w > limits.maxSide || h > limits.maxSide || w * h > limits.maxPixels)
    return refused("The FITS image is " + size + " pixels; frames of at most " +
                   std::to_string(limits.maxSide) + " pixels a side and " +
                   std::to_string(limits.maxPixels) + " pixels in all are read.");
  return {};
}

void readDescription(fitsfile* f, Frame& frame) {
  int status = 0;
  char filter[FLEN_VALUE] = {};
  if (fits_read_key(f, TSTRING, "FILTER", filter, nullptr, &status) == 0) frame.filter = filter;
  status = 0;
  frame.compressed = fits_is_compressed_image(f, &status) != 0;
  status = 0;
  char* cards = nullptr;
  int count = 0;
  if (fits_convert_hdr2str(f, 1, nullptr, 0, &cards, &count, &status) == 0 && cards != nullptr)
    frame.header.assign(cards, static_cast<std::size_t>(count) * 80);
  if (cards != nullptr) fits_free_memory(cards, &status);
}

// Every value that is not a finite number becomes NaN and masked. A value
// beyond float's range has already been clipped to it by CFITSIO.
void maskMissing(Frame& frame, bool clipped) {
  for (std::size_t i = 0; i < frame.values.size(); ++i) {
    float& v = frame.values[i];
    if (std::isfinite(v) && !(clipped && std::abs(v) >= FLT_MAX)) continue;
    if (frame.mask.empty()) frame.mask.assign(frame.values.size(), 0);
    v = std::numeric_limits<float>::quiet_NaN();
    frame.mask[i] = 1;
  }
}

// An uncompressed image's pixels must all lie in the file; CFITSIO would
// only find out, with a vaguer error, once the memory is taken.
FitsOutcome checkLength(fitsfile* f, const std::string& path, const Frame& frame) {
  if (frame.compressed) return {};
  LONGLONG head = 0, start = 0, end = 0;
  int status = 0;
  if (fits_get_hduaddrll(f, &head, &start, &end, &status) != 0) return cfitsioFailure(status);
  std::error_code error;
  const auto size = static_cast<LONGLONG>(std::filesystem::file_size(path, error));
  const LONGLONG bytes =
      static_cast<LONGLONG>(frame.width) * frame.height * std::abs(frame.bitpix) / 8;
  if (error || size < start + bytes) return refused("The FITS file ends before its last pixel.");
  return {};
}

// The file holds the bottom row first and the picture the top row: chunks
// of rows are read from the picture's top down and each row is appended in
// picture order, so that the frame is neither cleared first nor turned over
// afterwards.
FitsOutcome readPixels(fitsfile* f, Frame& frame) {
  constexpr std::size_t kChunkValues = 1 << 18;
  const auto width = static_cast<std::size_t>(frame.width);
  const int height = frame.height;
  frame.values.clear();
  frame.values.reserve(width * static_cast<std::size_t>(height));
  const int chunk = static_cast<int>(std::clamp<std::size_t>(kChunkValues / width, 1, height));
  std::vector<float> rows(width * static_cast<std::size_t>(chunk));
  float blank = std::numeric_limits<float>::quiet_NaN();
  bool anyBlank = false, clipped = false;
  for (int top = 0; top < height; top += chunk) {
    const int n = std::min(chunk, height - top);
    // Picture row y is the file's row height - y (counted from 1): the
    // chunk's rows top .. top + n - 1 start at the file's row height - top - n + 1.
    LONGLONG first[kMaxAxes];
    std::fill(std::begin(first), std::end(first), 1);
    first[1] = height - top - n + 1;
    int blankHere = 0;
    int status = 0;
    fits_read_pixll(f, TFLOAT, first, static_cast<LONGLONG>(width) * n, &blank, rows.data(),
                    &blankHere, &status);
    clipped = clipped || status == NUM_OVERFLOW;
    if (status != 0 && status != NUM_OVERFLOW) return cfitsioFailure(status);
    anyBlank = anyBlank || blankHere != 0;
    for (int r = n - 1; r >= 0; --r) {
      const float* row = rows.data() + static_cast<std::size_t>(r) * width;
      frame.values.insert(frame.values.end(), row, row + width);
    }
  }
  // Scaled integers are finite: only blanks, floats and clipped values need the pass.
  if (anyBlank || frame.bitpix < 0 || clipped) maskMissing(frame, clipped);
  return {};
}

}  // namespace

bool looksLikeFits(const char* head, std::size_t size) {
  return size >= kFitsStartSize && std::memcmp(head, kFitsStart, kFitsStartSize) == 0;
}

FitsOutcome readFitsFile(const std::string& path, Frame& frame, const FrameLimits& limits) {
  frame = Frame{};
  if (FitsOutcome c = checkContent(path); c.status != FitsStatus::Ok) return c;
  // The disk-file open takes the name as it is, without CFITSIO's bracket
  // and URL syntax.
  fitsfile* raw = nullptr;
  int status = 0;
  if (fits_open_diskfile(&raw, path.c_str(), READONLY, &status) != 0) {
    if (raw != nullptr) FitsCloser{}(raw);
    return cfitsioFailure(status);
  }
  FitsFile f(raw);
  ImageShape shape;
  FitsOutcome out = findImage(f.get(), shape);
  if (out.status == FitsStatus::Ok) out = checkShape(shape, limits);
  if (out.status != FitsStatus::Ok) return out;
  frame.width = static_cast<int>(shape.axes[0]);
  frame.height = static_cast<int>(shape.axes[1]);
  frame.bitpix = shape.bitpix;
  fits_get_hdu_num(f.get(), &frame.hdu);
  readDescription(f.get(), frame);
  out = checkLength(f.get(), path, frame);
  if (out.status == FitsStatus::Ok) out = readPixels(f.get(), frame);
  if (out.status != FitsStatus::Ok) frame = Frame{};
  return out;
}

namespace {

// The header of the image readFitsFile would read: its shape and, when asked,
// its FILTER keyword. False for a file that is no readable FITS image.
bool readImageHeader(const std::string& path, ImageShape& shape, std::string* filter) {
  fitsfile* raw = nullptr;
  int status = 0;
  if (checkContent(path).status != FitsStatus::Ok ||
      fits_open_diskfile(&raw, path.c_str(), READONLY, &status) != 0) {
    if (raw != nullptr) FitsCloser{}(raw);
    return false;
  }
  const FitsFile f(raw);
  if (findImage(f.get(), shape).status != FitsStatus::Ok) return false;
  if (filter == nullptr) return true;
  char value[FLEN_VALUE] = {};
  if (fits_read_key(f.get(), TSTRING, "FILTER", value, nullptr, &status) != 0) return false;
  *filter = value;
  return true;
}

}  // namespace

std::string readFitsFilter(const std::string& path) {
  ImageShape shape;
  std::string filter;
  return readImageHeader(path, shape, &filter) ? filter : std::string();
}

bool holdsFloatFrame(const std::string& path) {
  ImageShape shape;
  return readImageHeader(path, shape, nullptr) && shape.bitpix < 0;
}

std::optional<std::pair<int, int>> readFitsSize(const std::string& path) {
  ImageShape shape;
  if (!readImageHeader(path, shape, nullptr)) return std::nullopt;
  const LONGLONG most = FrameLimits{}.maxSide;
  return std::pair{static_cast<int>(std::min(shape.axes[0], most)),
                   static_cast<int>(std::min(shape.axes[1], most))};
}

}  // namespace orelith
