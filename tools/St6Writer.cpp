#include "tools/St6Writer.h"

#include <cstdio>
#include <cstring>

#include "base/File.h"
#include "image/St6Loader.h"
#include "image/Workspace.h"

namespace orelith::gen {
namespace {

// CCDOPS writes "key = value" lines ended by LF CR; readers test only the
// "ST-6 Image" at byte 0 and the "Fil" of the first key at byte 12.
constexpr const char* kHeaderLines[] = {
    "ST-6 Image",
    "File_version = 3",
    "Data_version = 1",
    "Exposure = 100",
    "Focal_length = 80",
    "Aperture = 10",
    "Response_factor = 1000",
    "Note = Orelith synthetic field",
    "Date = 12/06/26",
    "Time = 20:00:00",
    "Height = 242",
    "Width = 375",
    "Pixel_width = 0.0270",
    "Pixel_height = 0.0230",
    "Background = 1000",
    "Range = 1000",
    "End",
};
constexpr unsigned char kEndOfText = 0x1A;

// Writes the whole buffer and closes the file; any short write or a failed
// close (a full disk shows there) is a failure.
bool writeAll(const std::string& path, const void* data, std::size_t size) {
  std::FILE* raw = std::fopen(path.c_str(), "wb");
  if (!raw) return false;
  File f(raw);
  const bool written = std::fwrite(data, 1, size, f.get()) == size;
  return std::fclose(f.release()) == 0 && written;
}

}  // namespace

std::vector<unsigned char> encodeSt6(const std::uint16_t* rowMajor) {
  std::vector<unsigned char> bytes(kSt6FileSize, 0);
  std::size_t at = 0;
  for (const char* line : kHeaderLines) {
    const std::size_t n = std::strlen(line);
    std::memcpy(bytes.data() + at, line, n);
    at += n;
    bytes[at++] = '\n';
    bytes[at++] = '\r';
  }
  bytes[at] = kEndOfText;
  at = kSt6PixelOffset;
  for (int i = 0; i < kPixelCount; ++i) {
    bytes[at++] = static_cast<unsigned char>(rowMajor[i] & 0xFF);
    bytes[at++] = static_cast<unsigned char>(rowMajor[i] >> 8);
  }
  return bytes;
}

bool writeSt6(const std::string& path, const std::uint16_t* rowMajor) {
  const std::vector<unsigned char> bytes = encodeSt6(rowMajor);
  return writeAll(path, bytes.data(), bytes.size());
}

bool writeTruthCsv(const std::string& path, const std::vector<TrueStar>& truth, int shiftX,
                   int shiftY) {
  std::string text = "x,y,green_x,green_y,V,BV,blue_flux,green_flux,saturated\n";
  char line[200];
  for (const TrueStar& s : truth) {
    std::snprintf(line, sizeof line, "%.3f,%.3f,%.3f,%.3f,%.4f,%.4f,%.1f,%.1f,%d\n", s.x, s.y,
                  s.x + shiftX, s.y + shiftY, s.V, s.BV, s.blueFlux, s.greenFlux,
                  s.saturated ? 1 : 0);
    text += line;
  }
  return writeAll(path, text.data(), text.size());
}

}  // namespace orelith::gen
