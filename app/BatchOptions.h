// Command line of orelith-batch.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "image/Workspace.h"
#include "photometry/Science.h"

namespace CLI {
class App;
class Validator;
}  // namespace CLI

namespace orelith::batch {

struct StarPairArg {
  int blue;
  int green;
};

struct Options {
  std::string blue, green;
  std::optional<SearchRect> rect;
  // Whole numbers 0..65535, or any decimal for a floating-point frame.
  std::optional<double> backgroundBlue, backgroundGreen;
  bool autoBackground = false;
  bool noSubtract = false;
  std::optional<int> hotPixel, pixelPerStar, coefficients;
  bool search = false;
  bool compare = false;
  std::optional<std::pair<int, int>> offset;
  std::vector<StarPairArg> pairs;
  std::string calibrationFile, ignoreFile;
  bool calculate = false;
  std::string html, cmdMono, cmdColor;
  bool complex = false, thick = false;
  std::string renderBlue, renderGreen;
  // Slider positions 1..1024, or a floating-point frame's span of values.
  std::optional<double> rangeBlue, rangeGreen;
  bool customColorsBlue = false, customColorsGreen = false, moveMode = false;
  bool curveBlue = false, curveGreen = false;
  std::string json;  // "-" = standard output
  bool withPixels = false;
  // The science results beside the measurement, and their outputs.
  ScienceSettings science;
  std::string csv, plotCmd;
};

enum class ParseOutcome { Run, Exit0, UsageError };

// Runs `app`'s parser over argv; help and version texts go to `out`, usage
// errors to `err`. Shared by the batch tool and the window's command line.
ParseOutcome parseApp(CLI::App& app, int argc, const char* const* argv, std::string& out,
                      std::string& err);

// The check of a background option: for a floating-point FITS frame (the
// file `frameFile` gives once the arguments are read) any number within
// -1e38..1e38, for every other frame a whole number 0..65535, refused as
// CLI::Range refuses it.
CLI::Validator backgroundCheck(std::function<std::string()> frameFile);

// Parses argv into `options`; help and version texts go to `out`, usage
// errors to `err`.
ParseOutcome parseOptions(int argc, char** argv, Options& options, std::string& out,
                          std::string& err);

}  // namespace orelith::batch
