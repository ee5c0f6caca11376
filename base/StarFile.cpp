#include "base/StarFile.h"

#include <cmath>
#include <cstdio>
#include <optional>
#include <sstream>

#include "base/File.h"
#include "base/Number.h"

namespace orelith {
namespace {

// No row of a star file comes near this; a file without line ends (a device
// such as /dev/zero) must not fill the memory.
constexpr std::size_t kMaxLineLength = 4096;

enum class LineRead { Line, End, TooLong };

LineRead readLine(std::FILE* f, std::string& line) {
  line.clear();
  int c = std::getc(f);
  if (c == EOF) return LineRead::End;
  for (; c != EOF && c != '\n'; c = std::getc(f)) {
    if (line.size() == kMaxLineLength) return LineRead::TooLong;
    line.push_back(static_cast<char>(c));
  }
  return LineRead::Line;
}

std::string trim(const std::string& s) {
  const auto first = s.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

std::vector<std::string> splitCells(const std::string& line) {
  std::vector<std::string> cells;
  std::stringstream in(line);
  std::string cell;
  while (std::getline(in, cell, ',')) cells.push_back(trim(cell));
  if (!line.empty() && line.back() == ',') cells.emplace_back();
  return cells;
}

// A decimal number that is finite as a float, which the dialog reads it as.
bool isFiniteDecimal(const std::string& text) {
  const std::optional<double> value = parseDecimal(text);
  return value && std::isfinite(static_cast<float>(*value));
}

bool parseRow(const std::vector<std::string>& cells, std::size_t columns, StarRow& row) {
  if (cells.size() != columns) return false;
  const std::optional<int> x = parseInt(cells[0]), y = parseInt(cells[1]);
  if (!x || !y) return false;
  row.x = *x;
  row.y = *y;
  row.extra.assign(cells.begin() + 2, cells.end());
  for (const std::string& cell : row.extra) {
    if (!isFiniteDecimal(cell)) return false;
  }
  return true;
}

// Empty, or the first value of `row` outside its column's range, as
// "V 3e38 is not within -5..30".
std::string outOfRange(const StarRow& row, const std::vector<std::string>& names,
                       std::span<const ColumnRange> ranges) {
  for (std::size_t i = 0; i < row.extra.size() && i < ranges.size(); ++i) {
    const double value = parseDecimal(row.extra[i]).value_or(0.0);
    if (value < ranges[i].low || value > ranges[i].high) {
      std::ostringstream text;
      text << names[i + 2] << ' ' << row.extra[i] << " is not within " << ranges[i].low << ".."
           << ranges[i].high;
      return text.str();
    }
  }
  return {};
}

// The first line less a UTF-8 byte order mark; false for UTF-16 text, which
// starts with its byte order mark or holds a zero byte in every ASCII letter.
bool headerText(std::string& line) {
  if (line.starts_with("\xEF\xBB\xBF")) line.erase(0, 3);
  return !line.starts_with("\xFF\xFE") && !line.starts_with("\xFE\xFF") &&
         line.find('\0') == std::string::npos;
}

}  // namespace

bool readStarRows(const std::string& path, const std::string& header,
                  std::span<const ColumnRange> ranges, std::vector<StarRow>& rows,
                  std::string& error) {
  const File in = openRegularFile(path);
  if (!in) {
    error = path + ": cannot be read (no such regular file)";
    return false;
  }
  const std::vector<std::string> names = splitCells(header);
  std::string line;
  LineRead got = readLine(in.get(), line);
  if (got == LineRead::Line && !headerText(line)) {
    error = path + ": UTF-16 text; save it as UTF-8 or ASCII";
    return false;
  }
  if (got != LineRead::Line || splitCells(trim(line)) != names) {
    error = path + ": the first line must be \"" + header + "\"";
    return false;
  }
  for (int number = 2; (got = readLine(in.get(), line)) != LineRead::End; ++number) {
    const std::string where = path + " line " + std::to_string(number);
    if (got == LineRead::TooLong) {
      error = where + ": longer than " + std::to_string(kMaxLineLength) + " characters";
      return false;
    }
    if (trim(line).empty()) continue;
    StarRow row{number, 0, 0, {}};
    if (!parseRow(splitCells(trim(line)), names.size(), row)) {
      error = where + ": expected " + header + " (integers, then finite decimal numbers)";
      return false;
    }
    if (std::string problem = outOfRange(row, names, ranges); !problem.empty()) {
      error = where + ": " + problem;
      return false;
    }
    rows.push_back(std::move(row));
  }
  if (std::ferror(in.get())) {
    error = path + ": cannot be read";
    return false;
  }
  return true;
}

}  // namespace orelith
