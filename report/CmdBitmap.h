// The colour-magnitude diagram: every paired star plotted by its B-V
// (horizontal) and V (vertical) into a copy of a template bitmap, written as a
// BMP file. Monochrome from "DIB01.DAT", 16 colours from "DIB02.DAT".
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "image/Workspace.h"
#include "report/WriteResult.h"

namespace orelith {

// The variant is the bits per pixel of the diagram.
inline constexpr int kCmdMonochrome = 1;
inline constexpr int kCmdColour = 4;

inline constexpr std::size_t kCmdMonochromeSize = 33382;
inline constexpr std::size_t kCmdColourSize = 133398;
inline constexpr int kCmdWidth = 544;  // pixel positions per row
inline constexpr int kCmdRows = 490;   // stored bottom-up

// The plot window: B-V -0.7..1.9 over columns 32..539, V 5.5..17.5 over file
// rows 488 (bright, top of the picture) down to 21.
inline constexpr int kCmdLeft = 32;
inline constexpr int kCmdRight = 539;
inline constexpr int kCmdBottomRow = 21;
inline constexpr int kCmdTopRow = 488;

struct CmdPixel {
  int x;  // column
  int y;  // file row, 0 = bottom line of the picture
};

// Size of the template and of the diagram of `variant`.
std::size_t cmdFileSize(int variant);

// The template's file name, "DIB01.DAT" or "DIB02.DAT".
const char* cmdTemplateName(int variant);

// Where a star of these magnitudes is plotted; false when it lies outside the
// plot window (5.5 < V < 17.5 and -0.7 < B-V < 1.9, bounds excluded).
bool cmdStarPixel(float magnitudeB, float magnitudeV, int variant, CmdPixel& pixel);

// Byte of the diagram that holds pixel (x, y).
std::size_t cmdByteOffset(int variant, int x, int y);

// The 16-colour palette index of paired blue star k: 7 ignored, 9 hot (either
// star of the pair), 12 calibration, else 0.
std::uint8_t cmdColourIndex(const Workspace& ws, int k);

// Plots every paired star into `picture`, a copy of the template.
// Outside when a pixel would fall outside the buffer (nothing is drawn from
// that star on).
enum class DrawStatus { Ok, Outside };
DrawStatus drawCmdStars(const Workspace& ws, int variant, std::span<unsigned char> picture);

// The folders the templates are looked for in, in order: the start directory,
// the data folder beside the program (<program dir>/../share/orelith/) and the
// installed data folder.
std::vector<std::string> defaultTemplateDirs(const std::string& startDir);

// Writes the diagram of `variant` to `outPath`, from the first usable template
// in `templateDirs` (each with or without a trailing '/'): a regular file
// whose header describes the diagram's picture and which is no longer than
// the diagram; anything else of that name is passed over. Fails with
// "Unable to open file DIB01.DAT." or "...DIB02.DAT." (no template; no file is
// created), "Unable to create file." or "Unable to save file." (an older file
// stays as it was), "Out of Memory" or "Unable to calculate coordinats in
// CMD." (a pixel outside the picture).
WriteOutcome writeDiagram(const Workspace& ws, int variant, const std::string& outPath,
                          const std::vector<std::string>& templateDirs);

}  // namespace orelith
