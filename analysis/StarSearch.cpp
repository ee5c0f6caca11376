#include "analysis/StarSearch.h"

#include <algorithm>
#include <cmath>

#include "analysis/FillTraversal.h"
#include "image/StarLabels.h"
#include "resources/StringTable.h"

namespace orelith {
namespace {

// Where the pixel list of the star after `s` begins.
std::uint32_t poolEnd(const StarRecord& s) { return s.pixelStart + s.pixelCount; }

// Writes the accepted pixels of star n = StarCount into its record and its
// part of the pool, right after the list of star n - 1.
struct StarCollector {
  Workspace& ws;
  int image;
  double level;
  SearchLimits limits;
  bool started = false;
  float brightest = 0;
  // ST-6 frames add each pixel's whole counts; other frames, whose values
  // may be fractions of a count (float frames), sum exactly and round once.
  double sum = 0;

  // The lg of the exact sum, not of the rounded one: on a frame of small
  // values (electrons a second) a faint star's sum of 2.4 or 0.3 would lose
  // a tenth of its light, or all of it. Whole sums give the lg of before.
  void finish() {
    if (!started || limits.maxStars == kMaxStars) return;
    star(ws, image, ws.starCount[image]).lgBrightness =
        static_cast<float>(std::log10(static_cast<long double>(std::max(sum, 0.0))));
  }

  SearchStatus operator()(int x, int y, float value, int depth) {
    const int n = ws.starCount[image];
    if (n == limits.maxStars || n >= starCapacity(ws, image)) return SearchStatus::TooManyStars;
    StarRecord& s = star(ws, image, n);
    if (!started) {
      started = true;
      s.brightness = 0;
      sum = 0;
      s.pixelCount = 0;
      s.pixelStart = n == 0 ? 0 : poolEnd(star(ws, image, n - 1));
      s.marks &= ~(MARK_HOT | MARK_LARGE);
    }
    if (depth == ws.algorithm.pixelPerStar) s.marks |= MARK_LARGE;
    labelAt(ws, image, x, y) = static_cast<std::uint16_t>(n);
    const bool subtract = !hasBit(ws.optionFlags, OPT_NO_BG_SUBTRACT);
    const double v = value;
    if (limits.maxStars == kMaxStars) {
      s.brightness += static_cast<std::uint32_t>(subtract ? v - level : v);
    } else {
      sum += subtract ? v - level : v;
      s.brightness = static_cast<std::uint32_t>(std::clamp(std::round(sum), 0.0, 4294967295.0));
    }
    if (v >= ws.algorithm.hotPixelValue) s.marks |= MARK_HOT;
    if (s.pixelCount == limits.maxStarPixels) return SearchStatus::TooManyPixels;
    // Stars 0..n-1 of this scan hold distinct pixels, so the pool cannot
    // outgrow the frame; the test only guards a table that a caller filled by
    // hand.
    const std::uint64_t at = std::uint64_t{s.pixelStart} + s.pixelCount;
    if (at >= ws.frame[image].pixels()) return SearchStatus::TooManyPixels;
    std::vector<PixelPos>& pool = ws.starPixelPool[image];
    if (at >= pool.size()) pool.resize(at + 1);
    pool[at] = {static_cast<std::uint16_t>(x), static_cast<std::uint16_t>(y)};
    ++s.pixelCount;
    if (s.pixelCount == 1 || value > brightest) {
      brightest = value;
      s.x = static_cast<std::uint16_t>(x);
      s.y = static_cast<std::uint16_t>(y);
    }
    return SearchStatus::Ok;
  }
};

struct ImageLabels {
  Workspace& ws;
  int image;
  std::uint16_t& operator()(int x, int y) { return labelAt(ws, image, x, y); }
};

}  // namespace

SearchStatus fillStar(Workspace& ws, int image, int x, int y, int depth) {
  const SearchRect r = clippedToImage(ws, image, ws.searchRect[image]);
  const double level = ws.backgroundLevel[image];
  ImageLabels labels{ws, image};
  const SearchLimits limits = searchLimits(ws, image);
  StarCollector collect{ws, image, level, limits};
  thread_local std::vector<FillVisit> stack;
  const SearchStatus status = limits.maxFillDepth <= kMaxFillDepth
                                  ? fillTraversal(ws, image, r, level, x, y, depth, labels, collect)
                                  : deepFillTraversal(ws, image, r, level, x, y, depth,
                                                      limits.maxFillDepth, labels, collect, stack);
  collect.finish();
  return status;
}

double summedLight(const Workspace& ws, int image, int k) {
  const StarRecord& s = star(ws, image, k);
  return ws.floatFrame[image] ? std::pow(10.0, static_cast<double>(s.lgBrightness))
                              : static_cast<double>(s.brightness);
}

SearchStatus scanImage(Workspace& ws, int image) {
  const SearchRect r = clippedToImage(ws, image, ws.searchRect[image]);
  noteLabelledRect(ws, image, r);
  ImageFrame& frame = ws.frame[image];
  const double level = ws.backgroundLevel[image];
  // A pixel at or below the level is no star's, whichever fill reaches it:
  // one pass over the rows marks those and leaves the rest unvisited, and
  // the scan starts a fill at each unvisited pixel no earlier fill took.
  for (int y = r.top; y < r.bottom; ++y) {
    std::uint16_t* labels = &frame.labels[frame.index(0, y)];
    const float* values = &frame.values[frame.index(0, y)];
    for (int x = r.left; x < r.right; ++x)
      labels[x] = aboveLevel(values[x], level) ? kLabelUnvisited : kLabelNoStar;
  }
  ws.starCount[image] = 0;
  for (int y = r.top; y < r.bottom; ++y) {
    const std::uint16_t* labels = &frame.labels[frame.index(0, y)];
    for (int x = r.left; x < r.right; ++x) {
      if (x + 4 <= r.right && fourWithoutStar(labels + x)) {
        x += 3;
        continue;
      }
      if (labels[x] != kLabelUnvisited) continue;
      const int n = ws.starCount[image];
      if (SearchStatus rc = fillStar(ws, image, x, y, 1); rc != SearchStatus::Ok) return rc;
      if (star(ws, image, n).pixelCount > 0) ws.starCount[image] = n + 1;
    }
  }
  return SearchStatus::Ok;
}

Outcome<SearchStatus> searchStars(Workspace& ws, int image) {
  if (hasBit(ws.optionFlags, OPT_AUTO_BACKGROUND)) chooseAutoBackground(ws, image);
  const SearchStatus status = scanImage(ws, image);
  if (status != SearchStatus::Ok) {
    ws.starCount[image] = 0;
    ws.progressFlags &= ~kSearchedBit[image];
  } else {
    ws.progressFlags |= kSearchedBit[image];
    // Other frames' stars took theirs from the exact sum.
    if (searchLimits(ws, image).maxStars == kMaxStars)
      for (int k = 0; k < ws.starCount[image]; ++k) {
        StarRecord& s = star(ws, image, k);
        s.lgBrightness = static_cast<float>(std::log10(static_cast<long double>(s.brightness)));
      }
  }
  endCalibrationStage(ws);
  if (status == SearchStatus::Ok) return {status, std::nullopt};
  return {status,
          status == SearchStatus::TooManyStars ? str::TooManyStars : str::TooManyPixelInStar};
}

}  // namespace orelith
