// Drawing the two template bitmaps of the colour-magnitude diagram: a frame
// around the plot window, tick marks and numbers for B-V (-0.7 .. 1.9) and V
// (5.5 .. 17.5, bright stars at the top), and the axis titles, in a small
// built-in 5x7 pixel font.
#pragma once

#include <string_view>
#include <vector>

namespace orelith::tools {

inline constexpr int kTemplateWidth = 544;
inline constexpr int kTemplateHeight = 490;

// One flag per pixel: true where the template is drawn (axes, ticks, text).
// Rows count top-down here, as the picture is seen; the BMP stores them
// bottom-up (file row = kTemplateHeight - 1 - row).
class TemplateInk {
 public:
  TemplateInk();
  bool at(int x, int row) const;
  void set(int x, int row);  // outside the picture: ignored
  void horizontal(int x0, int x1, int row);
  void vertical(int x, int row0, int row1);
  // Writes `text` with its top-left corner at (x, row); returns its width.
  int text(std::string_view text, int x, int row);

 private:
  std::vector<bool> ink_;
};

// Width in pixels of `text` in the built-in font.
int textWidth(std::string_view text);

// The axes, scales and titles of the diagram.
TemplateInk drawDiagramAxes();

// Complete BMP files: "DIB01.DAT", 1 bit per pixel, palette black (0) and
// white (1), background white, drawing black; "DIB02.DAT", 4 bits per pixel
// with the standard 16-colour palette, background 15 (white), drawing 0
// (black).
std::vector<unsigned char> monochromeTemplate(const TemplateInk& ink);
std::vector<unsigned char> colourTemplate(const TemplateInk& ink);

}  // namespace orelith::tools
