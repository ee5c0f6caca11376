// The whole state of one measurement in one record: both frames, sized to
// what was loaded, and the tables of their stars. The program owns one
// instance; tests make their own.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/Rect.h"
#include "image/Flags.h"
#include "image/ScienceSettings.h"
#include "image/StarRecord.h"
#include "image/WorldCoords.h"

namespace orelith {

// An ST-6 frame, and the frames before the first load.
inline constexpr int kImageWidth = 375;
inline constexpr int kImageHeight = 242;
inline constexpr int kPixelCount = kImageWidth * kImageHeight;
inline constexpr int kBlue = 0;
inline constexpr int kGreen = 1;

// Label plane values besides star numbers.
inline constexpr std::uint16_t kLabelNoStar = 0xFFFE;
inline constexpr std::uint16_t kLabelUnvisited = 0xFFFF;

// Panel pictures: 24-bit, blue-green-red, rows top down, 4-byte aligned rows.
inline constexpr int kPictureStride = 1128;
inline constexpr int kPictureBytes = kPictureStride * kImageHeight;

inline constexpr int kMaxCalibrationStars = 16;
// Frames other than ST-6 frames: a cluster's field holds hundreds of
// standards, and the fit library takes up to 1024 points.
inline constexpr int kMaxFrameCalibrationStars = 1000;
inline constexpr int kMaxCoefficients = 10;
inline constexpr int kFileTitleSize = 16;  // 15 bytes and the terminator

// The region of an image a search covers.
using SearchRect = Rect;

struct AlgorithmSettings {
  int maxStarsBlue = 256;  // kept for the dialog; no search uses them
  int maxStarsGreen = 256;
  int coefficientCount = 3;
  int hotPixelValue = 65530;
  std::uint16_t pixelPerStar = 64;
};

struct CalibrationEntry {
  int blue;   // star number in the blue image
  int green;  // star number of its partner when it was accepted
};

// The calibration stars in the order they were accepted. Up to
// kMaxCalibrationStars they live in `entries`; a longer list (frames other
// than ST-6 frames only) lives whole in `grown`, which is empty otherwise.
// calibrationEntries() gives the list either way.
struct CalibrationList {
  CalibrationEntry entries[kMaxCalibrationStars];
  int count;
  std::vector<CalibrationEntry> grown = {};
};

// Reference pair slot of the three-pair entry; -1 = half not set.
struct StarPair {
  int blue;
  int green;
};

// Colour table entries, each three bytes red, green, blue.
enum ColorIndex {
  kColorWhite,
  kColorBlue,
  kColorGreen,
  kColorBackground,
  kColorCalibrate,
  kColorSelection,
  kColorVoid
};

class ReducedCopies;  // display/ReducedCopies.h

// Which part of its frame a panel shows: the zoom, in panel pixels a frame
// pixel, and the frame position at the panel's top-left corner
// (display/PanelView.h keeps it within bounds).
struct PanelView {
  double zoom = 1.0;
  double left = 0.0, top = 0.0;
  bool operator==(const PanelView&) const = default;
};

// How a panel looks at its frame, and what it keeps to draw it quickly.
struct PanelState {
  PanelView view;
  // The load and size of frame the view was made for: another frame is
  // shown fitted to the panel.
  int viewLoad = -1;
  int viewWidth = 0, viewHeight = 0;
  // Copies of the frame reduced for drawing far zoomed out, made on the
  // first such drawing, and the frame they were made from.
  std::shared_ptr<ReducedCopies> reduced;
  int reducedLoad = -1;
  const float* reducedFrom = nullptr;
  int reducedWidth = 0, reducedHeight = 0;
  // A drag with the middle button: where the pointer last was.
  bool panning = false;
  int panX = 0, panY = 0;
};

struct DisplayState {
  int range[2] = {1, 1};  // range slider positions, 1..1024
  // What one step of the range and background sliders is worth: 1 for
  // integer frames, a power of ten below 1 for a floating-point frame of
  // small values.
  double rangeUnit[2] = {1.0, 1.0};
  int backgroundOffset[2] = {0, 0};    // background slider positions, -128..128
  double backgroundField[2] = {0, 0};  // value shown in the background text field
  // Whether each background field was last told to take a sign and a point
  // (a floating-point frame's) or digits only.
  bool decimalField[2] = {false, false};
  std::uint8_t colorTable[21] = {255, 255, 255, 0, 0, 255, 0,   255, 0,   0,  0,
                                 0,   0,   255, 0, 0, 0,   255, 192, 192, 192};
  int autoUpdateFrequency = 1;
  PanelState panel[2];
};

// Working storage of the search, the automatic background, the match and the
// loader, kept between calls and grown to the largest frame they met, so
// that a repeated search does not allocate.
struct Scratch {
  std::vector<std::uint16_t> loadPlane;
  std::vector<std::int32_t> parent;
  std::vector<std::int32_t> order;
  std::vector<std::uint16_t> depthLabels;
  std::vector<std::int32_t> pending512;
  std::vector<std::int32_t> starPixels;
};

// At least `n` entries.
template <class T>
T* sized(std::vector<T>& v, std::size_t n) {
  if (v.size() < n) v.resize(n);
  return v.data();
}

// One image's frame: its size, its pixel values as loaded and the labels the
// star search gives its pixels (a star number, kLabelNoStar or
// kLabelUnvisited), both row by row. Every value starts at 0.
struct ImageFrame {
  int width = kImageWidth;
  int height = kImageHeight;
  std::vector<float> values = std::vector<float>(kPixelCount);
  std::vector<std::uint16_t> labels = std::vector<std::uint16_t>(kPixelCount);

  std::size_t pixels() const { return static_cast<std::size_t>(width) * height; }
  std::size_t index(int x, int y) const { return static_cast<std::size_t>(y) * width + x; }
};

// A frame of the ST-6 camera's fixed size, which keeps that camera's limits.
inline bool isSt6Frame(const ImageFrame& f) {
  return f.width == kImageWidth && f.height == kImageHeight;
}

// How far one search of a frame may go before it fails.
struct SearchLimits {
  int maxStars;
  int maxStarPixels;
  int maxFillDepth;
};
inline constexpr SearchLimits kSt6Limits{kMaxStars, kMaxStarPixels, 512};
// Frames of any other size: as many stars as the labels can number (below
// kLabelNoStar) and as many pixels a star as its count can hold; a fill is
// then never too deep before its star is too large.
inline constexpr int kMaxFrameStars = kLabelNoStar;
inline constexpr int kMaxFrameStarPixels = 65535;
inline constexpr SearchLimits kFrameLimits{kMaxFrameStars, kMaxFrameStarPixels,
                                           kMaxFrameStarPixels + 1};

struct Workspace {
  ImageFrame frame[2];

  std::string filePath;      // last path chosen in a file dialog
  std::string framePath[2];  // the file each image was loaded from
  // What a FITS header said of each frame: its FILTER keyword (empty without
  // one, and for ST-6 frames) and its celestial coordinates (none without).
  bool fitsFrame[2] = {false, false};
  // A FITS frame stored as floating point (BITPIX -32 or -64), whose sky may
  // be negative or a fraction of a count.
  bool floatFrame[2] = {false, false};
  std::string frameFilter[2];
  WorldCoords worldCoords[2];
  int loadCount[2] = {0, 0};  // frames loaded into each image so far
  char fileTitle[2][kFileTitleSize];
  SearchRect searchRect[2];
  // The blue rectangle a press in the panel began to replace, put back when
  // the press turns out to be a click (interaction/Pointer.h).
  SearchRect rectBeforeDrag;
  // Clipped rectangle whose labels the last search of each image wrote;
  // empty before the first search and after a load (image/StarLabels.h).
  SearchRect labelledRect[2] = {};
  // The search takes the pixels above it. Integer frames (ST-6, integer FITS)
  // keep a whole level in 0..65535, so that pixel > level compares exactly
  // as whole numbers; a floating-point frame's level may be any finite
  // number, negative or fractional.
  double backgroundLevel[2];
  int starCount[2];
  // Records of each image's stars, as many as its search may find.
  std::vector<StarRecord> starTable[2] = {std::vector<StarRecord>(kMaxStars),
                                          std::vector<StarRecord>(kMaxStars)};
  // The pixel lists of each image's stars, one after the other in star
  // order; a pixel belongs to at most one star, so the pool never holds more
  // entries than the frame has pixels. It grows as a search fills it.
  std::vector<PixelPos> starPixelPool[2];

  std::uint32_t optionFlags;
  std::uint32_t progressFlags;
  int selectedStar[2] = {-1, -1};
  AlgorithmSettings algorithm;
  int openFilterIndex;  // remembered filter of the open dialogs

  int offsetX;  // green pixel (x + dx, y + dy) lies on blue pixel (x, y)
  int offsetY;
  int overlapCount;
  StarPair referencePairs[4];  // slots 0..2 set pairs, 3 the pending pair

  CalibrationList calibration;
  double curves[2][kMaxCoefficients];  // coefficient i of lg^i

  DisplayState display;
  ScienceSettings science;  // what the window's next results are computed with
  int scienceWarnings = 0;  // how many the last "Calculate magnitudes" gave, for the status bar
  std::uint8_t picture[2][kPictureBytes];

  Scratch scratch;
};

inline float& pixelAt(Workspace& ws, int image, int x, int y) {
  ImageFrame& f = ws.frame[image];
  return f.values[f.index(x, y)];
}
inline float pixelAt(const Workspace& ws, int image, int x, int y) {
  const ImageFrame& f = ws.frame[image];
  return f.values[f.index(x, y)];
}
inline std::uint16_t& labelAt(Workspace& ws, int image, int x, int y) {
  ImageFrame& f = ws.frame[image];
  return f.labels[f.index(x, y)];
}
inline std::uint16_t labelAt(const Workspace& ws, int image, int x, int y) {
  const ImageFrame& f = ws.frame[image];
  return f.labels[f.index(x, y)];
}
inline StarRecord& star(Workspace& ws, int image, int number) {
  return ws.starTable[image][static_cast<std::size_t>(number)];
}
inline const StarRecord& star(const Workspace& ws, int image, int number) {
  return ws.starTable[image][static_cast<std::size_t>(number)];
}
// How many records the star table of `image` holds.
inline int starCapacity(const Workspace& ws, int image) {
  return static_cast<int>(ws.starTable[image].size());
}

// The pixel list of star `number` of `image`, in fill order. A number the
// last search did not reach has no pixels: its record may name pool entries
// that search gave to another star (a selection kept across searches would
// otherwise light up a stranger).
inline std::span<const PixelPos> starPixels(const Workspace& ws, int image, int number) {
  if (number < 0 || number >= ws.starCount[image] || number >= starCapacity(ws, image)) return {};
  const StarRecord& s = star(ws, image, number);
  const std::vector<PixelPos>& pool = ws.starPixelPool[image];
  const std::size_t start = s.pixelStart < pool.size() ? s.pixelStart : pool.size();
  std::size_t count = s.pixelCount;
  if (count > pool.size() - start) count = pool.size() - start;
  return {pool.data() + start, count};
}

inline bool insideImage(const Workspace& ws, int image, int x, int y) {
  const ImageFrame& f = ws.frame[image];
  return x >= 0 && x < f.width && y >= 0 && y < f.height;
}

// Right ascension and declination of frame pixel (x, y) of `image`; none
// without celestial coordinates.
inline std::optional<SkyPosition> skyPosition(const Workspace& ws, int image, double x, double y) {
  return ws.worldCoords[image].skyAt(x, y);
}

inline bool hasBit(std::uint32_t word, std::uint32_t bit) { return (word & bit) != 0; }

// The part of a rectangle that lies inside the frame of `image`.
SearchRect clippedToImage(const Workspace& ws, int image, const SearchRect& r);

// The whole of an ST-6 frame, and of `image`'s frame.
inline constexpr SearchRect kWholeImage{0, 0, kImageWidth, kImageHeight};
inline SearchRect wholeImage(const Workspace& ws, int image) {
  return {0, 0, ws.frame[image].width, ws.frame[image].height};
}

// The limits of a search of `image`: those of an ST-6 frame for frames of
// its size, kFrameLimits for every other.
SearchLimits searchLimits(const Workspace& ws, int image);

// Gives `image` a frame of the size (values and labels undefined when the
// size changes) and a star table as large as its search may fill.
void resizeFrame(Workspace& ws, int image, int width, int height);

// Gives `image` the frame `values` (row by row, width x height, as moved
// in), labels of that size (undefined when the size changes) and a star
// table as large as its search may fill.
void adoptFrame(Workspace& ws, int image, int width, int height, std::vector<float>&& values);

// How many calibration stars the list may hold: kMaxCalibrationStars while
// either frame has the size of an ST-6 frame, kMaxFrameCalibrationStars
// when neither has.
int calibrationCapacity(const Workspace& ws);

// The calibration list, entry e for the e-th star accepted.
inline std::span<const CalibrationEntry> calibrationEntries(const Workspace& ws) {
  const CalibrationList& list = ws.calibration;
  const std::size_t count = list.count > 0 ? static_cast<std::size_t>(list.count) : 0;
  if (!list.grown.empty()) return {list.grown.data(), std::min(count, list.grown.size())};
  return {list.entries, std::min(count, std::size(list.entries))};
}

// Appends an entry; the caller has checked the count against
// calibrationCapacity().
void appendCalibrationEntry(Workspace& ws, CalibrationEntry entry);

// Removes entry e, the later ones moving up.
void removeCalibrationEntry(Workspace& ws, int e);

// Ends pairing and calibration: every listed calibration star loses its mark,
// the list empties, the compared, calibration and magnitude bits clear, and
// no star (of the current counts) keeps a partner. Runs after every load and every search.
void endCalibrationStage(Workspace& ws);

}  // namespace orelith
