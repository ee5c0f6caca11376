#include "tests/support/TestWorkspace.h"

#include <cstring>
#include <fstream>
#include <random>

namespace orelith::test {

std::unique_ptr<Workspace> makeWorkspace() { return std::make_unique<Workspace>(); }

void paintPattern(Workspace& ws, int image, const std::vector<std::string>& rows, int left, int top,
                  std::uint16_t low, std::uint16_t step) {
  fillPlane(ws, image, low);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (std::size_t c = 0; c < rows[r].size(); ++c) {
      char ch = rows[r][c];
      if (ch < '0' || ch > '9') continue;
      pixelAt(ws, image, left + static_cast<int>(c), top + static_cast<int>(r)) =
          static_cast<std::uint16_t>(low + (ch - '0' + 1) * step);
    }
  }
}

void fillPlane(Workspace& ws, int image, std::uint16_t value) {
  for (int x = 0; x < kImageWidth; ++x)
    for (int y = 0; y < kImageHeight; ++y) pixelAt(ws, image, x, y) = value;
}

std::filesystem::path makeTempDir() {
  std::random_device rd;
  auto dir = std::filesystem::temp_directory_path() /
             ("orelith-test-" + std::to_string(rd()) + std::to_string(rd()));
  std::filesystem::create_directories(dir);
  return dir;
}

std::vector<unsigned char> st6Bytes(std::uint16_t (*pixel)(int x, int y)) {
  std::vector<unsigned char> bytes(2048 + 2 * kPixelCount, 0);
  const char head[] = "ST-6 Image\n\rFile_version = 3\n\r";
  std::memcpy(bytes.data(), head, sizeof head - 1);
  std::size_t at = 2048;
  for (int y = 0; y < kImageHeight; ++y) {
    for (int x = 0; x < kImageWidth; ++x) {
      std::uint16_t v = pixel(x, y);
      bytes[at++] = static_cast<unsigned char>(v & 0xFF);
      bytes[at++] = static_cast<unsigned char>(v >> 8);
    }
  }
  return bytes;
}

void writeBytes(const std::filesystem::path& path, const std::vector<unsigned char>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

}  // namespace orelith::test
