#include "display/Render.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "display/PanelView.h"
#include "display/ReducedCopies.h"
#include "photometry/CalibrationCurve.h"
#include "photometry/FlagText.h"

namespace orelith {
namespace {

constexpr int kPixelBytes = 3;
// 1125 bytes of pixels; the rest of the 1128-byte stride is padding.
constexpr int kRowBytes = kImageWidth * kPixelBytes;

// Plot frame: lg 0 sits on the vertical axis at column 10, magnitude 16 on the
// horizontal axis at row 232, magnitude 8 at the top.
constexpr int kAxisColumn = 10;
constexpr int kAxisRow = 232;
// Marker j carries 254 - j in its green byte; the plot itself uses only 0 and
// 255 there, so a click can tell a marker from the plot. The entries after the
// first kMaxCalibrationStars (lists of frames other than ST-6 frames) carry a
// green of 175..238, k = j - 16 counting down from 238 in blocks of 64, and
// the block number in their red byte: a thousand markers stay bright green
// and each tells its entry.
constexpr int kFirstMarkerValue = 254;
constexpr int kLastFixedMarkerValue = kFirstMarkerValue - kMaxCalibrationStars + 1;
constexpr int kMarkerBlock = 64;
constexpr int kFirstBlockValue = kLastFixedMarkerValue - 1;
static_assert(kMaxFrameCalibrationStars - kMaxCalibrationStars <= kMarkerBlock * 256);

struct Bgr {
  std::uint8_t b;
  std::uint8_t g;
  std::uint8_t r;
};

constexpr Bgr kBlack{0, 0, 0};
// The plot is drawn in fixed black and white, not in the colour table's
// White, so that its green bytes never look like a marker.
constexpr Bgr kPlotWhite{255, 255, 255};

Bgr tableColor(const Workspace& ws, int k) {
  const std::uint8_t* c = ws.display.colorTable + 3 * k;
  return {c[2], c[1], c[0]};
}

bool insidePanel(int x, int y) { return x >= 0 && x < kImageWidth && y >= 0 && y < kImageHeight; }

// The part of a rectangle of frame pixels the panel shows.
SearchRect onPanel(const SearchRect& r) {
  return {r.left, r.top, std::min(r.right, kImageWidth), std::min(r.bottom, kImageHeight)};
}

std::uint8_t* pixelPtr(std::uint8_t* picture, int x, int y) {
  return picture + y * kPictureStride + x * kPixelBytes;
}

void put(std::uint8_t* p, Bgr c) {
  p[0] = c.b;
  p[1] = c.g;
  p[2] = c.r;
}

std::uint8_t saturatingAdd(std::uint8_t a, std::uint8_t b) {
  return static_cast<std::uint8_t>(std::min(255, a + b));
}

Bgr saturatingAdd(Bgr a, Bgr b) {
  return {saturatingAdd(a.b, b.b), saturatingAdd(a.g, b.g), saturatingAdd(a.r, b.r)};
}

// Every pixel of the picture, padding excluded.
void fillPicture(std::uint8_t* picture, Bgr c) {
  for (int x = 0; x < kImageWidth; ++x) put(pixelPtr(picture, x, 0), c);
  for (int y = 1; y < kImageHeight; ++y) std::memcpy(pixelPtr(picture, 0, y), picture, kRowBytes);
}

// A value as the grey table takes it; far beyond any background and range
// every value draws the same. A masked (NaN) pixel of a FITS frame draws as
// the lowest value: converting NaN to an int is undefined.
int levelInput(float v) {
  return std::isnan(v) ? -1000000000 : static_cast<int>(std::clamp(double{v}, -1.0e9, 1.0e9));
}

// The sliders bound themselves to 1..1024; the clamp only keeps a bad state
// from indexing past the grey table.
int clampedRange(const Workspace& ws, int image) {
  return std::clamp(ws.display.range[image], kMinRange, kMaxRange);
}

// The grey levels of one render. Every value at or below the background gives
// 0 and every value at or above background + range gives 255, so only the
// levels from the whole value at or below the background up to one past it
// plus the range need a table (range + 1 of them for a whole background, as
// every integer frame has); they are computed by greyLevel itself, which
// keeps the map identical to the rule. Lives on the stack of the render
// (about 1 KB), so nothing is allocated.
class GreyMap {
 public:
  GreyMap(double background, int range)
      // Beyond the values levelInput gives, every value draws alike.
      : low_(static_cast<int>(std::clamp(std::floor(background), -1.1e9, 1.1e9))),
        range_(range + 1) {
    for (int k = 0; k <= range_; ++k) levels_[k] = greyLevel(low_ + k, background, range);
  }
  std::uint8_t operator()(int value) const { return levels_[std::clamp(value - low_, 0, range_)]; }

 private:
  int low_;
  int range_;
  std::uint8_t levels_[kMaxRange + 2];
};

// The grey of one image's values: an integer frame's through the table, a
// floating-point frame's from each value itself, over its range in the
// frame's range unit (a fraction for a frame of small values).
class GreyShade {
 public:
  GreyShade(const Workspace& ws, int image)
      : map_(effectiveBackground(ws, image), clampedRange(ws, image)),
        direct_(ws.floatFrame[image]),
        background_(effectiveBackground(ws, image)),
        range_(effectiveRange(ws, image)) {}
  std::uint8_t operator()(float v) const {
    if (!direct_) return map_(levelInput(v));
    // A masked (NaN) pixel draws as the lowest value, as levelInput makes it.
    return std::isnan(v) ? std::uint8_t{0} : greyOfValue(v, background_, range_);
  }

 private:
  GreyMap map_;
  bool direct_;
  double background_;
  double range_;
};

// The render loops run down the columns, an order kept from when the image
// store held a column's pixels together; a 375 x 242 frame and its picture
// stay in the cache either way.
void drawGrey(Workspace& ws, int image, const SearchRect& r) {
  const GreyShade shade(ws, image);
  std::uint8_t* picture = ws.picture[image];
  for (int x = r.left; x < r.right; ++x) {
    std::uint8_t* p = pixelPtr(picture, x, r.top);
    for (int y = r.top; y < r.bottom; ++y, p += kPictureStride) {
      const std::uint8_t g = shade(pixelAt(ws, image, x, y));
      p[0] = g;
      p[1] = g;
      p[2] = g;
    }
  }
}

// The preview of what the star search counts as a star pixel.
void drawTwoColour(Workspace& ws, int image, const SearchRect& r) {
  const double bg = effectiveBackground(ws, image);
  const Bgr above = tableColor(ws, kColorWhite);
  const Bgr other = tableColor(ws, kColorBackground);
  std::uint8_t* picture = ws.picture[image];
  for (int x = r.left; x < r.right; ++x) {
    std::uint8_t* p = pixelPtr(picture, x, r.top);
    for (int y = r.top; y < r.bottom; ++y, p += kPictureStride)
      put(p, double{pixelAt(ws, image, x, y)} > bg ? above : other);
  }
}

// Overlay shading of one pixel from its blue value and, where the shifted
// green pixel counts, its green value.
class GreyOverlay {
 public:
  GreyOverlay(const GreyShade& blue, const GreyShade& green) : blue_(blue), green_(green) {}
  Bgr operator()(float blue, float green, bool counts) const {
    return {blue_(blue), counts ? green_(green) : std::uint8_t{0}, 0};
  }

 private:
  const GreyShade& blue_;
  const GreyShade& green_;
};

// The four possible results of the two-colour overlay, picked by two bits:
// blue above its background, green counting and above its background.
class TwoColourOverlay {
 public:
  TwoColourOverlay(const Workspace& ws, double bg0, double bg1) : bg0_(bg0), bg1_(bg1) {
    const Bgr background = tableColor(ws, kColorBackground);
    const Bgr blue = tableColor(ws, kColorBlue);
    const Bgr green = tableColor(ws, kColorGreen);
    colours_[0] = background;
    colours_[1] = blue;
    colours_[2] = saturatingAdd(background, green);
    colours_[3] = saturatingAdd(blue, green);
  }
  // As the search compares: a masked (NaN) value is above no background.
  Bgr operator()(float blue, float green, bool counts) const {
    return colours_[(blue > bg0_ ? 1 : 0) | (counts && green > bg1_ ? 2 : 0)];
  }

 private:
  double bg0_;
  double bg1_;
  Bgr colours_[4];
};

template <bool kCounts, class Shade>
void overlaySpan(Workspace& ws, const Shade& shade, int x, int from, int to) {
  std::uint8_t* p = pixelPtr(ws.picture[kBlue], x, from);
  for (int y = from; y < to; ++y, p += kPictureStride) {
    const float green = kCounts ? pixelAt(ws, kGreen, x + ws.offsetX, y + ws.offsetY) : 0.0f;
    put(p, shade(pixelAt(ws, kBlue, x, y), green, kCounts));
  }
}

// Both images over the blue rectangle, the green one shifted by the offset. A
// green pixel counts only inside the green rectangle clipped to the image; in
// each column those pixels form one span of rows.
template <class Shade>
void drawOverlay(Workspace& ws, const Shade& shade) {
  const SearchRect b = onPanel(clippedToImage(ws, kBlue, ws.searchRect[kBlue]));
  const SearchRect g = clippedToImage(ws, kGreen, ws.searchRect[kGreen]);
  for (int x = b.left; x < b.right; ++x) {
    const int gx = x + ws.offsetX;
    int from = b.bottom;
    int to = b.bottom;
    if (gx >= g.left && gx < g.right && b.top < b.bottom) {
      from = std::clamp(g.top - ws.offsetY, b.top, b.bottom);
      to = std::clamp(g.bottom - ws.offsetY, from, b.bottom);
    }
    overlaySpan<false>(ws, shade, x, b.top, from);
    overlaySpan<true>(ws, shade, x, from, to);
    overlaySpan<false>(ws, shade, x, to, b.bottom);
  }
}

void drawOverlay(Workspace& ws) {
  const double bg0 = effectiveBackground(ws, kBlue);
  const double bg1 = effectiveBackground(ws, kGreen);
  if (hasBit(ws.optionFlags, OPT_CUSTOM_COLORS_BLUE)) {
    drawOverlay(ws, TwoColourOverlay(ws, bg0, bg1));
  } else {
    const GreyShade blueShade(ws, kBlue), greenShade(ws, kGreen);
    drawOverlay(ws, GreyOverlay(blueShade, greenShade));
  }
}

void drawAxes(std::uint8_t* picture) {
  for (int y = 0; y <= kAxisRow; ++y) put(pixelPtr(picture, kAxisColumn, y), kPlotWhite);
  for (int x = kAxisColumn; x < kImageWidth; ++x) put(pixelPtr(picture, x, kAxisRow), kPlotWhite);
}

// The factors are single-precision constants and lg is formed in single
// precision; a double version would move some curve points by a pixel.
void drawCurve(Workspace& ws, int filter) {
  std::uint8_t* picture = ws.picture[filter];
  for (int x = kAxisColumn; x < kImageWidth; ++x) {
    const float lg = static_cast<float>(x - kAxisColumn) * 0.0027397261f * 7.0f;
    const double m = evaluateCurve(ws, lg, filter);
    const double row = (m - 8.0) * 0.125f * 232.0;
    // Truncation toward zero: exactly the values in (-1, 232) give rows
    // 0..231. NaN fails the test too.
    if (row > -1.0 && row < kAxisRow) put(pixelPtr(picture, x, static_cast<int>(row)), kPlotWhite);
  }
}

bool validStar(const Workspace& ws, int image, int number) {
  return number >= 0 && number < starCapacity(ws, image);
}

void drawMarker(std::uint8_t* picture, int col, int row, int j) {
  static constexpr int kShape[5][2] = {{0, 0}, {0, -1}, {-1, 0}, {0, 1}, {1, 0}};
  const int k = j - kMaxCalibrationStars;
  for (const auto& d : kShape) {
    const int x = col + d[0];
    const int y = row + d[1];
    // Clipped pixel by pixel: a marker at the edge keeps its visible part.
    if (!insidePanel(x, y)) continue;
    std::uint8_t* p = pixelPtr(picture, x, y);
    if (k < 0) {
      p[1] = static_cast<std::uint8_t>(kFirstMarkerValue - j);
    } else {
      p[1] = static_cast<std::uint8_t>(kFirstBlockValue - k % kMarkerBlock);
      p[2] = static_cast<std::uint8_t>(k / kMarkerBlock);
    }
  }
}

void drawMarkers(Workspace& ws, int filter) {
  std::uint8_t* picture = ws.picture[filter];
  const std::span<const CalibrationEntry> list = calibrationEntries(ws);
  for (int j = 0; j < static_cast<int>(list.size()); ++j) {
    const CalibrationEntry& e = list[static_cast<std::size_t>(j)];
    if (!validStar(ws, kBlue, e.blue) || (filter == kGreen && !validStar(ws, kGreen, e.green)))
      continue;
    // Both entered magnitudes live in the blue record.
    const StarRecord& blue = star(ws, kBlue, e.blue);
    const float mag = filter == kBlue ? blue.magnitudeB : blue.magnitudeV;
    const float lg = filter == kBlue ? blue.lgBrightness : star(ws, kGreen, e.green).lgBrightness;
    const float row = (mag - 8.0f) * 0.125f * 232.0f;
    const float col = 10.0f - (lg * 0.14285715f * -365.0f);
    // Far outside the picture no pixel of the marker can show; the test also
    // keeps the conversion to int defined (and drops NaN).
    if (!(std::fabs(row) < 1.0e6f && std::fabs(col) < 1.0e6f)) continue;
    drawMarker(picture, static_cast<int>(col), static_cast<int>(row), j);
  }
}

void drawPlot(Workspace& ws, int filter) {
  std::uint8_t* picture = ws.picture[filter];
  fillPicture(picture, kBlack);
  drawAxes(picture);
  if (hasBit(ws.progressFlags, PRG_MAGNITUDES)) drawCurve(ws, filter);
  drawMarkers(ws, filter);
}

// Follows the star's pixel list, not the search rectangle.
void paintStar(Workspace& ws, int image, int number, Bgr c) {
  if (!validStar(ws, image, number)) return;
  std::uint8_t* picture = ws.picture[image];
  for (const PixelPos p : starPixels(ws, image, number))
    if (insidePanel(p.x, p.y)) put(pixelPtr(picture, p.x, p.y), c);
}

template <class Paint>
void paintHighlights(Workspace& ws, int image, const Paint& paint) {
  if (!hasBit(ws.optionFlags, OPT_HIDE_CALIBRATION) &&
      hasBit(ws.progressFlags, PRG_CALIBRATION_STAR)) {
    const Bgr c = tableColor(ws, kColorCalibrate);
    for (const CalibrationEntry& e : calibrationEntries(ws))
      paint(image == kBlue ? e.blue : e.green, c);
  }
  // After the calibration stars, so a selected calibration star shows as selected.
  if (hasBit(ws.optionFlags, OPT_SELECTION_SHOWN) && ws.selectedStar[image] != -1)
    paint(ws.selectedStar[image], tableColor(ws, kColorSelection));
}

// Drawing through a view other than 1:1 at the frame's corner: each panel
// pixel shows the largest value of the frame pixels it covers (one when
// zoomed in), read from the coarsest reduced copy fine enough, so that the
// work is one panel's worth however large the frame.

// A frame, or one of its reduced copies: frame pixel x lies in pixel
// x >> shift.
struct Source {
  const float* values;
  int width;
  int shift;
};

Source sourceOf(Workspace& ws, int image, double zoom) {
  const ImageFrame& f = ws.frame[image];
  if (zoom < 1.0) {
    const ReducedCopies& copies = reducedCopies(ws, image);
    const int k = copies.levelFor(1.0 / zoom);
    if (k > 0) return {copies.level(k).values.data(), copies.level(k).width, k};
  }
  return {f.values.data(), f.width, 0};
}

// What one panel column (or row) covers: the cells [from, to) of the
// source; empty where the frame pixel under its centre lies outside
// [lo, hi), and then the panel pixel stays Void.
struct Cover {
  int from = 0, to = 0;
  bool empty() const { return from >= to; }
};

template <std::size_t N>
void coverAxis(std::array<Cover, N>& out, double start, double zoom, int lo, int hi, int shift) {
  for (std::size_t p = 0; p < N; ++p) {
    const double at = static_cast<double>(p);
    const int centre = static_cast<int>(std::floor(start + (at + 0.5) / zoom));
    if (centre < lo || centre >= hi) {
      out[p] = {};
      continue;
    }
    int a = centre, b = centre + 1;
    if (zoom < 1.0) {
      a = std::max(lo, static_cast<int>(std::floor(start + at / zoom)));
      b = std::min(hi, std::max(a + 1, static_cast<int>(std::floor(start + (at + 1) / zoom))));
    }
    out[p] = {a >> shift, ((b - 1) >> shift) + 1};
  }
}

struct Covers {
  std::array<Cover, kImageWidth> columns;
  std::array<Cover, kImageHeight> rows;
};

// The covers of panel pixels over rectangle r of a source, the frame moved
// by (dx, dy) against the view.
void coverRect(Covers& c, const PanelView& v, const SearchRect& r, int shift, int dx = 0,
               int dy = 0) {
  coverAxis(c.columns, v.left + dx, v.zoom, r.left, r.right, shift);
  coverAxis(c.rows, v.top + dy, v.zoom, r.top, r.bottom, shift);
}

// The largest value of the cells; NaN where all are masked.
float blockMax(const Source& s, Cover x, Cover y) {
  float m = NAN;
  for (int row = y.from; row < y.to; ++row) {
    const float* line = s.values + static_cast<std::size_t>(row) * s.width;
    for (int col = x.from; col < x.to; ++col) m = std::fmax(m, line[col]);
  }
  return m;
}

template <class Shade>
void drawViewed(Workspace& ws, int image, const PanelView& v, const SearchRect& r,
                const Shade& shade) {
  const Source src = sourceOf(ws, image, v.zoom);
  Covers c;
  coverRect(c, v, r, src.shift);
  std::uint8_t* picture = ws.picture[image];
  for (int py = 0; py < kImageHeight; ++py) {
    if (c.rows[static_cast<std::size_t>(py)].empty()) continue;
    for (int px = 0; px < kImageWidth; ++px) {
      const Cover cx = c.columns[static_cast<std::size_t>(px)];
      if (cx.empty()) continue;
      const float m = blockMax(src, cx, c.rows[static_cast<std::size_t>(py)]);
      if (!std::isnan(m)) put(pixelPtr(picture, px, py), shade(m));
    }
  }
}

void drawViewed(Workspace& ws, int image, const PanelView& v, const SearchRect& r) {
  if (hasBit(ws.optionFlags, image == kBlue ? OPT_CUSTOM_COLORS_BLUE : OPT_CUSTOM_COLORS_GREEN)) {
    const double bg = effectiveBackground(ws, image);
    const Bgr above = tableColor(ws, kColorWhite);
    const Bgr other = tableColor(ws, kColorBackground);
    drawViewed(ws, image, v, r, [&](float value) { return value > bg ? above : other; });
  } else {
    const GreyShade grey(ws, image);
    drawViewed(ws, image, v, r, [&](float value) {
      const std::uint8_t g = grey(value);
      return Bgr{g, g, g};
    });
  }
}

// The overlay through the blue panel's view: the green frame is read where
// the offset puts it, each image from its own reduced copy.
template <class Shade>
void drawOverlayViewed(Workspace& ws, const PanelView& v, const Shade& shade) {
  const Source blue = sourceOf(ws, kBlue, v.zoom);
  const Source green = sourceOf(ws, kGreen, v.zoom);
  Covers b, g;
  coverRect(b, v, clippedToImage(ws, kBlue, ws.searchRect[kBlue]), blue.shift);
  coverRect(g, v, clippedToImage(ws, kGreen, ws.searchRect[kGreen]), green.shift, ws.offsetX,
            ws.offsetY);
  for (int py = 0; py < kImageHeight; ++py) {
    const auto y = static_cast<std::size_t>(py);
    if (b.rows[y].empty()) continue;
    for (int px = 0; px < kImageWidth; ++px) {
      const auto x = static_cast<std::size_t>(px);
      if (b.columns[x].empty()) continue;
      const float bv = blockMax(blue, b.columns[x], b.rows[y]);
      if (std::isnan(bv)) continue;
      const bool inside = !g.columns[x].empty() && !g.rows[y].empty();
      const float gv = inside ? blockMax(green, g.columns[x], g.rows[y]) : NAN;
      const bool counts = !std::isnan(gv);
      put(pixelPtr(ws.picture[kBlue], px, py), shade(bv, counts ? gv : 0.0f, counts));
    }
  }
}

void drawOverlayViewed(Workspace& ws, const PanelView& v) {
  const double bg0 = effectiveBackground(ws, kBlue);
  const double bg1 = effectiveBackground(ws, kGreen);
  if (hasBit(ws.optionFlags, OPT_CUSTOM_COLORS_BLUE)) {
    drawOverlayViewed(ws, v, TwoColourOverlay(ws, bg0, bg1));
  } else {
    const GreyShade blueShade(ws, kBlue), greenShade(ws, kGreen);
    drawOverlayViewed(ws, v, GreyOverlay(blueShade, greenShade));
  }
}

// The panel pixels showing frame pixel (x, y) of a viewed star: those the
// map sends there, or, zoomed out where the map passes it by, the one its
// block falls in, so that no star vanishes from its highlight.
void paintViewedStar(Workspace& ws, int image, int number, const PanelView& v, const ViewMap& map,
                     Bgr c) {
  if (!validStar(ws, image, number)) return;
  const auto nearest = [&](ViewMap::Span s, int f, double start, int size) {
    if (s.from < s.to || v.zoom >= 1.0) return s;
    const int p = static_cast<int>(std::floor((f - start) * v.zoom));
    return p >= 0 && p < size ? ViewMap::Span{p, p + 1} : s;
  };
  std::uint8_t* picture = ws.picture[image];
  for (const PixelPos p : starPixels(ws, image, number)) {
    const ViewMap::Span xs = nearest(map.panelColumns(p.x), p.x, v.left, kImageWidth);
    const ViewMap::Span ys = nearest(map.panelRows(p.y), p.y, v.top, kImageHeight);
    for (int y = ys.from; y < ys.to; ++y)
      for (int x = xs.from; x < xs.to; ++x) put(pixelPtr(picture, x, y), c);
  }
}

// Pixels whose centres lie within half a pixel of the circle of `radius`
// round (cx, cy).
void drawRing(std::uint8_t* picture, int cx, int cy, int radius, Bgr c) {
  for (int dy = -radius - 1; dy <= radius + 1; ++dy)
    for (int dx = -radius - 1; dx <= radius + 1; ++dx) {
      const double d = std::sqrt(static_cast<double>(dx * dx + dy * dy));
      if (std::abs(d - radius) < 0.5 && insidePanel(cx + dx, cy + dy))
        put(pixelPtr(picture, cx + dx, cy + dy), c);
    }
}

// A ring's centre and radius in panel pixels.
struct Ring {
  int x, y, radius;
};

// `onPanel` places the ring of a star at frame pixel (x, y) with the radius
// it has at 1:1.
template <class OnPanel>
void ringFlagged(Workspace& ws, int image, const FlagTable& flags, const OnPanel& onPanel) {
  const Bgr c{kFlaggedRingRgb[2], kFlaggedRingRgb[1], kFlaggedRingRgb[0]};
  for (int k = 0; k < ws.starCount[image]; ++k) {
    if (!isFlagged(pairFlags(ws, flags, image == kBlue ? k : -1, image == kGreen ? k : -1)))
      continue;
    const StarRecord& s = star(ws, image, k);
    const Ring ring = onPanel(s.x, s.y, flaggedRingRadius(s.pixelCount));
    drawRing(ws.picture[image], ring.x, ring.y, ring.radius, c);
  }
}

bool showsPlot(const Workspace& ws, int image) {
  return hasBit(ws.optionFlags, image == kBlue ? OPT_CURVE_VIEW_BLUE : OPT_CURVE_VIEW_GREEN);
}

}  // namespace

std::uint8_t greyLevel(int value, double background, int range) {
  return greyOfValue(value, background, range);
}

std::uint8_t greyOfValue(double value, double background, double range) {
  double f = value - background;
  if (f < 0) f = 0;
  f /= range;
  if (f > 1) f = 1;
  return static_cast<std::uint8_t>(f * 255 + 0.5);
}

double effectiveRange(const Workspace& ws, int image) {
  return clampedRange(ws, image) * ws.display.rangeUnit[image];
}

double backgroundOffsetValue(const Workspace& ws, int image) {
  return ws.display.backgroundOffset[image] * ws.display.rangeUnit[image];
}

double effectiveBackground(const Workspace& ws, int image) {
  return ws.backgroundLevel[image] + backgroundOffsetValue(ws, image);
}

int panelForGreenDisplay(const Workspace& ws) {
  return hasBit(ws.optionFlags, OPT_MOVE_MODE) ? kBlue : kGreen;
}

int flaggedRingRadius(int pixelCount) {
  return 2 + static_cast<int>(std::ceil(std::sqrt(pixelCount / 3.141592653589793)));
}

void renderImage(Workspace& ws, int image, const FlagTable* flags) {
  if (image != kBlue && image != kGreen) return;
  const bool moveMode = hasBit(ws.optionFlags, OPT_MOVE_MODE);
  if (!moveMode && showsPlot(ws, image)) {
    // The plot covers the whole picture, so the Void fill would be wasted.
    drawPlot(ws, image);
    return;
  }
  fillPicture(ws.picture[image], tableColor(ws, kColorVoid));
  // The overlay is drawn through the blue panel's view.
  const PanelView v = currentView(ws, moveMode ? kBlue : image);
  const ViewMap map(v);
  if (moveMode) {
    // Nothing is painted over the overlay; the green panel stays Void.
    if (image == kBlue && map.identity())
      drawOverlay(ws);
    else if (image == kBlue)
      drawOverlayViewed(ws, v);
    return;
  }
  if (!map.identity()) {
    drawViewed(ws, image, v, clippedToImage(ws, image, ws.searchRect[image]));
    if (flags != nullptr && hasBit(ws.optionFlags, OPT_SHOW_FLAGGED)) {
      // Round the star's place at the zoom, never smaller than at 1:1 zoomed out.
      ringFlagged(ws, image, *flags, [&](int x, int y, int r) {
        return Ring{static_cast<int>(std::floor((x + 0.5 - v.left) * v.zoom)),
                    static_cast<int>(std::floor((y + 0.5 - v.top) * v.zoom)),
                    std::max(r, static_cast<int>(std::lround(r * v.zoom)))};
      });
    }
    paintHighlights(ws, image,
                    [&](int number, Bgr c) { paintViewedStar(ws, image, number, v, map, c); });
    return;
  }
  // One to one from the frame's corner, as an ST-6 frame is always shown.
  const SearchRect r = onPanel(clippedToImage(ws, image, ws.searchRect[image]));
  if (hasBit(ws.optionFlags, image == kBlue ? OPT_CUSTOM_COLORS_BLUE : OPT_CUSTOM_COLORS_GREEN))
    drawTwoColour(ws, image, r);
  else
    drawGrey(ws, image, r);
  if (flags != nullptr && hasBit(ws.optionFlags, OPT_SHOW_FLAGGED))
    ringFlagged(ws, image, *flags, [](int x, int y, int radius) { return Ring{x, y, radius}; });
  paintHighlights(ws, image, [&](int number, Bgr c) { paintStar(ws, image, number, c); });
}

int calibrationMarkerAt(const Workspace& ws, int panel, int x, int y) {
  if ((panel != kBlue && panel != kGreen) || !insidePanel(x, y)) return -1;
  const std::uint8_t* p = ws.picture[panel] + y * kPictureStride + x * 3;
  const int green = p[1];
  if (green == 0 || green == 255) return -1;
  int j = kFirstMarkerValue - green;
  const int blockOffset = kFirstBlockValue - green;
  if (blockOffset >= 0 && blockOffset < kMarkerBlock)
    j = kMaxCalibrationStars + p[2] * kMarkerBlock + blockOffset;
  else if (j >= kMaxCalibrationStars)
    return -1;
  return j < ws.calibration.count ? j : -1;
}

}  // namespace orelith
