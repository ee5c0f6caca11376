#include "interaction/StarList.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "resources/NumberText.h"

namespace orelith {
namespace {

// Writes a cell; snprintf cuts a longer text to the cell's 15 characters.
template <class... Args>
void cell(StarListRow& row, int column, const char* format, Args... args) {
  std::snprintf(row.cells[column], kCellChars + 1, format, args...);
}

// Decimal integers without the cost of a format string: a refill writes
// thousands of them.
void number(StarListRow& row, int column, long value) {
  char* cell = row.cells[column];
  *std::to_chars(cell, cell + kCellChars, value).ptr = '\0';
}

void blueCells(const Workspace& ws, StarListRow& row, int b) {
  const StarRecord& s = star(ws, kBlue, b);
  number(row, 1, static_cast<long>(s.brightness));
  formatLg(s.lgBrightness, row.cells[2]);
  number(row, 3, s.pixelCount);
}

void greenCells(const Workspace& ws, StarListRow& row, int g) {
  const StarRecord& s = star(ws, kGreen, g);
  number(row, 4, static_cast<long>(s.brightness));
  formatLg(s.lgBrightness, row.cells[5]);
  number(row, 6, s.pixelCount);
}

StarListRow& append(StarListRows& out, int blue, int green) {
  StarListRow& row = out.rows[out.count++];
  row.key = {blue, green};
  for (auto& text : row.cells) text[0] = '\0';
  number(row, 0, (blue != kNoStar ? blue : green) + 1);
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
      cell(row, 7, "%s/%s", fixedText(static_cast<double>(s.magnitudeB), 1, 4).c_str(),
           fixedText(static_cast<double>(s.magnitudeV), 1, 4).c_str());
  }
  for (int b = 0; b < blueCount; ++b)
    if (star(ws, kBlue, b).partner == -1) blueCells(ws, append(out, b, kNoStar), b);
  for (int g = 0; g < ws.starCount[kGreen]; ++g)
    if (star(ws, kGreen, g).partner == -1) greenCells(ws, append(out, kNoStar, g), g);
}

}  // namespace

void starListRows(const Workspace& ws, StarListRows& out) {
  out.count = 0;
  const auto needed = static_cast<std::size_t>(std::max(ws.starCount[kBlue], 0)) +
                      static_cast<std::size_t>(std::max(ws.starCount[kGreen], 0));
  if (out.rows.size() < needed) out.rows.resize(needed);
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
  char* const sciEnd = std::to_chars(scientific, scientific + sizeof scientific, lg,
                                     std::chars_format::scientific, 4)
                           .ptr;
  const char* e = std::find(scientific, sciEnd, 'e');
  int exponent = 0;
  if (e != sciEnd) std::from_chars(e + (e[1] == '+' ? 2 : 1), sciEnd, exponent);
  const int decimals = std::clamp(4 - exponent, 0, 5);
  const auto fixed = std::to_chars(out, out + kCellChars, lg, std::chars_format::fixed, decimals);
  *(fixed.ec == std::errc() ? fixed.ptr : out) = '\0';
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
