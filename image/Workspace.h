// The whole state of one measurement in one record of fixed-size tables.
// The program owns one static instance; tests make their own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "base/Rect.h"
#include "image/Flags.h"
#include "image/ScienceSettings.h"
#include "image/StarRecord.h"

namespace orelith {

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

struct CalibrationList {
  CalibrationEntry entries[kMaxCalibrationStars];
  int count;
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

struct DisplayState {
  int range[2] = {1, 1};             // range slider positions, 1..1024
  int backgroundOffset[2] = {0, 0};  // background slider positions, -128..128
  int backgroundField[2] = {0, 0};   // value shown in the background text field
  std::uint8_t colorTable[21] = {255, 255, 255, 0, 0, 255, 0,   255, 0,   0,  0,
                                 0,   0,   255, 0, 0, 0,   255, 192, 192, 192};
  int autoUpdateFrequency = 1;
};

// Working storage of the search, the automatic background, the match and the
// loader, so that none of them allocates.
struct Scratch {
  std::uint16_t loadPlane[kPixelCount];
  std::int32_t parent[kPixelCount];
  std::int32_t order[kPixelCount];
  std::uint16_t depthLabels[kPixelCount];
  std::int32_t pending512[kPixelCount];
  std::int32_t starPixels[kPixelCount];
};

struct Workspace {
  // [x][y][plane]: planes 0/1 blue/green pixels, 2/3 blue/green labels.
  std::uint16_t imageStore[kImageWidth][kImageHeight][4];

  std::string filePath;       // last path chosen in a file dialog
  std::string framePath[2];   // the file each image was loaded from
  int loadCount[2] = {0, 0};  // frames loaded into each image so far
  char fileTitle[2][kFileTitleSize];
  SearchRect searchRect[2];
  // The blue rectangle a press in the panel began to replace, put back when
  // the press turns out to be a click (interaction/Pointer.h).
  SearchRect rectBeforeDrag;
  // Clipped rectangle whose labels the last search of each image wrote;
  // empty before the first search and after a load (image/StarLabels.h).
  SearchRect labelledRect[2] = {};
  int backgroundLevel[2];
  int starCount[2];
  StarRecord starTable[kMaxStars][2];  // [star number][image]
  // The pixel lists of each image's stars, one after the other in star
  // order; a pixel belongs to at most one star, so one entry per pixel holds
  // every list a search can write.
  PixelPos starPixelPool[2][kPixelCount];

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
  std::uint8_t picture[2][kPictureBytes];

  Scratch scratch;
};

inline std::uint16_t& pixelAt(Workspace& ws, int image, int x, int y) {
  return ws.imageStore[x][y][image];
}
inline std::uint16_t pixelAt(const Workspace& ws, int image, int x, int y) {
  return ws.imageStore[x][y][image];
}
inline std::uint16_t& labelAt(Workspace& ws, int image, int x, int y) {
  return ws.imageStore[x][y][image + 2];
}
inline std::uint16_t labelAt(const Workspace& ws, int image, int x, int y) {
  return ws.imageStore[x][y][image + 2];
}
inline StarRecord& star(Workspace& ws, int image, int number) {
  return ws.starTable[number][image];
}
inline const StarRecord& star(const Workspace& ws, int image, int number) {
  return ws.starTable[number][image];
}

// The pixel list of star `number` of `image`, in fill order. A number the
// last search did not reach has no pixels: its record may name pool entries
// that search gave to another star (a selection kept across searches would
// otherwise light up a stranger).
inline std::span<const PixelPos> starPixels(const Workspace& ws, int image, int number) {
  if (number < 0 || number >= ws.starCount[image]) return {};
  const StarRecord& s = star(ws, image, number);
  const std::size_t start = s.pixelStart < kPixelCount ? s.pixelStart : kPixelCount;
  std::size_t count = s.pixelCount < kMaxStarPixels ? s.pixelCount : kMaxStarPixels;
  if (count > kPixelCount - start) count = kPixelCount - start;
  return {ws.starPixelPool[image] + start, count};
}

inline bool insideImage(int x, int y) {
  return x >= 0 && x < kImageWidth && y >= 0 && y < kImageHeight;
}

inline bool hasBit(std::uint32_t word, std::uint32_t bit) { return (word & bit) != 0; }

// The part of a rectangle that lies inside the image.
SearchRect clippedToImage(const SearchRect& r);

inline constexpr SearchRect kWholeImage{0, 0, kImageWidth, kImageHeight};

// Ends pairing and calibration: every listed calibration star loses its mark,
// the list empties, the compared, calibration and magnitude bits clear, and
// no star (of the current counts) keeps a partner. Runs after every load and every search.
void endCalibrationStage(Workspace& ws);

}  // namespace orelith
