#include "report/CmdBitmap.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <memory>
#include <new>

#include "base/AtomicFile.h"
#include "base/File.h"
#include "resources/StringTable.h"

namespace orelith {
namespace {

// The scale of the diagram is held in single precision; the products are
// formed in double, so these exact float values decide which pixel a star
// lands on.
constexpr float kBvOffset = 0.7f;        // 0.699999988
constexpr float kBvScale = 0.38461539f;  // 1/2.6
constexpr float kVScale = 0.083333336f;  // 1/12
constexpr float kBvPixels = 507.0f;
constexpr float kVPixels = 467.0f;
constexpr double kVBright = 5.5;
constexpr double kVFaint = 17.5;
constexpr double kBvBlue = -0.7;
constexpr double kBvRed = 1.9;

constexpr std::size_t kMonochromeData = 62;
constexpr std::size_t kColourData = 118;

constexpr std::uint8_t kIgnoredColour = 7;
constexpr std::uint8_t kHotColour = 9;
constexpr std::uint8_t kCalibrationColour = 12;
constexpr std::uint8_t kPlainColour = 0;

bool isColour(int variant) { return variant == kCmdColour; }

// AND-s one pixel; a pixel outside the picture is left alone.
void plot(std::span<unsigned char> picture, int variant, int x, int y, std::uint8_t colour) {
  std::size_t at = cmdByteOffset(variant, x, y);
  if (at >= picture.size()) return;
  if (!isColour(variant)) {
    picture[at] &= static_cast<unsigned char>(~(0x80u >> (x % 8)));
  } else if (x % 2 == 0) {
    picture[at] &= static_cast<unsigned char>((colour << 4) | 0x0F);
  } else {
    picture[at] &= static_cast<unsigned char>(0xF0 | colour);
  }
}

// A thick star is a plus sign. Its left arm stops at the plot window's left
// edge and its lower arm at the bottom row; in 16 colours the right arm stops
// at the right edge too (in monochrome column 540 still lies in the picture).
void plotStar(std::span<unsigned char> picture, int variant, bool thick, CmdPixel p,
              std::uint8_t colour) {
  plot(picture, variant, p.x, p.y, colour);
  if (!thick) return;
  if (p.x > kCmdLeft) plot(picture, variant, p.x - 1, p.y, colour);
  if (!(isColour(variant) && p.x == kCmdRight)) plot(picture, variant, p.x + 1, p.y, colour);
  if (p.y > kCmdBottomRow) plot(picture, variant, p.x, p.y - 1, colour);
  plot(picture, variant, p.x, p.y + 1, colour);
}

std::string templatePath(const std::string& dir, const char* name) {
  if (dir.empty() || dir.back() == '/') return dir + name;
  return dir + "/" + name;
}

std::uint32_t littleEndian(const unsigned char* bytes, int count) {
  std::uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = value << 8 | bytes[i];
  return value;
}

// A template is a BMP of the diagram's picture, whatever its first two bytes
// say: pixel data where the diagram's starts, a 40-byte information header,
// 544 x 490 pixels of one plane in the variant's bits per pixel, and no more
// bytes than the diagram (a shorter one is padded). Only a regular file is
// read, opened without blocking: a FIFO of that name cannot stop the save.
File openTemplateFile(const std::string& path, int variant) {
  File file = openRegularFile(path);
  std::FILE* f = file.get();
  if (f == nullptr) return nullptr;
  const std::size_t data = isColour(variant) ? kColourData : kMonochromeData;
  unsigned char head[30];
  struct stat st {};
  const bool fits =
      ::fstat(::fileno(f), &st) == 0 && static_cast<std::size_t>(st.st_size) >= data &&
      static_cast<std::size_t>(st.st_size) <= cmdFileSize(variant) &&
      std::fread(head, 1, sizeof head, f) == sizeof head && std::fseek(f, 0, SEEK_SET) == 0;
  if (fits && littleEndian(head + 10, 4) == data && littleEndian(head + 14, 4) == 40 &&
      littleEndian(head + 18, 4) == kCmdWidth && littleEndian(head + 22, 4) == kCmdRows &&
      littleEndian(head + 26, 2) == 1 &&
      littleEndian(head + 28, 2) == static_cast<std::uint32_t>(variant))
    return file;
  return nullptr;
}

// The first usable template in the folders' order.
File openTemplate(int variant, const std::vector<std::string>& dirs) {
  for (const std::string& dir : dirs) {
    if (File f = openTemplateFile(templatePath(dir, cmdTemplateName(variant)), variant)) return f;
  }
  return nullptr;
}

// A template shorter than the picture is padded with 0xFF.
void readTemplate(std::FILE* file, std::span<unsigned char> picture) {
  std::size_t got = std::fread(picture.data(), 1, picture.size(), file);
  for (std::size_t i = got; i < picture.size(); ++i) picture[i] = 0xFF;
}

}  // namespace

std::size_t cmdFileSize(int variant) {
  return isColour(variant) ? kCmdColourSize : kCmdMonochromeSize;
}

const char* cmdTemplateName(int variant) { return isColour(variant) ? "DIB02.DAT" : "DIB01.DAT"; }

bool cmdStarPixel(float magnitudeB, float magnitudeV, int variant, CmdPixel& pixel) {
  double v = magnitudeV;
  if (!(v > kVBright && v < kVFaint)) return false;
  double difference = static_cast<double>(magnitudeB) - v;
  if (!(difference > kBvBlue)) return false;
  float bv = static_cast<float>(difference);
  if (!(bv < kBvRed)) return false;
  double column = (static_cast<double>(bv) + static_cast<double>(kBvOffset)) *
                  static_cast<double>(kBvScale) * static_cast<double>(kBvPixels);
  double row = (v - kVBright) * static_cast<double>(kVScale) * static_cast<double>(kVPixels);
  // Monochrome truncates, 16 colours round half up; both toward zero.
  if (isColour(variant)) {
    column += 0.5;
    row += 0.5;
  }
  pixel.x = kCmdLeft + static_cast<int>(column);
  pixel.y = kCmdTopRow - static_cast<int>(row);
  return true;
}

std::size_t cmdByteOffset(int variant, int x, int y) {
  std::size_t position = static_cast<std::size_t>(kCmdWidth) * static_cast<std::size_t>(y) +
                         static_cast<std::size_t>(x);
  return isColour(variant) ? kColourData + position / 2 : kMonochromeData + position / 8;
}

std::uint8_t cmdColourIndex(const Workspace& ws, int k) {
  const StarRecord& blue = star(ws, kBlue, k);
  if (hasBit(blue.marks, MARK_IGNORE)) return kIgnoredColour;
  bool hot = hasBit(blue.marks, MARK_HOT);
  if (blue.partner >= 0 && blue.partner < starCapacity(ws, kGreen))
    hot = hot || hasBit(star(ws, kGreen, blue.partner).marks, MARK_HOT);
  if (hot) return kHotColour;
  if (hasBit(blue.marks, MARK_CALIBRATION)) return kCalibrationColour;
  return kPlainColour;
}

DrawStatus drawCmdStars(const Workspace& ws, int variant, std::span<unsigned char> picture) {
  bool thick = hasBit(ws.optionFlags, OPT_THICK_CMD_STARS);
  int count = std::clamp(ws.starCount[kBlue], 0, starCapacity(ws, kBlue));
  for (int k = 0; k < count; ++k) {
    const StarRecord& blue = star(ws, kBlue, k);
    if (blue.partner < 0 || blue.partner >= starCapacity(ws, kGreen)) continue;
    if (!isColour(variant) && hasBit(blue.marks, MARK_IGNORE)) continue;
    CmdPixel p{};
    if (!cmdStarPixel(blue.magnitudeB, blue.magnitudeV, variant, p)) continue;
    if (cmdByteOffset(variant, p.x, p.y) >= picture.size()) return DrawStatus::Outside;
    std::uint8_t colour = isColour(variant) ? cmdColourIndex(ws, k) : kPlainColour;
    plotStar(picture, variant, thick, p, colour);
  }
  return DrawStatus::Ok;
}

std::vector<std::string> defaultTemplateDirs(const std::string& startDir) {
  std::vector<std::string> dirs{startDir};
  char exe[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n > 0) {
    std::string program(exe, static_cast<std::size_t>(n));
    dirs.push_back(program.substr(0, program.rfind('/') + 1) + "../share/orelith/");
  }
  dirs.push_back(std::string(ORELITH_DATA_DIR) + "/");
  return dirs;
}

WriteOutcome writeDiagram(const Workspace& ws, int variant, const std::string& outPath,
                          const std::vector<std::string>& templateDirs) {
  const auto failed = [](StringId message) { return WriteOutcome{WriteStatus::Failed, message}; };
  File templ = openTemplate(variant, templateDirs);
  if (!templ) return failed(isColour(variant) ? str::UnableToOpenDib02 : str::UnableToOpenDib01);
  std::size_t size = cmdFileSize(variant);
  std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[size]);
  if (!buffer) return failed(str::OutOfMemory);
  std::span<unsigned char> picture(buffer.get(), size);
  readTemplate(templ.get(), picture);
  templ.reset();
  // The template's own first bytes need not be a BMP signature.
  picture[0] = 'B';
  picture[1] = 'M';
  if (drawCmdStars(ws, variant, picture) != DrawStatus::Ok) return failed(str::UnableToCalcCmd);
  StringId failure = kNoString;
  if (writeFileAtomically(outPath, picture, failure)) return {WriteStatus::Ok, std::nullopt};
  return failed(failure);
}

}  // namespace orelith
