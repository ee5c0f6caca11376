#include "tools/TemplateDrawing.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

namespace orelith::tools {
namespace {

// The plot window the program maps stars into: columns 32..539 for B-V
// -0.7..1.9 and picture rows 1..468 (file rows 488..21) for V 5.5..17.5.
constexpr int kPlotLeft = 32;
constexpr int kPlotRight = 539;
constexpr int kPlotTop = kTemplateHeight - 1 - 488;
constexpr int kPlotBottom = kTemplateHeight - 1 - 21;
constexpr double kBvMin = -0.7;
constexpr double kBvSpan = 2.6;
constexpr double kVMin = 5.5;
constexpr double kVSpan = 12.0;

// The frame lies just outside the plot window, so no star covers it.
constexpr int kFrameLeft = kPlotLeft - 1;
constexpr int kFrameRight = kPlotRight + 1;
constexpr int kFrameTop = kPlotTop - 1;
constexpr int kFrameBottom = kPlotBottom + 1;

constexpr int kGlyphHeight = 7;
constexpr int kShortTick = 2;
constexpr int kLongTick = 4;

struct Glyph {
  char c;
  const char* rows[kGlyphHeight];
};

constexpr Glyph kFont[] = {
    {'0', {" ### ", "#   #", "#  ##", "# # #", "##  #", "#   #", " ### "}},
    {'1', {"  #  ", " ##  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "}},
    {'2', {" ### ", "#   #", "    #", "   # ", "  #  ", " #   ", "#####"}},
    {'3', {"#####", "   # ", "  #  ", "   # ", "    #", "#   #", " ### "}},
    {'4', {"   # ", "  ## ", " # # ", "#  # ", "#####", "   # ", "   # "}},
    {'5', {"#####", "#    ", "#### ", "    #", "    #", "#   #", " ### "}},
    {'6', {"  ## ", " #   ", "#    ", "#### ", "#   #", "#   #", " ### "}},
    {'7', {"#####", "    #", "   # ", "  #  ", " #   ", " #   ", " #   "}},
    {'8', {" ### ", "#   #", "#   #", " ### ", "#   #", "#   #", " ### "}},
    {'9', {" ### ", "#   #", "#   #", " ####", "    #", "   # ", " ##  "}},
    {'.', {"  ", "  ", "  ", "  ", "  ", "##", "##"}},
    {'-', {"    ", "    ", "    ", "####", "    ", "    ", "    "}},
    {'B', {"#### ", "#   #", "#   #", "#### ", "#   #", "#   #", "#### "}},
    {'V', {"#   #", "#   #", "#   #", "#   #", "#   #", " # # ", "  #  "}},
};

const Glyph* glyphOf(char c) {
  for (const Glyph& g : kFont) {
    if (g.c == c) return &g;
  }
  return nullptr;
}

int glyphWidth(const Glyph& g) { return static_cast<int>(std::string_view(g.rows[0]).size()); }

int bvColumn(double bv) {
  return kPlotLeft + static_cast<int>(std::lround((bv - kBvMin) * 507.0 / kBvSpan));
}

int vRow(double v) {
  return kPlotTop + static_cast<int>(std::lround((v - kVMin) * 467.0 / kVSpan));
}

std::string number(const char* format, double value) {
  char text[16];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

void drawFrame(TemplateInk& ink) {
  ink.horizontal(kFrameLeft, kFrameRight, kFrameTop);
  ink.horizontal(kFrameLeft, kFrameRight, kFrameBottom);
  ink.vertical(kFrameLeft, kFrameTop, kFrameBottom);
  ink.vertical(kFrameRight, kFrameTop, kFrameBottom);
}

// Ticks every 0.1 below the frame, longer and numbered every 0.5; the title
// at the right end of the number line.
void drawBvAxis(TemplateInk& ink) {
  const int labelRow = kFrameBottom + kLongTick + 2;
  for (int i = 0; i <= 26; ++i) {
    double bv = kBvMin + 0.1 * i;
    int x = bvColumn(bv);
    bool labelled = (i + 3) % 5 == 0;  // -0.5, 0.0, 0.5, 1.0, 1.5
    ink.vertical(x, kFrameBottom + 1, kFrameBottom + (labelled ? kLongTick : kShortTick));
    if (!labelled) continue;
    std::string label = number("%.1f", std::round(bv * 10.0) / 10.0);
    if (label == "-0.0") label = "0.0";
    ink.text(label, x - textWidth(label) / 2, labelRow);
  }
  ink.text("B-V", kPlotRight - 2 - textWidth("B-V"), labelRow);
}

// Ticks every half magnitude left of the frame, longer and numbered at each
// whole magnitude; the title half-way down.
void drawVAxis(TemplateInk& ink) {
  const int labelRight = kFrameLeft - kLongTick - 2;
  for (int j = 0; j <= 24; ++j) {
    double v = kVMin + 0.5 * j;
    int row = vRow(v);
    bool labelled = j % 2 == 1;
    ink.horizontal(kFrameLeft - (labelled ? kLongTick : kShortTick), kFrameLeft - 1, row);
    if (!labelled) continue;
    std::string label = number("%.0f", v);
    ink.text(label, labelRight - textWidth(label) + 1, row - kGlyphHeight / 2);
  }
  ink.text("V", 2, (kPlotTop + kPlotBottom) / 2 - kGlyphHeight / 2);
}

void put16(std::vector<unsigned char>& out, std::size_t at, unsigned value) {
  out[at] = static_cast<unsigned char>(value & 0xFF);
  out[at + 1] = static_cast<unsigned char>((value >> 8) & 0xFF);
}

void put32(std::vector<unsigned char>& out, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<unsigned char>((value >> (8 * i)) & 0xFF);
}

// File header, information header and palette (blue, green, red, 0 each)
// of a bottom-up BMP; the pixel rows are left for the caller.
std::vector<unsigned char> bmpFrame(int bitsPerPixel, const std::uint32_t* paletteRgb,
                                    int colours) {
  const std::uint32_t rowBytes = kTemplateWidth * static_cast<std::uint32_t>(bitsPerPixel) / 8;
  const std::uint32_t dataOffset = 14 + 40 + 4 * static_cast<std::uint32_t>(colours);
  const std::uint32_t dataBytes = rowBytes * kTemplateHeight;
  std::vector<unsigned char> out(dataOffset + dataBytes, 0);
  out[0] = 'B';
  out[1] = 'M';
  put32(out, 2, dataOffset + dataBytes);
  put32(out, 10, dataOffset);
  put32(out, 14, 40);
  put32(out, 18, kTemplateWidth);
  put32(out, 22, kTemplateHeight);  // positive: rows bottom-up
  put16(out, 26, 1);
  put16(out, 28, static_cast<unsigned>(bitsPerPixel));
  put32(out, 30, 0);  // no compression
  put32(out, 34, dataBytes);
  put32(out, 38, 2835);  // 72 dots per inch
  put32(out, 42, 2835);
  put32(out, 46, static_cast<std::uint32_t>(colours));
  put32(out, 50, 0);
  for (int i = 0; i < colours; ++i) {
    std::size_t at = 54 + 4 * static_cast<std::size_t>(i);
    out[at] = static_cast<unsigned char>(paletteRgb[i] & 0xFF);
    out[at + 1] = static_cast<unsigned char>((paletteRgb[i] >> 8) & 0xFF);
    out[at + 2] = static_cast<unsigned char>((paletteRgb[i] >> 16) & 0xFF);
  }
  return out;
}

}  // namespace

TemplateInk::TemplateInk() : ink_(static_cast<std::size_t>(kTemplateWidth * kTemplateHeight)) {}

bool TemplateInk::at(int x, int row) const {
  if (x < 0 || x >= kTemplateWidth || row < 0 || row >= kTemplateHeight) return false;
  return ink_[static_cast<std::size_t>(row * kTemplateWidth + x)];
}

void TemplateInk::set(int x, int row) {
  if (x < 0 || x >= kTemplateWidth || row < 0 || row >= kTemplateHeight) return;
  ink_[static_cast<std::size_t>(row * kTemplateWidth + x)] = true;
}

void TemplateInk::horizontal(int x0, int x1, int row) {
  for (int x = x0; x <= x1; ++x) set(x, row);
}

void TemplateInk::vertical(int x, int row0, int row1) {
  for (int row = row0; row <= row1; ++row) set(x, row);
}

int TemplateInk::text(std::string_view text, int x, int row) {
  int start = x;
  for (char c : text) {
    const Glyph* g = glyphOf(c);
    if (g == nullptr) continue;
    for (int r = 0; r < kGlyphHeight; ++r) {
      std::string_view line = g->rows[r];
      for (std::size_t col = 0; col < line.size(); ++col) {
        if (line[col] == '#') set(x + static_cast<int>(col), row + r);
      }
    }
    x += glyphWidth(*g) + 1;
  }
  return x - start - (x > start ? 1 : 0);
}

int textWidth(std::string_view text) {
  int width = 0;
  for (char c : text) {
    if (const Glyph* g = glyphOf(c)) width += glyphWidth(*g) + 1;
  }
  return width > 0 ? width - 1 : 0;
}

TemplateInk drawDiagramAxes() {
  TemplateInk ink;
  drawFrame(ink);
  drawBvAxis(ink);
  drawVAxis(ink);
  return ink;
}

std::vector<unsigned char> monochromeTemplate(const TemplateInk& ink) {
  static constexpr std::uint32_t kPalette[] = {0x000000, 0xFFFFFF};
  std::vector<unsigned char> out = bmpFrame(1, kPalette, 2);
  const std::size_t data = 62;
  const std::size_t rowBytes = kTemplateWidth / 8;
  for (int fileRow = 0; fileRow < kTemplateHeight; ++fileRow) {
    int row = kTemplateHeight - 1 - fileRow;
    for (int x = 0; x < kTemplateWidth; ++x) {
      if (ink.at(x, row)) continue;  // drawn: bit 0, black
      out[data + fileRow * rowBytes + x / 8] |= static_cast<unsigned char>(0x80 >> (x % 8));
    }
  }
  return out;
}

std::vector<unsigned char> colourTemplate(const TemplateInk& ink) {
  // The standard 16 colours, as red, green, blue.
  static constexpr std::uint32_t kPalette[] = {
      0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
      0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
  constexpr unsigned kBackground = 15;
  constexpr unsigned kDrawing = 0;
  std::vector<unsigned char> out = bmpFrame(4, kPalette, 16);
  const std::size_t data = 118;
  const std::size_t rowBytes = kTemplateWidth / 2;
  for (int fileRow = 0; fileRow < kTemplateHeight; ++fileRow) {
    int row = kTemplateHeight - 1 - fileRow;
    for (int x = 0; x < kTemplateWidth; ++x) {
      unsigned index = ink.at(x, row) ? kDrawing : kBackground;
      out[data + fileRow * rowBytes + x / 2] |=
          static_cast<unsigned char>(x % 2 == 0 ? index << 4 : index);
    }
  }
  return out;
}

}  // namespace orelith::tools
