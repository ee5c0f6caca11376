// Star records and files for the report tests.
#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "image/Workspace.h"

namespace orelith::test {

struct StarValues {
  std::uint32_t brightness = 0;
  int x = 0;
  int y = 0;
  float lg = 0.0f;
  int partner = -1;
  std::uint32_t marks = 0;
  float magnitudeB = 0.0f;
  float magnitudeV = 0.0f;
};

inline void setStar(Workspace& ws, int image, int k, const StarValues& v) {
  StarRecord& s = star(ws, image, k);
  s.brightness = v.brightness;
  s.x = static_cast<std::uint16_t>(v.x);
  s.y = static_cast<std::uint16_t>(v.y);
  s.lgBrightness = v.lg;
  s.partner = static_cast<std::int16_t>(v.partner);
  s.marks = v.marks;
  s.magnitudeB = v.magnitudeB;
  s.magnitudeV = v.magnitudeV;
}

// Pairs blue star b with green star g.
inline void pair(Workspace& ws, int b, int g) {
  star(ws, kBlue, b).partner = static_cast<std::int16_t>(g);
  star(ws, kGreen, g).partner = static_cast<std::int16_t>(b);
}

inline std::vector<unsigned char> readAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::string readText(const std::filesystem::path& path) {
  std::vector<unsigned char> bytes = readAll(path);
  return {bytes.begin(), bytes.end()};
}

inline void writeText(const std::filesystem::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

// Names in `dir`, to see that no temporary file was left behind.
inline std::vector<std::string> dirEntries(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace orelith::test
