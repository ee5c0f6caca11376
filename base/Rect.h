// A rectangle of pixels: columns left..right-1, rows top..bottom-1.
#pragma once

namespace orelith {

struct Rect {
  int left;
  int top;
  int right;
  int bottom;
};

}  // namespace orelith
