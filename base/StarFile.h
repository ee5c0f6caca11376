// Star files, as the batch tool and the window read them: CSV rows that name
// a star by one of its pixels in the blue image.
#pragma once

#include <span>
#include <string>
#include <vector>

namespace orelith {

struct StarRow {
  int line;  // 1-based line in the file, for messages
  int x;
  int y;
  std::vector<std::string> extra;  // the columns after x and y, as text
};

// The values a column after x and y may take, bounds included.
struct ColumnRange {
  double low;
  double high;
};

// Reads a CSV file whose first line is exactly `header` (e.g. "x,y,V,BV"):
// x and y integers, the other columns decimal numbers within `ranges`, one
// for each. Empty lines are skipped; a UTF-8 byte order mark and CR LF line
// ends are accepted, UTF-16 text is refused; lines are at most 4096
// characters. Only a regular file is read. On failure returns false with
// `error` naming the file and line.
bool readStarRows(const std::string& path, const std::string& header,
                  std::span<const ColumnRange> ranges, std::vector<StarRow>& rows,
                  std::string& error);

}  // namespace orelith
