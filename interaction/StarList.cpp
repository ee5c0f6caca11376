#include "interaction/StarList.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace orelith {
namespace {

// Writes a cell; snprintf cuts a longer text to the cell's 15 characters.
template <class... Args>
void cell(StarListRow& row, int column, const char* format, Args... args) {
  std::snprintf(row.cells[column], kCellChars + 1, format, args...);
}

void blueCells(const Workspace& ws, StarListRow& row, int b) {
  const StarRecord& s = star(ws, kBlue, b);
  cell(row, 1, "%u", static_cast<unsigned>(s.brightness));
  formatLg(s.lgBrightness, row.cells[2]);
  cell(row, 3, "%u", static_cast<unsigned>(s.pixelCount));
}

void greenCells(const Workspace& ws, StarListRow& row, int g) {
  const StarRecord& s = star(ws, kGreen, g);
  cell(row, 4, "%u", static_cast<unsigned>(s.brightness));
  formatLg(s.lgBrightness, row.cells[5]);
  cell(row, 6, "%u", static_cast<unsigned>(s.pixelCount));
}

StarListRow& append(StarListRows& out, int blue, int green) {
  StarListRow& row = out.rows[out.count++];
  row.key = {blue, green};
  for (auto& text : row.cells) text[0] = '\0';
  cell(row, 0, "%d", (blue != kNoStar ? blue : green) + 1);
  return row;
}

void pairedRows(const Workspace& ws, StarListRows& out) {
  const bool magnitudes = hasBit(ws.progressFlags, PRG_CALIBRATION_STAR);
  const int blueCount = ws.starCount[kBlue];
  for (int b = 0; b < blueCount; ++b) {
    const StarRecord& s = star(ws, kBlue, b);
    if (s.partner == -1) continue;
    StarListRow& row = append(out, b, s.partner);
    blueCells(ws, row, b);
    greenCells(ws, row, s.partner);
    // A magnitude beyond 99999 would not fit; the cell keeps its first 15
    // characters, enough for both signs and the larger part of the numbers.
    if (magnitudes)
      cell(row, 7, "%4.1f/%4.1f", static_cast<double>(s.magnitudeB),
           static_cast<double>(s.magnitudeV));
  }
  for (int b = 0; b < blueCount; ++b)
    if (star(ws, kBlue, b).partner == -1) blueCells(ws, append(out, b, kNoStar), b);
  for (int g = 0; g < ws.starCount[kGreen]; ++g)
    if (star(ws, kGreen, g).partner == -1) greenCells(ws, append(out, kNoStar, g), g);
}

}  // namespace

void starListRows(const Workspace& ws, StarListRows& out) {
  out.count = 0;
  if (hasBit(ws.progressFlags, PRG_COMPARED)) {
    pairedRows(ws, out);
    return;
  }
  if (hasBit(ws.progressFlags, PRG_BLUE_SEARCHED))
    for (int b = 0; b < ws.starCount[kBlue]; ++b) blueCells(ws, append(out, b, kNoStar), b);
  if (hasBit(ws.progressFlags, PRG_GREEN_SEARCHED))
    for (int g = 0; g < ws.starCount[kGreen]; ++g) greenCells(ws, append(out, kNoStar, g), g);
}

void formatLg(double lg, char (&out)[kCellChars + 1]) {
  // Five significant digits in fixed notation: the exponent after rounding
  // to five digits says how many of them stand before the point (9.99996
  // becomes 10, with three decimals); values below 1 keep five decimals.
  char scientific[32];
  std::snprintf(scientific, sizeof scientific, "%.4e", lg);
  const char* e = std::strchr(scientific, 'e');
  const int exponent = e != nullptr ? std::atoi(e + 1) : 0;
  const int decimals = std::clamp(4 - exponent, 0, 5);
  std::snprintf(out, sizeof out, "%.*f", decimals, lg);
  char* point = std::strchr(out, '.');
  if (point == nullptr) {
    const std::size_t n = std::strlen(out);
    if (n < kCellChars) {
      out[n] = '.';
      out[n + 1] = '\0';
    }
    return;
  }
  for (char* end = out + std::strlen(out) - 1; end > point && *end == '0'; --end) *end = '\0';
}

int findRow(const StarListRows& rows, StarRowKey key) {
  for (int i = 0; i < rows.count; ++i)
    if (rows.rows[i].key == key) return i;
  return -1;
}

}  // namespace orelith
