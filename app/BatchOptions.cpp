#include "app/BatchOptions.h"

#include <CLI/CLI.hpp>
#include <sstream>

namespace orelith::batch {
namespace {

// "A,B,C,D" into ints; false unless exactly `count` integers.
bool parseInts(const std::string& text, int count, std::vector<int>& values) {
  values.clear();
  std::stringstream in(text);
  std::string part;
  while (std::getline(in, part, ',')) {
    std::size_t used = 0;
    try {
      values.push_back(std::stoi(part, &used));
    } catch (const std::exception&) {
      return false;
    }
    if (used != part.size()) return false;
  }
  return static_cast<int>(values.size()) == count && !text.empty() && text.back() != ',';
}

std::string checkRect(const std::string& text, Options& o) {
  std::vector<int> v;
  if (!parseInts(text, 4, v)) return "--rect takes L,T,R,B";
  if (v[0] < 0 || v[1] < 0 || v[2] > kImageWidth || v[3] > kImageHeight || v[0] >= v[2] ||
      v[1] >= v[3])
    return "--rect must lie in 0,0,375,242 and cover at least one pixel";
  o.rect = SearchRect{v[0], v[1], v[2], v[3]};
  return {};
}

std::string checkOffset(const std::string& text, Options& o) {
  std::vector<int> v;
  if (!parseInts(text, 2, v)) return "--offset takes DX,DY";
  if (v[0] < -16 || v[0] > 16 || v[1] < -16 || v[1] > 16) return "--offset: each of -16..16";
  o.offset = std::pair{v[0], v[1]};
  return {};
}

std::string checkPairs(const std::string& text, Options& o) {
  std::stringstream in(text);
  std::string part;
  while (std::getline(in, part, ',')) {
    const auto colon = part.find(':');
    std::vector<int> v;
    if (colon == std::string::npos ||
        !parseInts(part.substr(0, colon) + "," + part.substr(colon + 1), 2, v) || v[0] < 0 ||
        v[1] < 0 || v[0] >= kMaxStars || v[1] >= kMaxStars)
      return "--pairs takes B0:G0,B1:G1,B2:G2 with star numbers from 0";
    o.pairs.push_back({v[0], v[1]});
  }
  if (o.pairs.size() != 3) return "--pairs takes exactly three pairs";
  return {};
}

// The science options' words, as given.
struct ScienceWords {
  std::string photometry = "sum";
  std::string model = "polynomial";
  std::string annulus;
};

void addScienceOptions(CLI::App& app, Options& o, ScienceWords& words) {
  ScienceSettings& s = o.science;
  app.add_option("--saturation", s.saturation,
                 "peak value flagged as saturated (default: hot-pixel value)")
      ->check(CLI::Range(1, 65535));
  app.add_option("--photometry", words.photometry, "sum (the search's brightness) or aperture")
      ->check(CLI::IsMember({"sum", "aperture"}));
  app.add_option("--aperture", s.radius,
                 "aperture radius in pixels (default: from the stars' FWHM)")
      ->check(CLI::Range(0.5, kMaxApertureRadius));
  app.add_option("--annulus", words.annulus, "sky annulus radii R1,R2 in pixels");
  app.add_option("--gain", s.gain, "electrons per count (default 1)")
      ->check(CLI::Range(0.01, 1000.0));
  app.add_option("--read-noise", s.readNoise, "read noise in electrons (default 0)")
      ->check(CLI::Range(0.0, 1000.0));
  app.add_option("--model", words.model, "polynomial (the calibration curves) or transform")
      ->check(CLI::IsMember({"polynomial", "transform"}));
  app.add_option("--csv", o.csv, "write every pair and star as CSV");
  app.add_option("--plot-cmd", o.plotCmd, "plot the colour-magnitude diagram as .svg or .png");
}

// Empty, or what is wrong with the science options.
std::string applyScienceWords(const ScienceWords& words, ScienceSettings& s) {
  s.aperture = words.photometry == "aperture";
  s.transform = words.model == "transform";
  if (words.annulus.empty()) return {};
  std::stringstream in(words.annulus);
  double inner = 0, outer = 0;
  char comma = 0;
  if (!(in >> inner >> comma >> outer) || comma != ',' || !in.eof() || inner <= 0 ||
      outer <= inner || outer > kMaxAnnulusRadius)
    return "--annulus takes R1,R2 with 0 < R1 < R2 <= 30";
  s.inner = inner;
  s.outer = outer;
  return {};
}

void addOptions(CLI::App& app, Options& o) {
  app.add_option("--blue", o.blue, "ST-6 file of the blue (B) frame");
  app.add_option("--green", o.green, "ST-6 file of the green (V) frame");
  app.add_option("--background-blue", o.backgroundBlue, "background of the blue image")
      ->check(CLI::Range(0, 65535));
  app.add_option("--background-green", o.backgroundGreen, "background of the green image")
      ->check(CLI::Range(0, 65535));
  app.add_flag("--auto-background", o.autoBackground,
               "choose the background that yields the most stars");
  app.add_flag("--no-subtract", o.noSubtract,
               "sum pixel values without subtracting the background");
  app.add_option("--hot-pixel", o.hotPixel, "hot-pixel value")->check(CLI::Range(0, 65535));
  app.add_option("--pixel-per-star", o.pixelPerStar, "pixel-per-star value")
      ->check(CLI::Range(0, 512));
  app.add_option("--coefficients", o.coefficients, "coefficients of each calibration curve")
      ->check(CLI::Range(0, 10));
  app.add_flag("--search", o.search, "search the stars of each loaded image");
  app.add_flag("--compare", o.compare, "pair the stars of the two images");
  app.add_option("--calibration", o.calibrationFile,
                 "CSV x,y,V,BV of calibration stars (blue pixels)");
  app.add_option("--ignore", o.ignoreFile, "CSV x,y of stars to ignore (blue pixels)");
  app.add_flag("--calculate", o.calculate, "fit the curves and compute the magnitudes");
  app.add_option("--html", o.html, "write the HTML report");
  app.add_flag("--complex", o.complex, "the report with every column");
  app.add_option("--cmd-mono", o.cmdMono, "write the monochrome colour-magnitude diagram");
  app.add_option("--cmd-color", o.cmdColor, "write the 16-colour colour-magnitude diagram");
  app.add_flag("--thick", o.thick, "thick stars in the diagram");
  app.add_option("--render-blue", o.renderBlue, "write the blue panel as PNG");
  app.add_option("--render-green", o.renderGreen, "write the green panel as PNG");
  app.add_option("--range-blue", o.rangeBlue, "blue range slider position")
      ->check(CLI::Range(1, 1024));
  app.add_option("--range-green", o.rangeGreen, "green range slider position")
      ->check(CLI::Range(1, 1024));
  app.add_flag("--custom-colors-blue", o.customColorsBlue, "two-colour map in the blue panel");
  app.add_flag("--custom-colors-green", o.customColorsGreen, "two-colour map in the green panel");
  app.add_flag("--move-mode", o.moveMode, "overlay both images in the blue panel");
  app.add_flag("--curve-blue", o.curveBlue, "blue panel shows the calibration plot");
  app.add_flag("--curve-green", o.curveGreen, "green panel shows the calibration plot");
  app.add_option("--json", o.json, "write the state as JSON to FILE, or - for standard output");
  app.add_flag("--with-pixels", o.withPixels, "include each star's pixel list");
}

}  // namespace

ParseOutcome parseOptions(int argc, char** argv, Options& options, std::string& out,
                          std::string& err) {
  CLI::App app{"orelith-batch: two-colour photometry of a star field without a window"};
  app.set_version_flag("--version", std::string(ORELITH_VERSION));
  addOptions(app, options);
  // Unset stays nullopt, so that an empty value (--rect '') is an error, not absence.
  std::optional<std::string> rect, offset, pairs;
  app.add_option("--rect", rect,
                 "search rectangle L,T,R,B of both images (right, bottom exclusive)");
  app.add_option("--offset", offset, "compare at this green offset DX,DY (manual mode)");
  app.add_option("--pairs", pairs, "compare through three star pairs B0:G0,B1:G1,B2:G2");
  ScienceWords words;
  addScienceOptions(app, options, words);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    std::ostringstream o, e2;
    const int rc = app.exit(e, o, e2);
    out = o.str();
    err = e2.str();
    return rc == 0 ? ParseOutcome::Exit0 : ParseOutcome::UsageError;
  }
  for (auto [text, check] : {std::pair{&rect, &checkRect}, std::pair{&offset, &checkOffset},
                             std::pair{&pairs, &checkPairs}}) {
    if (!*text) continue;
    if (std::string problem = check(**text, options); !problem.empty()) {
      err = problem + "\n";
      return ParseOutcome::UsageError;
    }
  }
  for (const char* name :
       {"--blue", "--green", "--calibration", "--ignore", "--html", "--cmd-mono", "--cmd-color",
        "--render-blue", "--render-green", "--json", "--csv", "--plot-cmd"}) {
    const CLI::Option* given = app.get_option(name);
    if (given->count() > 0 && given->as<std::string>().empty()) {
      err = std::string(name) + " needs a file name\n";
      return ParseOutcome::UsageError;
    }
  }
  if (std::string problem = applyScienceWords(words, options.science); !problem.empty()) {
    err = problem + "\n";
    return ParseOutcome::UsageError;
  }
  if (options.offset && !options.pairs.empty()) {
    err = "--offset and --pairs choose different comparisons; give one\n";
    return ParseOutcome::UsageError;
  }
  return ParseOutcome::Run;
}

}  // namespace orelith::batch
