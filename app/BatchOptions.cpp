#include "app/BatchOptions.h"

#include <CLI/CLI.hpp>
#include <array>
#include <cmath>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string_view>
#include <system_error>

#include "base/File.h"
#include "base/Number.h"
#include "display/DisplayControls.h"
#include "display/Render.h"
#include "image/FitsReader.h"
#include "report/SaveCommand.h"

namespace orelith::batch {
namespace {

// CLI11 drops the empty items of a list it splits, so that "1,2,3,4," would
// pass as four values: such a list is refused before it is split.
std::string emptyListItem(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    for (std::string_view name : {"--rect", "--offset", "--pairs", "--annulus"}) {
      std::string_view value;
      if (arg == name && i + 1 < argc) {
        value = argv[i + 1];
      } else if (arg.starts_with(name) && arg.substr(name.size(), 1) == "=") {
        value = arg.substr(name.size() + 1);
      } else {
        continue;
      }
      if (value.empty() || value.front() == ',' || value.back() == ',' ||
          value.find(",,") != std::string_view::npos)
        return std::string(name) + ": an empty item in '" + std::string(value) + "'";
    }
  }
  return {};
}

// CLI::Range lets NaN through: every comparison with it is false. Only a
// finite decimal number passes.
const CLI::Validator kNotNaN(
    [](std::string& text) { return parseDecimal(text) ? std::string() : "not a number: " + text; },
    "");

}  // namespace

namespace {

// A check that takes any number `decimal` accepts when the frame `frameFile`
// gives is a floating-point FITS frame, and passes every other frame's text
// to `whole`, which refuses with its own message. Run once every argument is
// read, so the frame is known wherever its option stands.
CLI::Validator byFrameKind(std::function<std::string()> frameFile, const CLI::Validator& whole,
                           std::function<bool(double)> decimal, const std::string& what) {
  return CLI::Validator(
      [=](std::string& text) {
        if (!holdsFloatFrame(frameFile())) return whole(text);
        const std::optional<double> value = parseDecimal(text);
        return value && decimal(*value) ? std::string() : what + ", not " + text;
      },
      "");
}

}  // namespace

CLI::Validator backgroundCheck(std::function<std::string()> frameFile) {
  return byFrameKind(
      std::move(frameFile), CLI::Range(0, kMaxBackground),
      [](double v) { return std::fabs(v) <= kMaxFloatBackground; },
      "a floating-point frame's background is a number from -1e38 to 1e38");
}

namespace {

bool starNumber(std::string_view text, int& value) {
  const std::optional<int> number = parseInt(text);
  value = number.value_or(-1);
  return value >= 0 && value < kMaxFrameStars;
}

// "B:G", a blue and a green star number.
bool starPair(std::string_view text, StarPairArg& pair) {
  const auto colon = text.find(':');
  return colon != std::string_view::npos && starNumber(text.substr(0, colon), pair.blue) &&
         starNumber(text.substr(colon + 1), pair.green);
}

const CLI::Validator kStarPair(
    [](std::string& text) {
      StarPairArg pair{};
      return starPair(text, pair) ? std::string()
                                  : "'" + text + "' is not B:G with star numbers 0..1023";
    },
    "");

// The list options, split and range-checked by CLI11.
struct Lists {
  std::optional<std::array<int, 4>> rect;
  std::vector<int> offset;  // two values (CLI11 2.1 warns about its own pair reader)
  std::vector<std::string> pairs;
  std::vector<double> annulus;
};

// The last value given to option `name`, read before its callback has run.
std::string lastValue(const CLI::App& app, const char* name) {
  const std::vector<std::string>& given = app.get_option(name)->results();
  return given.empty() ? std::string() : given.back();
}

// The size --rect must lie in: the largest of the frames given, each FITS
// file by its header and any other file, or none, as an ST-6 frame of
// 375 x 242. The search clips the rectangle to each image.
std::pair<int, int> rectBound(const std::string& blue, const std::string& green) {
  std::pair<int, int> bound{kImageWidth, kImageHeight};
  for (const std::string& file : {blue, green}) {
    if (const auto size = readFitsSize(file)) {
      bound.first = std::max(bound.first, size->first);
      bound.second = std::max(bound.second, size->second);
    }
  }
  return bound;
}

void addListOptions(CLI::App& app, Lists& l) {
  app.add_option("--rect", l.rect,
                 "search rectangle L,T,R,B of both images (right, bottom exclusive), within the "
                 "largest frame")
      ->delimiter(',')
      // Checked once every argument is read: each number lies within the
      // longer side of the frames (375 for ST-6 frames).
      ->check(CLI::Validator(
          [&app](std::string& text) {
            const auto [width, height] =
                rectBound(lastValue(app, "--blue"), lastValue(app, "--green"));
            return CLI::Range(0, std::max(width, height))(text);
          },
          ""));
  app.add_option("--offset", l.offset, "compare at this green offset DX,DY (manual mode)")
      ->delimiter(',')
      ->expected(2)
      ->check(CLI::Range(-16, 16));
  app.add_option("--pairs", l.pairs, "compare through three star pairs B0:G0,B1:G1,B2:G2")
      ->delimiter(',')
      ->expected(3)
      ->check(kStarPair)
      ->type_name("B:G");
  app.add_option("--annulus", l.annulus, "sky annulus radii R1,R2 in pixels")
      ->delimiter(',')
      ->expected(2)
      ->check(kNotNaN)
      ->check(CLI::Range(kAnnulusBound.low, kAnnulusBound.high));
}

// What CLI11 cannot check: the order of the bounds, and stars named twice.
std::string applyLists(const Lists& l, Options& o) {
  if (l.rect) {
    const auto [left, top, right, bottom] = *l.rect;
    const auto [width, height] = rectBound(o.blue, o.green);
    if (right > width || bottom > height || left >= right || top >= bottom)
      return "--rect must lie in 0,0," + std::to_string(width) + "," + std::to_string(height) +
             " and cover at least one pixel";
    o.rect = SearchRect{left, top, right, bottom};
  }
  if (!l.offset.empty()) o.offset = std::pair{l.offset[0], l.offset[1]};
  for (const std::string& text : l.pairs) {
    StarPairArg pair{};
    starPair(text, pair);
    for (const StarPairArg& before : o.pairs) {
      if (before.blue == pair.blue)
        return "--pairs names blue star " + std::to_string(pair.blue) + " twice";
      if (before.green == pair.green)
        return "--pairs names green star " + std::to_string(pair.green) + " twice";
    }
    o.pairs.push_back(pair);
  }
  if (!l.annulus.empty()) {
    const double inner = l.annulus[0], outer = l.annulus[1];
    ScienceSettings sky;
    sky.inner = inner;
    sky.outer = outer;
    // 0,0 would be the automatic sky, which leaving the option out gives.
    if (inner <= 0 || checkScienceSettings(sky) == ScienceProblem::AnnulusOrder)
      return "--annulus takes R1,R2 with 0 < R1 < R2 <= 30";
    o.science.inner = inner;
    o.science.outer = outer;
  }
  return {};
}

// The science options' words, as given.
struct ScienceWords {
  std::string photometry = "sum";
  std::string model = "polynomial";
};

void addScienceOptions(CLI::App& app, Options& o, ScienceWords& words) {
  ScienceSettings& s = o.science;
  app.add_option("--saturation", s.saturation,
                 "peak value flagged as saturated (default: found in each frame from its "
                 "brightest stars)")
      ->check(CLI::Range(static_cast<int>(kSaturationBound.low),
                         static_cast<int>(kSaturationBound.high)));
  app.add_option("--photometry", words.photometry, "sum (the search's brightness) or aperture")
      ->check(CLI::IsMember({"sum", "aperture"}));
  app.add_option("--aperture", s.radius,
                 "aperture radius in pixels (default: where the stars' curve of growth flattens)")
      ->check(kNotNaN)
      ->check(CLI::Range(kApertureRadiusBound.low, kApertureRadiusBound.high));
  app.add_option("--gain", s.gain, "electrons per count (default 1)")
      ->check(kNotNaN)
      ->check(CLI::Range(kGainBound.low, kGainBound.high));
  app.add_option("--read-noise", s.readNoise, "read noise in electrons (default 0)")
      ->check(kNotNaN)
      ->check(CLI::Range(kReadNoiseBound.low, kReadNoiseBound.high));
  app.add_option("--model", words.model, "polynomial (the calibration curves) or transform")
      ->check(CLI::IsMember({"polynomial", "transform"}));
  app.add_flag("--keep-flagged", s.keepFlagged,
               "use saturated, blended and edge calibration stars as measured (default: "
               "measure them by the point-spread function, or leave them out)");
  app.add_option("--csv", o.csv, "write every pair and star as CSV");
  app.add_option("--plot-cmd", o.plotCmd, "plot the colour-magnitude diagram as .svg or .png");
}

void applyScienceWords(const ScienceWords& words, ScienceSettings& s) {
  s.aperture = words.photometry == "aperture";
  s.transform = words.model == "transform";
}

void addOptions(CLI::App& app, Options& o) {
  const CLI::Option* blue = app.add_option("--blue", o.blue, "ST-6 file of the blue (B) frame");
  const CLI::Option* green = app.add_option("--green", o.green, "ST-6 file of the green (V) frame");
  const auto frameOf = [](const CLI::Option* file) {
    return [file] { return file->results().empty() ? std::string() : file->results().back(); };
  };
  app.add_option("--background-blue", o.backgroundBlue,
                 "background of the blue image (a decimal for a floating-point FITS frame)")
      ->check(backgroundCheck(frameOf(blue)));
  app.add_option("--background-green", o.backgroundGreen,
                 "background of the green image (a decimal for a floating-point FITS frame)")
      ->check(backgroundCheck(frameOf(green)));
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
  // A floating-point frame's range is a value span, taken to the nearest
  // slider step of its range unit.
  const auto rangeCheck = [&](const CLI::Option* file) {
    return byFrameKind(
        frameOf(file), CLI::Range(kMinRange, kMaxRange), [](double v) { return v > 0; },
        "a floating-point frame's range is a number above 0");
  };
  app.add_option("--range-blue", o.rangeBlue,
                 "blue range slider position (a value span for a floating-point FITS frame)")
      ->check(rangeCheck(blue));
  app.add_option("--range-green", o.rangeGreen,
                 "green range slider position (a value span for a floating-point FITS frame)")
      ->check(rangeCheck(green));
  app.add_flag("--custom-colors-blue", o.customColorsBlue, "two-colour map in the blue panel");
  app.add_flag("--custom-colors-green", o.customColorsGreen, "two-colour map in the green panel");
  app.add_flag("--move-mode", o.moveMode, "overlay both images in the blue panel");
  app.add_flag("--curve-blue", o.curveBlue, "blue panel shows the calibration plot");
  app.add_flag("--curve-green", o.curveGreen, "green panel shows the calibration plot");
  app.add_option("--json", o.json, "write the state as JSON to FILE, or - for standard output");
  app.add_flag("--with-pixels", o.withPixels, "include each star's pixel list");
}

bool endsWith(const std::string& text, std::string_view tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

struct NamedFile {
  const char* option;
  std::string given;
  std::string path;  // as written: the report and the diagrams with their extension
};

std::vector<NamedFile> outputFiles(const Options& o) {
  const auto saved = [](const std::string& name, int filter) {
    return name.empty() ? name : extendedName(name, filter);
  };
  const std::string json = o.json == "-" ? std::string() : o.json;
  const NamedFile all[] = {{"--html", o.html, saved(o.html, kSaveFilterHtml)},
                           {"--cmd-mono", o.cmdMono, saved(o.cmdMono, kSaveFilterMonochrome)},
                           {"--cmd-color", o.cmdColor, saved(o.cmdColor, kSaveFilterColour)},
                           {"--render-blue", o.renderBlue, o.renderBlue},
                           {"--render-green", o.renderGreen, o.renderGreen},
                           {"--json", json, json},
                           {"--csv", o.csv, o.csv},
                           {"--plot-cmd", o.plotCmd, o.plotCmd}};
  std::vector<NamedFile> files;
  for (const NamedFile& f : all)
    if (!f.path.empty()) files.push_back(f);
  return files;
}

bool namesFolder(const std::string& name) {
  const std::string last = std::filesystem::path(name).filename().string();
  // A name the kernel will not let us look at (a link it protects) is no
  // folder here; the writer's own open then refuses it with its message.
  std::error_code unreadable;
  return last.empty() || last == "." || last == ".." ||
         std::filesystem::is_directory(name, unreadable);
}

// Empty, or why an output would destroy an input or another output.
std::string checkFiles(const Options& o) {
  const std::vector<NamedFile> outputs = outputFiles(o);
  const NamedFile inputs[] = {{"--blue", o.blue, o.blue},
                              {"--green", o.green, o.green},
                              {"--calibration", o.calibrationFile, o.calibrationFile},
                              {"--ignore", o.ignoreFile, o.ignoreFile}};
  for (auto out = outputs.begin(); out != outputs.end(); ++out) {
    if (namesFolder(out->given))
      return std::string(out->option) + ": " + out->given + " names a folder, not a file";
    const auto clash = [&](const NamedFile& other) {
      return std::string(out->option) + " names " + out->path + ", already the file of " +
             other.option;
    };
    for (const NamedFile& in : inputs)
      if (!in.path.empty() && sameFile(out->path, in.path)) return clash(in);
    for (auto before = outputs.begin(); before != out; ++before)
      if (sameFile(out->path, before->path)) return clash(*before);
  }
  return {};
}

// The first of these checks that fails, or empty.
std::string checkValues(const CLI::App& app, const Lists& lists, Options& o) {
  for (const char* name :
       {"--blue", "--green", "--calibration", "--ignore", "--html", "--cmd-mono", "--cmd-color",
        "--render-blue", "--render-green", "--json", "--csv", "--plot-cmd"}) {
    const CLI::Option* given = app.get_option(name);
    if (given->count() > 0 && given->as<std::string>().empty())
      return std::string(name) + " needs a file name";
  }
  if (std::string problem = applyLists(lists, o); !problem.empty()) return problem;
  if (o.offset && !o.pairs.empty())
    return "--offset and --pairs choose different comparisons; give one";
  const ScienceSettings& s = o.science;
  if (checkScienceSettings(s) == ScienceProblem::AnnulusInsideAperture)
    return "--annulus must start outside the aperture: R1 at least the --aperture radius";
  if (!o.plotCmd.empty() && !endsWith(o.plotCmd, ".svg") && !endsWith(o.plotCmd, ".png"))
    return "--plot-cmd writes SVG or PNG: give a file name ending in .svg or .png";
  return checkFiles(o);
}

}  // namespace

ParseOutcome parseApp(CLI::App& app, int argc, const char* const* argv, std::string& out,
                      std::string& err) {
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    std::ostringstream o, e2;
    const int rc = app.exit(e, o, e2);
    out = o.str();
    err = e2.str();
    return rc == 0 ? ParseOutcome::Exit0 : ParseOutcome::UsageError;
  }
  return ParseOutcome::Run;
}

ParseOutcome parseOptions(int argc, char** argv, Options& options, std::string& out,
                          std::string& err) {
  CLI::App app{"orelith-batch: two-colour photometry of a star field without a window"};
  app.set_version_flag("--version", std::string(ORELITH_VERSION));
  addOptions(app, options);
  Lists lists;
  addListOptions(app, lists);
  ScienceWords words;
  addScienceOptions(app, options, words);
  if (std::string problem = emptyListItem(argc, argv); !problem.empty()) {
    err = problem + "\n";
    return ParseOutcome::UsageError;
  }
  if (const ParseOutcome o = parseApp(app, argc, argv, out, err); o != ParseOutcome::Run) return o;
  applyScienceWords(words, options.science);
  if (std::string problem = checkValues(app, lists, options); !problem.empty()) {
    err = problem + "\n";
    return ParseOutcome::UsageError;
  }
  return ParseOutcome::Run;
}

}  // namespace orelith::batch
