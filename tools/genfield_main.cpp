// orelith-genfield: writes a synthetic blue/green ST-6 frame pair of a star
// cluster field, and optionally the true stars as CSV.
//
// Exit status: 0 written, 1 usage error, 2 a file could not be written.

#include <CLI/CLI.hpp>
#include <charconv>
#include <cstdio>
#include <string>
#include <string_view>

#include "tools/FieldGenerator.h"
#include "tools/St6Writer.h"

namespace {

using orelith::gen::FieldParams;

struct Options {
  FieldParams params;
  std::string blue, green, truth, shift;
};

bool parseInt(std::string_view text, int& out) {
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, out);
  return ec == std::errc() && ptr == end && !text.empty();
}

// "DX,DY", e.g. "3,-2".
bool parseShift(const std::string& text, int& dx, int& dy) {
  const std::size_t comma = text.find(',');
  if (comma == std::string::npos) return false;
  const std::string_view all(text);
  return parseInt(all.substr(0, comma), dx) && parseInt(all.substr(comma + 1), dy);
}

void addOptions(CLI::App& app, Options& o) {
  FieldParams& p = o.params;
  app.add_option("--seed", p.seed, "Random seed; the same seed gives the same files")
      ->required()
      ->check(CLI::NonNegativeNumber);
  app.add_option("--out-blue", o.blue, "ST-6 file of the blue (B) frame")->required();
  app.add_option("--out-green", o.green, "ST-6 file of the green (V) frame")->required();
  app.add_option("--truth", o.truth, "CSV file of the true stars");
  app.add_option("--stars", p.starCount, "Number of stars")->capture_default_str();
  app.add_option("--shift", o.shift,
                 "Whole-pixel shift DX,DY: green (x+DX, y+DY) shows blue (x, y) [3,-2]");
  app.add_option("--sky", p.sky, "Sky level in counts")->capture_default_str();
  app.add_option("--read-noise", p.readNoise, "Read noise in counts rms")->capture_default_str();
  app.add_option("--fwhm", p.fwhm, "FWHM of the star images in pixels")->capture_default_str();
  app.add_option("--hot-pixels", p.hotPixels, "Hot pixels per frame")->capture_default_str();
  app.add_option("--min-separation", p.minSeparation, "Least distance between stars in pixels")
      ->capture_default_str();
}

int usageError(const std::string& message) {
  std::fprintf(stderr, "orelith-genfield: %s\n", message.c_str());
  return 1;
}

int writeError(const std::string& path) {
  std::fprintf(stderr, "orelith-genfield: cannot write %s\n", path.c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app("Writes a synthetic blue/green ST-6 frame pair of a star cluster field.",
               "orelith-genfield");
  Options o;
  addOptions(app, o);
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return 1;
  }
  FieldParams& p = o.params;
  if (!o.shift.empty() && !parseShift(o.shift, p.shiftX, p.shiftY))
    return usageError("--shift wants DX,DY, e.g. 3,-2");
  if (std::string why = orelith::gen::checkFieldParams(p); !why.empty()) return usageError(why);

  const orelith::gen::FieldPair field = orelith::gen::generateField(p);
  if (!orelith::gen::writeSt6(o.blue, field.blue.data())) return writeError(o.blue);
  if (!orelith::gen::writeSt6(o.green, field.green.data())) return writeError(o.green);
  if (!o.truth.empty() && !orelith::gen::writeTruthCsv(o.truth, field.truth, p.shiftX, p.shiftY))
    return writeError(o.truth);
  return 0;
}
