#include "analysis/PairResolution.h"

#include <algorithm>
#include <numeric>
#include <utility>

namespace orelith {
namespace {

// Groups of stars joined by overlaps: blue star b is node b, green star g
// node blueCount + g.
struct Groups {
  std::vector<int> parent;
  explicit Groups(std::size_t nodes) : parent(nodes) { std::iota(parent.begin(), parent.end(), 0); }
  int find(int i) {
    while (parent[static_cast<std::size_t>(i)] != i)
      i = parent[static_cast<std::size_t>(i)] =
          parent[static_cast<std::size_t>(parent[static_cast<std::size_t>(i)])];
    return i;
  }
  void join(int a, int b) { parent[static_cast<std::size_t>(find(a))] = find(b); }
};

bool mutual(const std::vector<int>& from, const std::vector<int>& to, int star) {
  const int p = from[static_cast<std::size_t>(star)];
  return p < 0 || (p < static_cast<int>(to.size()) && to[static_cast<std::size_t>(p)] == star);
}

}  // namespace

std::vector<Overlap> countOverlaps(std::span<const std::pair<int, int>> pixelPairs) {
  std::vector<Overlap> out;
  std::vector<std::pair<std::pair<int, int>, int>> sorted;
  for (std::size_t i = 0; i < pixelPairs.size(); ++i)
    sorted.push_back({pixelPairs[i], static_cast<int>(i)});
  std::sort(sorted.begin(), sorted.end());
  for (const auto& [pair, at] : sorted) {
    if (out.empty() || out.back().blue != pair.first || out.back().green != pair.second)
      out.push_back({pair.first, pair.second, 0, 0});
    ++out.back().pixels;
    out.back().last = std::max(out.back().last, at);
  }
  return out;
}

void resolvePartners(std::span<const Overlap> overlaps, std::vector<int>& blue,
                     std::vector<int>& green) {
  const int nb = static_cast<int>(blue.size());
  Groups groups(blue.size() + green.size());
  for (const Overlap& o : overlaps) groups.join(o.blue, nb + o.green);
  // A group is settled when every one of its stars is linked both ways.
  std::vector<char> unsettled(blue.size() + green.size(), 0);
  for (int b = 0; b < nb; ++b)
    if (!mutual(blue, green, b)) unsettled[static_cast<std::size_t>(groups.find(b))] = 1;
  for (int g = 0; g < static_cast<int>(green.size()); ++g)
    if (!mutual(green, blue, g)) unsettled[static_cast<std::size_t>(groups.find(nb + g))] = 1;
  std::vector<Overlap> order;
  for (const Overlap& o : overlaps) {
    if (!unsettled[static_cast<std::size_t>(groups.find(o.blue))]) continue;
    blue[static_cast<std::size_t>(o.blue)] = -1;
    green[static_cast<std::size_t>(o.green)] = -1;
    order.push_back(o);
  }
  std::sort(order.begin(), order.end(), [](const Overlap& a, const Overlap& b) {
    return a.pixels != b.pixels ? a.pixels > b.pixels : a.last > b.last;
  });
  for (const Overlap& o : order) {
    int& b = blue[static_cast<std::size_t>(o.blue)];
    int& g = green[static_cast<std::size_t>(o.green)];
    if (b >= 0 || g >= 0) continue;
    b = o.green;
    g = o.blue;
  }
}

}  // namespace orelith
