// The rows of the star list as plain data: keys and cell texts in the order
// and formats the list shows them. The window's list model only copies them.
#pragma once

#include <vector>

#include "image/StarRowKey.h"
#include "image/Workspace.h"

namespace orelith {

inline constexpr int kListCells = 8;
inline constexpr int kCellChars = 15;  // at most this many characters a cell
// Rows of two ST-6 frames; the list of larger frames holds every star of
// both, as many as their search limits allow.
inline constexpr int kMaxListRows = 2 * kMaxStars;

struct StarListRow {
  StarRowKey key;
  char cells[kListCells][kCellChars + 1];  // empty cells are ""
};

// Filled by starListRows; grown to every star of both images, and kept
// grown so that a refill does not allocate.
struct StarListRows {
  int count = 0;
  std::vector<StarListRow> rows = std::vector<StarListRow>(kMaxListRows);
};

// All rows for the current state: pairs, then unpaired blue, then unpaired
// green stars once compared; else blue rows, then green rows of the searched
// images.
void starListRows(const Workspace& ws, StarListRows& out);

// An lg brightness with 5 significant digits, trailing zeros dropped and the
// point kept: 3.4568, 0.30103, 2.5, "4.". Writes at most 15 characters.
void formatLg(double lg, char (&out)[kCellChars + 1]);

// The row index of `key` in `rows`, or -1.
int findRow(const StarListRows& rows, StarRowKey key);

}  // namespace orelith
