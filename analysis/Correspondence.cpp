#include "analysis/Correspondence.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "analysis/PairResolution.h"
#include "analysis/PatternOffset.h"
#include "image/StarLabels.h"

namespace orelith {

namespace {

constexpr int kSearchReach = 5;  // the automatic search tries -5..+5 in x and y
constexpr int kMoveLimit = 16;   // the arrow buttons keep each offset within -16..+16
constexpr int kPendingSlot = 3;

int validCount(const Workspace& ws, int image) {
  return std::clamp(ws.starCount[image], 0, starCapacity(ws, image));
}

void clearPartners(Workspace& ws, int image) {
  for (int n = 0; n < validCount(ws, image); ++n) star(ws, image, n).partner = -1;
}

void linkPartners(Workspace& ws, int blue, int green) {
  star(ws, kBlue, blue).partner = green;
  star(ws, kGreen, green).partner = blue;
}

// After a pairing by any of the three modes.
void completePairing(Workspace& ws) {
  ws.progressFlags |= PRG_COMPARED;
  ws.progressFlags &= ~static_cast<std::uint32_t>(PRG_CALIBRATION_STAR);
}

// Where the row-major rule left a one-sided link, the stars it concerns are
// paired by largest overlap instead (analysis/PairResolution.h).
void makeMutual(Workspace& ws, const std::vector<std::pair<int, int>>& pixelPairs) {
  std::vector<int> partner[2];
  bool oneSided = false;
  for (int image : {kBlue, kGreen}) {
    for (int n = 0; n < validCount(ws, image); ++n) {
      const int p = star(ws, image, n).partner;
      partner[image].push_back(p);
      oneSided = oneSided || (p >= 0 && star(ws, 1 - image, p).partner != n);
    }
  }
  if (!oneSided) return;
  resolvePartners(countOverlaps(pixelPairs), partner[kBlue], partner[kGreen]);
  for (int image : {kBlue, kGreen})
    for (int n = 0; n < validCount(ws, image); ++n)
      star(ws, image, n).partner = static_cast<std::int16_t>(partner[image][n]);
}

// ---- automatic offset search ----
//
// The count at an offset is the number of blue star pixels lying on green
// star pixels, that is, the set bits of (blue bitmap) AND (green bitmap
// shifted by the offset). With 64-bit words one offset costs a word
// operation per 64 pixels of a row, however many stars the images hold; the
// partners are then written by one full match at the chosen offset.

// Bitmaps as wide and as high as the larger frame: an ST-6 frame's row takes
// six words (384 bits for 375 columns).
struct BitGeometry {
  int rowWords;
  int height;
  int planeWords() const { return rowWords * height; }
};

BitGeometry geometryOf(const Workspace& ws) {
  const int width = std::max(ws.frame[kBlue].width, ws.frame[kGreen].width);
  return {(width + 63) / 64, std::max(ws.frame[kBlue].height, ws.frame[kGreen].height)};
}

// A bitmap of the image held in the int32 working array, row y in words
// y * rowWords .. (y + 1) * rowWords - 1, column x in bit x % 64 of word
// x / 64. The words go through memcpy, so neither the array's type nor its
// alignment matter.
class BitPlane {
 public:
  BitPlane(std::int32_t* storage, const BitGeometry& g) : storage_(storage), g_(g) {}
  std::uint64_t word(int i) const {
    std::uint64_t w;
    std::memcpy(&w, storage_ + 2 * static_cast<std::ptrdiff_t>(i), sizeof w);
    return w;
  }
  void setWord(int i, std::uint64_t w) {
    std::memcpy(storage_ + 2 * static_cast<std::ptrdiff_t>(i), &w, sizeof w);
  }
  void clear() {
    std::memset(storage_, 0, static_cast<std::size_t>(g_.planeWords()) * sizeof(std::uint64_t));
  }
  void setBit(int x, int y) {
    const int i = y * g_.rowWords + (x >> 6);
    setWord(i, word(i) | (std::uint64_t{1} << (x & 63)));
  }
  const BitGeometry& geometry() const { return g_; }

 private:
  std::int32_t* storage_;
  BitGeometry g_;
};

// Without a popcount instruction in the target the library call costs more
// than this.
int bitCount(std::uint64_t v) {
  v = v - ((v >> 1) & 0x5555555555555555ULL);
  v = (v & 0x3333333333333333ULL) + ((v >> 2) & 0x3333333333333333ULL);
  v = (v + (v >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
  return static_cast<int>((v * 0x0101010101010101ULL) >> 56);
}

// The pixels of `image` inside `r` (clipped to the image) that name a star:
// what starAtPixel says, with its bounds taken once for the whole rectangle.
void paintStarBits(const Workspace& ws, int image, const SearchRect& r, BitPlane& bits) {
  bits.clear();
  const SearchRect& l = ws.labelledRect[image];
  const ImageFrame& f = ws.frame[image];
  const int left = std::max({r.left, l.left, 0}), right = std::min({r.right, l.right, f.width});
  const int top = std::max({r.top, l.top, 0}), bottom = std::min({r.bottom, l.bottom, f.height});
  const int stars = ws.starCount[image];
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      if (labelAt(ws, image, x, y) < stars) bits.setBit(x, y);
    }
  }
}

// shifted(x, y) = source(x + dx, y); columns beyond the image read as empty.
void shiftColumns(const BitPlane& source, BitPlane& shifted, int dx) {
  const int rowWords = source.geometry().rowWords;
  for (int row = 0; row < source.geometry().planeWords(); row += rowWords) {
    for (int k = 0; k < rowWords; ++k) {
      std::uint64_t w;
      if (dx >= 0) {
        w = source.word(row + k) >> dx;
        if (dx > 0 && k + 1 < rowWords) w |= source.word(row + k + 1) << (64 - dx);
      } else {
        w = source.word(row + k) << -dx;
        if (k > 0) w |= source.word(row + k - 1) >> (64 + dx);
      }
      shifted.setWord(row + k, w);
    }
  }
}

// The words of the blue bitmap that hold any bit, in row-major order, with
// the first entry of each row: the counts skip the empty parts of the field.
struct WordList {
  std::int32_t* index;     // word numbers
  std::int32_t* rowStart;  // height + 1 entries
};

void listBlueWords(const BitPlane& blue, WordList& list) {
  const BitGeometry& g = blue.geometry();
  int n = 0;
  for (int y = 0; y < g.height; ++y) {
    list.rowStart[y] = n;
    for (int i = y * g.rowWords; i < (y + 1) * g.rowWords; ++i) {
      if (blue.word(i) != 0) list.index[n++] = i;
    }
  }
  list.rowStart[g.height] = n;
}

// Bits set in both blue(x, y) and shifted(x, y + dy), over the listed words.
int countCommon(const BitPlane& blue, const BitPlane& shifted, int dy, const WordList& list) {
  const BitGeometry& g = blue.geometry();
  const int from = list.rowStart[std::max(0, -dy)];
  const int to = list.rowStart[std::min(g.height, g.height - dy)];
  const int rowShift = dy * g.rowWords;
  int count = 0;
  for (int i = from; i < to; ++i) {
    const int w = list.index[i];
    count += bitCount(blue.word(w) & shifted.word(w + rowShift));
  }
  return count;
}

struct SearchBits {
  BitPlane blue, green, shifted;
  WordList words;
};

SearchBits prepareBits(Workspace& ws) {
  const BitGeometry g = geometryOf(ws);
  const std::size_t n = 2 * static_cast<std::size_t>(g.planeWords());  // int32 entries a bitmap
  std::int32_t* s = sized(ws.scratch.starPixels, 3 * n + n / 2 + g.height + 1);
  SearchBits bits{
      BitPlane(s, g), BitPlane(s + n, g), BitPlane(s + 2 * n, g), {s + 3 * n, s + 3 * n + n / 2}};
  const SearchRect& raw = ws.searchRect[kBlue];
  const SearchRect blue =
      raw.top >= raw.bottom ? SearchRect{0, 0, 0, 0} : clippedToImage(ws, kBlue, raw);
  paintStarBits(ws, kBlue, blue, bits.blue);
  paintStarBits(ws, kGreen, clippedToImage(ws, kGreen, ws.searchRect[kGreen]), bits.green);
  listBlueWords(bits.blue, bits.words);
  return bits;
}

// Leaves in ws.offsetX/offsetY the first offset (dx outer, dy inner) with the
// largest count, (0, 0) when no offset gives any overlap.
void searchOffset(Workspace& ws) {
  SearchBits bits = prepareBits(ws);
  int best = 0;
  int bestDx = 0;
  int bestDy = 0;
  for (int dx = -kSearchReach; dx <= kSearchReach; ++dx) {
    shiftColumns(bits.green, bits.shifted, dx);
    for (int dy = -kSearchReach; dy <= kSearchReach; ++dy) {
      const int count = countCommon(bits.blue, bits.shifted, dy, bits.words);
      if (count > best) {
        best = count;
        bestDx = dx;
        bestDy = dy;
      }
    }
  }
  ws.offsetX = bestDx;
  ws.offsetY = bestDy;
}

std::vector<ListedStar> listedStars(const Workspace& ws, int image) {
  std::vector<ListedStar> list;
  for (int k = 0; k < validCount(ws, image); ++k) {
    const StarRecord& s = star(ws, image, k);
    list.push_back({static_cast<double>(s.x), static_cast<double>(s.y),
                    static_cast<double>(s.brightness)});
  }
  return list;
}

// Frames other than a pair of ST-6 frames may differ in size and lie further
// apart than the pixel search reaches: their offset comes from the patterns
// of their brightest stars, up to a quarter of the wider frame, and from the
// pixel search only where the patterns agree on none.
bool searchOffsetByPatterns(Workspace& ws) {
  if (isSt6Frame(ws.frame[kBlue]) && isSt6Frame(ws.frame[kGreen])) return false;
  const int reachX = std::max(ws.frame[kBlue].width, ws.frame[kGreen].width) / 4;
  const int reachY = std::max(ws.frame[kBlue].height, ws.frame[kGreen].height) / 4;
  const PatternMatch m =
      matchStarPatterns(listedStars(ws, kBlue), listedStars(ws, kGreen), reachX, reachY);
  if (!m.found) return false;
  ws.offsetX = m.dx;
  ws.offsetY = m.dy;
  return true;
}

// ---- three reference pairs ----

struct Vec {
  int x;
  int y;
};

Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y}; }

Vec positionOf(const Workspace& ws, int image, int number) {
  const StarRecord& s = star(ws, image, number);
  return {s.x, s.y};
}

// Slot 1 is the origin; blue u, w and green s, t are the other two slots.
struct PairFrame {
  Vec p, u, w;
  Vec q, s, t;
  int det;
};

PairFrame frameOf(const Workspace& ws) {
  const StarPair* slot = ws.referencePairs;
  PairFrame f{};
  f.p = positionOf(ws, kBlue, slot[1].blue);
  f.u = positionOf(ws, kBlue, slot[0].blue) - f.p;
  f.w = positionOf(ws, kBlue, slot[2].blue) - f.p;
  f.q = positionOf(ws, kGreen, slot[1].green);
  f.s = positionOf(ws, kGreen, slot[0].green) - f.q;
  f.t = positionOf(ws, kGreen, slot[2].green) - f.q;
  f.det = f.u.x * f.w.y - f.w.x * f.u.y;
  return f;
}

// Mapped coordinates are rounded by adding 0.5 and truncating towards zero,
// so everything above -1.5 and below 0.5 lands on 0.
int roundMapped(double v) { return static_cast<int>(v + 0.5); }

void mapBlueStars(Workspace& ws, const PairFrame& f) {
  clearPartners(ws, kGreen);
  for (int i = 0; i < validCount(ws, kBlue); ++i) {
    const Vec d = positionOf(ws, kBlue, i) - f.p;
    const double a = static_cast<double>(d.x * f.w.y - d.y * f.w.x) / f.det;
    const double b = static_cast<double>(f.u.x * d.y - f.u.y * d.x) / f.det;
    const int gx = roundMapped(f.q.x + a * f.s.x + b * f.t.x);
    const int gy = roundMapped(f.q.y + a * f.s.y + b * f.t.y);
    const int g = starAtPixel(ws, kGreen, gx, gy);
    if (g >= 0) {
      linkPartners(ws, i, g);
    } else {
      star(ws, kBlue, i).partner = -1;
    }
  }
  // Blue stars mapped onto a green star that a later one took keep no
  // partner: links go both ways.
  for (int i = 0; i < validCount(ws, kBlue); ++i) {
    StarRecord& b = star(ws, kBlue, i);
    if (b.partner >= 0 && star(ws, kGreen, b.partner).partner != i) b.partner = -1;
  }
}

// Returns whether a pairing was current.
bool startPairEntry(Workspace& ws) {
  // With a pairing current, star clicks select pairs instead of filling the
  // pending pair and the entry could never be completed: the entry ends it.
  // The partners go with the flag, so the list, the report and the diagram
  // all show the unpaired state during the entry.
  const bool wasPaired = hasBit(ws.progressFlags, PRG_COMPARED);
  ws.progressFlags &= ~static_cast<std::uint32_t>(PRG_COMPARED);
  clearPartners(ws, kBlue);
  clearPartners(ws, kGreen);
  for (StarPair& pair : ws.referencePairs) pair = {-1, -1};
  ws.optionFlags |= OPT_PAIR_ENTRY;
  ws.optionFlags &= ~static_cast<std::uint32_t>(OPT_SELECTION_SHOWN);
  ws.selectedStar[kBlue] = -1;
  ws.selectedStar[kGreen] = -1;
  return wasPaired;
}

}  // namespace

int matchAtOffset(Workspace& ws) {
  clearPartners(ws, kBlue);
  clearPartners(ws, kGreen);
  if (ws.searchRect[kBlue].top >= ws.searchRect[kBlue].bottom) return 0;
  const SearchRect b = clippedToImage(ws, kBlue, ws.searchRect[kBlue]);
  const SearchRect g = clippedToImage(ws, kGreen, ws.searchRect[kGreen]);
  const int dx = ws.offsetX;
  const int dy = ws.offsetY;
  // Only columns and rows whose shifted position lies in the green rectangle
  // can match, and only pixels that the last searches labelled name stars;
  // the visiting order stays row-major, which decides the partners.
  const SearchRect lb = clippedToImage(ws, kBlue, ws.labelledRect[kBlue]);
  const SearchRect lg = clippedToImage(ws, kGreen, ws.labelledRect[kGreen]);
  const int xFrom = std::max({b.left, g.left - dx, lb.left, lg.left - dx});
  const int xTo = std::min({b.right, g.right - dx, lb.right, lg.right - dx});
  const int yFrom = std::max({b.top, g.top - dy, lb.top, lg.top - dy});
  const int yTo = std::min({b.bottom, g.bottom - dy, lb.bottom, lg.bottom - dy});
  const ImageFrame& fb = ws.frame[kBlue];
  const ImageFrame& fg = ws.frame[kGreen];
  // Labels at or beyond the count (no star, unvisited) name no star.
  const int blueCount = ws.starCount[kBlue], greenCount = ws.starCount[kGreen];
  std::vector<std::pair<int, int>> pixelPairs;
  pixelPairs.reserve(ws.starPixelPool[kBlue].size());
  for (int y = yFrom; y < yTo; ++y) {
    const std::uint16_t* blueRow = &fb.labels[fb.index(0, y)];
    const std::uint16_t* greenRow = &fg.labels[fg.index(0, y + dy)];
    for (int x = xFrom; x < xTo; ++x) {
      if (x + 4 <= xTo && fourWithoutStar(blueRow + x)) {
        x += 3;
        continue;
      }
      const int blue = blueRow[x];
      if (blue >= blueCount) continue;
      const int green = greenRow[x + dx];
      if (green >= greenCount) continue;
      linkPartners(ws, blue, green);
      pixelPairs.emplace_back(blue, green);
    }
  }
  makeMutual(ws, pixelPairs);
  return static_cast<int>(pixelPairs.size());
}

CompareStatus compareImages(Workspace& ws) {
  if (hasBit(ws.optionFlags, OPT_ROTATE_IMAGES)) {
    return startPairEntry(ws) ? CompareStatus::PairEntryEndedAPairing
                              : CompareStatus::PairEntryStarted;
  }
  if (!hasBit(ws.optionFlags, OPT_MOVE_MANUALLY) && !searchOffsetByPatterns(ws)) searchOffset(ws);
  ws.overlapCount = matchAtOffset(ws);
  completePairing(ws);
  return CompareStatus::Paired;
}

PairSetStatus setReferencePair(Workspace& ws, int slot) {
  if (slot < 0 || slot >= kPendingSlot) return PairSetStatus::NotASlot;
  const StarPair pending = ws.referencePairs[kPendingSlot];
  if (pending.blue == -1 || pending.green == -1) return PairSetStatus::Incomplete;
  for (int s = 0; s < kPendingSlot; ++s) {
    const StarPair& set = ws.referencePairs[s];
    if (s != slot && (set.blue == pending.blue || set.green == pending.green))
      return PairSetStatus::Taken;
  }
  ws.referencePairs[slot] = pending;
  for (int s = 0; s < kPendingSlot; ++s) {
    if (ws.referencePairs[s].blue == -1) return PairSetStatus::Stored;
  }
  // Three blue stars on one line span no plane; the user sets another pair.
  return frameOf(ws).det == 0 ? PairSetStatus::OnOneLine : PairSetStatus::Complete;
}

void endPairEntry(Workspace& ws) {
  ws.optionFlags &= ~static_cast<std::uint32_t>(OPT_SELECTION_SHOWN | OPT_PAIR_ENTRY);
  ws.selectedStar[kBlue] = -1;
  ws.selectedStar[kGreen] = -1;
}

void pairByReferencePairs(Workspace& ws) {
  mapBlueStars(ws, frameOf(ws));
  completePairing(ws);
}

MoveStatus moveGreenImage(Workspace& ws, MoveDirection dir) {
  // The green image sits shifted by (-dx, -dy) on screen, so moving it up or
  // left raises the offset.
  const bool horizontal = dir == MoveDirection::Right || dir == MoveDirection::Left;
  const int step = dir == MoveDirection::Up || dir == MoveDirection::Left ? 1 : -1;
  const int value = horizontal ? ws.offsetX : ws.offsetY;
  if (value == step * kMoveLimit) return MoveStatus::AtLimit;
  setManualOffset(ws, ws.offsetX + (horizontal ? step : 0), ws.offsetY + (horizontal ? 0 : step));
  return MoveStatus::Moved;
}

void setManualOffset(Workspace& ws, int dx, int dy) {
  ws.offsetX = std::clamp(dx, -kMoveLimit, kMoveLimit);
  ws.offsetY = std::clamp(dy, -kMoveLimit, kMoveLimit);
  const SearchRect& b = ws.searchRect[kBlue];
  ws.searchRect[kGreen] = {b.left + ws.offsetX, b.top + ws.offsetY, b.right + ws.offsetX,
                           b.bottom + ws.offsetY};
}

void pickPendingStar(Workspace& ws, int image, int starNumber) {
  if (image != kBlue && image != kGreen) return;
  if (starNumber < 0 || starNumber >= validCount(ws, image)) return;
  ws.selectedStar[image] = starNumber;
  StarPair& pending = ws.referencePairs[kPendingSlot];
  (image == kBlue ? pending.blue : pending.green) = starNumber;
}

}  // namespace orelith
