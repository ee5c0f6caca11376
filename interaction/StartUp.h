// What the window does with its command line: the frames named there go to
// the panel of their colour, and the steps of a measurement asked for are
// taken as a user clicks them, one after the other.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "image/Workspace.h"
#include "interaction/WindowPort.h"

namespace orelith {

// The colour a frame names: blue (B) and green (V) have a panel each, any
// other band (red, I, a clear filter) has none; Unknown is placed by order.
enum class FrameBand { Blue, Green, Other, Unknown };

// A FITS FILTER value read word by word: "B", "Blue", "Johnson B" are blue;
// "V", "G", "Green", "Visual", "Bessell V" green; any other word names another
// band, and an empty value none.
FrameBand bandOfFilter(std::string_view filter);

struct FrameFile {
  std::string path;
  FrameBand band = FrameBand::Unknown;
  std::string named;  // for a frame of another band, what says so: "FILTER 'R'"
};

// A FITS file (known by its first bytes) by its FILTER keyword; any other
// file, and a FITS file without FILTER, by its name: *.b blue, *.g green,
// *.r red (the open dialog's "Red ST6 Files"), and *.st6 or any other name
// by the order given.
FrameFile classifyFrame(const std::string& path);

struct FramePlacement {
  std::string panel[2];              // the file for the blue and the green panel, or empty
  std::vector<std::string> refused;  // "file: why", one for each file left out
};

// Each frame of a colour takes that colour's panel, the first one given if
// two name the same; then the frames of no colour fill the panels left, blue
// first. Another band, a second frame of a colour, or a frame with both
// panels taken is left out with its reason.
FramePlacement placeFrames(const std::vector<FrameFile>& files);

// The window's command line, with the batch tool's names for the same steps.
struct StartRequest {
  std::vector<std::string> files;
  std::optional<double> background[2];  // typed into the background fields
  bool search = false;
  bool compare = false;
  std::string calibrationFile;  // entered as "Import calibration stars..." does
  bool calculate = false;
};

inline constexpr char kStartCaption[] = "Orelith start";

// Opens the frames into their panels, then types the backgrounds, searches
// each loaded image, compares, imports the calibration stars and
// calculates, each as the window runs the user's click, with its status
// line. A step whose button would still be disabled is left out; the frames
// left out, the steps left out and calibration rows not placed are told in
// one note at the end.
void startWindow(Workspace& ws, WindowPort& port, const StartRequest& request);

}  // namespace orelith
