#include "tests/support/TestWorkspace.h"

#include <fstream>
#include <random>

#include "tools/St6Writer.h"

namespace orelith::test {

std::unique_ptr<Workspace> makeWorkspace() { return std::make_unique<Workspace>(); }

std::unique_ptr<Workspace> twentyPairs() {
  auto ws = makeWorkspace();
  ws->starCount[kBlue] = 20, ws->starCount[kGreen] = 120;
  for (int k = 0; k < 20; ++k) {
    StarRecord &b = star(*ws, kBlue, k), &g = star(*ws, kGreen, k + 100);
    b.lgBrightness = static_cast<float>(2.0 + 0.3 * k);
    g.lgBrightness = static_cast<float>(2.1 + 0.3 * k);
    b.partner = static_cast<std::int16_t>(k + 100), g.partner = static_cast<std::int16_t>(k);
    b.magnitudeB = b.magnitudeV = -1.0f;
  }
  ws->progressFlags = PRG_BLUE_SEARCHED | PRG_GREEN_SEARCHED | PRG_COMPARED;
  return ws;
}

void clearLabels(Workspace& ws, int image) {
  for (int x = 0; x < kImageWidth; ++x)
    for (int y = 0; y < kImageHeight; ++y) labelAt(ws, image, x, y) = kLabelNoStar;
}

std::unique_ptr<Workspace> onePixelStars(const std::vector<std::array<int, 2>>& blue,
                                         const std::vector<std::array<int, 2>>& green) {
  auto ws = makeWorkspace();
  const std::vector<std::array<int, 2>>* sides[2] = {&blue, &green};
  for (int image : {kBlue, kGreen}) {
    clearLabels(*ws, image);
    ws->searchRect[image] = ws->labelledRect[image] = kWholeImage;
    ws->starCount[image] = static_cast<int>(sides[image]->size());
    for (int k = 0; k < ws->starCount[image]; ++k) {
      const auto [x, y] = (*sides[image])[static_cast<std::size_t>(k)];
      labelAt(*ws, image, x, y) = static_cast<std::uint16_t>(k);
      star(*ws, image, k).x = static_cast<std::uint16_t>(x);
      star(*ws, image, k).y = static_cast<std::uint16_t>(y);
    }
  }
  ws->progressFlags = PRG_BLUE_LOADED | PRG_GREEN_LOADED | PRG_BLUE_SEARCHED | PRG_GREEN_SEARCHED;
  return ws;
}

void paintPattern(Workspace& ws, int image, const std::vector<std::string>& rows, int left,
                  int top) {
  fillPlane(ws, image, 100);
  for (std::size_t r = 0; r < rows.size(); ++r)
    for (std::size_t c = 0; c < rows[r].size(); ++c)
      if (rows[r][c] >= '0' && rows[r][c] <= '9')
        pixelAt(ws, image, left + int(c), top + int(r)) =
            std::uint16_t((rows[r][c] - '0' + 2) * 100);
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

// The tools' encoder, checked against netpbm's reader on the samples it wrote.
std::vector<unsigned char> st6Bytes(std::uint16_t (*pixel)(int x, int y)) {
  std::vector<std::uint16_t> plane(kPixelCount);
  for (int i = 0; i < kPixelCount; ++i) plane[i] = pixel(i % kImageWidth, i / kImageWidth);
  return gen::encodeSt6(plane.data());
}

void writeBytes(const std::filesystem::path& path, const std::vector<unsigned char>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

}  // namespace orelith::test
