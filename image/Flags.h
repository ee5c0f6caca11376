// The option, progress and star-mark bit words.
#pragma once

#include <cstdint>

namespace orelith {

enum OptionBits : std::uint32_t {
  OPT_CUSTOM_COLORS_BLUE = 0x1,
  OPT_CUSTOM_COLORS_GREEN = 0x2,
  OPT_AUTO_UPDATE_BLUE = 0x4,
  OPT_AUTO_UPDATE_GREEN = 0x8,
  OPT_SORT_ALGORITHM = 0x10,
  OPT_MOVE_MANUALLY = 0x20,
  OPT_MOVE_MODE = 0x40,
  OPT_COMPLEX_OUTPUT = 0x80,
  OPT_SELECTION_SHOWN = 0x100,
  OPT_NO_BG_SUBTRACT = 0x200,
  OPT_AUTO_BACKGROUND = 0x400,
  OPT_HIDE_CALIBRATION = 0x800,
  OPT_RANGE_ONE_BLUE = 0x1000,
  OPT_RANGE_ONE_GREEN = 0x2000,
  OPT_DRAGGING = 0x8000,
  OPT_THICK_CMD_STARS = 0x10000,
  OPT_CURVE_VIEW_BLUE = 0x20000,
  OPT_CURVE_VIEW_GREEN = 0x40000,
  OPT_ROTATE_IMAGES = 0x80000,
  OPT_PAIR_ENTRY = 0x100000,
  OPT_SHOW_FLAGGED = 0x200000,  // ours: flagged stars ringed in the panels
};

enum ProgressBits : std::uint32_t {
  PRG_BLUE_LOADED = 0x1,
  PRG_GREEN_LOADED = 0x2,
  PRG_BLUE_SEARCHED = 0x4,
  PRG_GREEN_SEARCHED = 0x8,
  PRG_COMPARED = 0x10,
  PRG_CALIBRATION_STAR = 0x20,
  PRG_MAGNITUDES = 0x40,
};

enum StarMarkBits : std::uint32_t {
  MARK_HOT = 0x01,
  MARK_LARGE = 0x02,
  MARK_CALIBRATION = 0x04,
  MARK_IGNORE = 0x08,
};

// Per-image bits, indexed by image (0 blue, 1 green).
inline constexpr std::uint32_t kLoadedBit[2] = {PRG_BLUE_LOADED, PRG_GREEN_LOADED};
inline constexpr std::uint32_t kSearchedBit[2] = {PRG_BLUE_SEARCHED, PRG_GREEN_SEARCHED};

inline void setBit(std::uint32_t& word, std::uint32_t bit, bool on) {
  word = on ? (word | bit) : (word & ~bit);
}

}  // namespace orelith
