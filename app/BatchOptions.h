// Command line of orelith-batch.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "image/Workspace.h"
#include "photometry/Science.h"

namespace CLI {
class App;
}

namespace orelith::batch {

struct StarPairArg {
  int blue;
  int green;
};

struct Options {
  std::string blue, green;
  std::optional<SearchRect> rect;
  std::optional<int> backgroundBlue, backgroundGreen;
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
  std::optional<int> rangeBlue, rangeGreen;
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

// Parses argv into `options`; help and version texts go to `out`, usage
// errors to `err`.
ParseOutcome parseOptions(int argc, char** argv, Options& options, std::string& out,
                          std::string& err);

}  // namespace orelith::batch
