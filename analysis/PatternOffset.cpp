#include "analysis/PatternOffset.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

namespace orelith {
namespace {

constexpr std::size_t kVoteStars = 100;
constexpr std::size_t kMinCheckStars = 20;
constexpr std::size_t kMaxCheckStars = 200;
constexpr double kBin = 2.0;        // pixels of one vote bin a side
constexpr double kTolerance = 1.5;  // brightest pixels of one star differ by a pixel
constexpr int kCandidates = 8;
constexpr int kMinMatches = 6;  // chance offsets of bright stars reach four

struct Offset {
  int dx, dy;
  int matched;
};

// The `n` brightest, ties broken by position so that the result does not
// depend on the sort.
std::vector<ListedStar> brightest(std::span<const ListedStar> stars, std::size_t n) {
  std::vector<ListedStar> out(stars.begin(), stars.end());
  n = std::min(n, out.size());
  std::partial_sort(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(n), out.end(),
                    [](const ListedStar& a, const ListedStar& b) {
                      if (a.flux != b.flux) return a.flux > b.flux;
                      return std::pair(a.y, a.x) < std::pair(b.y, b.x);
                    });
  out.resize(n);
  return out;
}

// As many stars as keep chance coincidences at one offset below about one
// half: K^2 pi r^2 / area <= 0.5 over the green list's extent.
std::size_t checkCount(std::span<const ListedStar> green) {
  if (green.empty()) return kMinCheckStars;
  double x0 = green[0].x, x1 = x0, y0 = green[0].y, y1 = y0;
  for (const ListedStar& s : green) {
    x0 = std::min(x0, s.x), x1 = std::max(x1, s.x);
    y0 = std::min(y0, s.y), y1 = std::max(y1, s.y);
  }
  const double area = (x1 - x0 + 1) * (y1 - y0 + 1);
  const double k = std::sqrt(0.5 * area / (std::numbers::pi * kTolerance * kTolerance));
  return std::clamp(static_cast<std::size_t>(k), kMinCheckStars, kMaxCheckStars);
}

using Bin = std::pair<long, long>;  // (row, column) of a vote bin

struct Vote {
  Bin bin;
  double dx, dy;
};

// The votes sorted by bin, so that a bin's votes lie together.
struct Votes {
  std::vector<Vote> all;

  // Votes in the bin and its eight neighbours.
  template <class Visit>
  void around(const Bin& b, Visit visit) const {
    const auto less = [](const Vote& v, const Bin& k) { return v.bin < k; };
    for (long j = b.first - 1; j <= b.first + 1; ++j) {
      auto it = std::lower_bound(all.begin(), all.end(), Bin{j, b.second - 1}, less);
      for (; it != all.end() && it->bin <= Bin{j, b.second + 1}; ++it) visit(*it);
    }
  }
  int score(const Bin& b) const {
    int n = 0;
    around(b, [&n](const Vote&) { ++n; });
    return n;
  }
};

Votes castVotes(const std::vector<ListedStar>& blue, const std::vector<ListedStar>& green,
                int maxShiftX, int maxShiftY) {
  Votes votes;
  votes.all.reserve(blue.size() * green.size());
  for (const ListedStar& b : blue) {
    for (const ListedStar& g : green) {
      const double dx = g.x - b.x, dy = g.y - b.y;
      if (std::abs(dx) > maxShiftX + kTolerance || std::abs(dy) > maxShiftY + kTolerance) continue;
      votes.all.push_back(
          {{std::lround(std::floor(dy / kBin)), std::lround(std::floor(dx / kBin))}, dx, dy});
    }
  }
  std::sort(votes.all.begin(), votes.all.end(),
            [](const Vote& a, const Vote& b) { return a.bin < b.bin; });
  return votes;
}

// The best-voted bins, none next to another.
std::vector<Bin> candidates(const Votes& votes) {
  std::vector<std::pair<int, Bin>> scored;
  for (std::size_t i = 0; i < votes.all.size(); ++i) {
    if (i == 0 || votes.all[i].bin != votes.all[i - 1].bin)
      scored.emplace_back(votes.score(votes.all[i].bin), votes.all[i].bin);
  }
  std::stable_sort(scored.begin(), scored.end(),
                   [](const auto& a, const auto& b) { return a.first > b.first; });
  std::vector<Bin> picked;
  for (const auto& [score, bin] : scored) {
    if (static_cast<int>(picked.size()) == kCandidates) break;
    const bool near = std::any_of(picked.begin(), picked.end(), [&](const Bin& p) {
      return std::abs(p.first - bin.first) <= 1 && std::abs(p.second - bin.second) <= 1;
    });
    if (!near) picked.push_back(bin);
  }
  return picked;
}

// Blue stars with a green star within the tolerance at (dx, dy), and the
// sum of their squared misses.
struct Count {
  int matched = 0;
  double miss = 0.0;
  bool betterThan(const Count& o) const {
    return matched != o.matched ? matched > o.matched : miss < o.miss;
  }
};

Count countMatches(const std::vector<ListedStar>& blue, const std::vector<ListedStar>& green,
                   int dx, int dy) {
  Count c;
  for (const ListedStar& b : blue) {
    for (const ListedStar& g : green) {
      const double rx = g.x - b.x - dx, ry = g.y - b.y - dy;
      const double r2 = rx * rx + ry * ry;
      if (r2 > kTolerance * kTolerance) continue;
      ++c.matched;
      c.miss += r2;
      break;
    }
  }
  return c;
}

// The candidate's whole-pixel offset: of those within a pixel of the mean
// of its votes, the one most stars agree with, the closest of equals.
Offset settle(const Votes& votes, const Bin& bin, const std::vector<ListedStar>& blue,
              const std::vector<ListedStar>& green) {
  double sx = 0, sy = 0;
  int n = 0;
  votes.around(bin, [&](const Vote& v) { sx += v.dx, sy += v.dy, ++n; });
  const int cx = static_cast<int>(std::lround(sx / n)), cy = static_cast<int>(std::lround(sy / n));
  Offset best{cx, cy, 0};
  Count bestCount;
  for (int dy = cy - 1; dy <= cy + 1; ++dy) {
    for (int dx = cx - 1; dx <= cx + 1; ++dx) {
      const Count c = countMatches(blue, green, dx, dy);
      if (c.betterThan(bestCount)) best = {dx, dy, c.matched}, bestCount = c;
    }
  }
  return best;
}

}  // namespace

PatternMatch matchStarPatterns(std::span<const ListedStar> blue, std::span<const ListedStar> green,
                               int maxShiftX, int maxShiftY) {
  const Votes votes =
      castVotes(brightest(blue, kVoteStars), brightest(green, kVoteStars), maxShiftX, maxShiftY);
  const std::size_t k = checkCount(green);
  const std::vector<ListedStar> blueCheck = brightest(blue, k);
  const std::vector<ListedStar> greenCheck = brightest(green, k);
  Offset best{0, 0, 0};
  std::vector<Offset> tried;
  for (const Bin& bin : candidates(votes)) {
    const Offset o = settle(votes, bin, blueCheck, greenCheck);
    tried.push_back(o);
    if (o.matched > best.matched) best = o;
  }
  int runnerUp = 0;
  for (const Offset& o : tried) {
    if (std::abs(o.dx - best.dx) > 2 || std::abs(o.dy - best.dy) > 2)
      runnerUp = std::max(runnerUp, o.matched);
  }
  PatternMatch out{false, best.dx, best.dy, best.matched};
  out.found = best.matched >= kMinMatches && best.matched >= 2 * runnerUp;
  return out;
}

}  // namespace orelith
