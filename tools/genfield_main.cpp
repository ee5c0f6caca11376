// orelith-genfield: writes a synthetic blue/green frame pair of a star
// cluster field, as ST-6 files or as FITS images of any size and pixel type,
// and optionally the true stars as CSV.
//
// Exit status: 0 written, 1 usage error, 2 a file could not be written.

#include <CLI/CLI.hpp>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Number.h"
#include "tools/FieldGenerator.h"
#include "tools/FitsWriter.h"
#include "tools/St6Writer.h"

namespace {

using orelith::gen::FieldParams;
using orelith::gen::FitsLayout;

struct Options {
  FieldParams params;
  std::string blue, green, truth, shift, size, greenSize, wcs;
  bool fits = false;
  bool exactNoise = false;
  bool realistic = false;
  FitsLayout layout;
};

// The parts of `text` between the separators.
std::vector<std::string_view> split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  std::size_t at = 0;
  for (std::size_t next; (next = text.find(separator, at)) != std::string_view::npos; at = next + 1)
    parts.push_back(text.substr(at, next - at));
  parts.push_back(text.substr(at));
  return parts;
}

// Two integers with a separator: "DX,DY" (e.g. "3,-2"), "WxH" (e.g. "4096x4096").
bool parseIntPair(const std::string& text, char separator, int& first, int& second) {
  const std::vector<std::string_view> parts = split(text, separator);
  const std::optional<int> a = parts.size() == 2 ? orelith::parseInt(parts[0]) : std::nullopt;
  const std::optional<int> b = parts.size() == 2 ? orelith::parseInt(parts[1]) : std::nullopt;
  if (!a || !b) return false;
  first = *a;
  second = *b;
  return true;
}

// "RA,DEC,ARCSEC", e.g. "83.8,-5.4,1.2".
bool parseWcs(const std::string& text, orelith::gen::TanWcs& wcs) {
  double* const out[] = {&wcs.ra, &wcs.dec, &wcs.arcsecPerPixel};
  const std::vector<std::string_view> parts = split(text, ',');
  if (parts.size() != 3) return false;
  for (std::size_t k = 0; k < 3; ++k) {
    const std::optional<double> value = orelith::parseDecimal(parts[k]);
    if (!value) return false;
    *out[k] = *value;
  }
  return wcs.arcsecPerPixel > 0.0;
}

void addFitsOptions(CLI::App& app, Options& o) {
  FieldParams& p = o.params;
  FitsLayout& l = o.layout;
  app.add_flag("--fits", o.fits, "Write FITS images instead of ST-6 files");
  app.add_option("--size", o.size, "Size WxH of the blue frame (FITS) [375x242]");
  app.add_option("--green-size", o.greenSize, "Size WxH of the green frame (FITS) [as blue]");
  app.add_flag(
      "--spread", [&p](std::int64_t) { p.overlapOnly = false; },
      "Stars anywhere in either frame, not only where both overlap");
  app.add_option("--bitpix", l.bitpix, "FITS pixel type: 8, 16, 32, -32 or -64")
      ->capture_default_str();
  app.add_flag("--compress", l.compressed, "Tile-compressed FITS (Rice; GZIP for floats)");
  app.add_flag("--exact-noise", o.exactNoise,
               "FITS: Poisson noise drawn exactly, not as a Gaussian above 100 counts (slow)");
  app.add_option("--bzero", l.bzero, "Physical value = BZERO + BSCALE * counts")
      ->capture_default_str();
  app.add_option("--bscale", l.bscale, "Physical value = BZERO + BSCALE * counts")
      ->capture_default_str();
  app.add_option("--blank-pixels", p.blankPixels, "Pixels without a value per frame (FITS)")
      ->capture_default_str();
  app.add_option("--wcs", o.wcs,
                 "RA,DEC,ARCSEC: tangent-plane coordinates of the blue frame's centre (FITS)");
}

void addOptions(CLI::App& app, Options& o) {
  FieldParams& p = o.params;
  app.add_option("--seed", p.seed, "Random seed; the same seed gives the same files")
      ->required()
      ->check(CLI::NonNegativeNumber);
  app.add_option("--out-blue", o.blue, "File of the blue (B) frame")->required();
  app.add_option("--out-green", o.green, "File of the green (V) frame")->required();
  app.add_option("--truth", o.truth, "CSV file of the true stars");
  app.add_flag("--realistic", o.realistic,
               "Start from a real CCD frame's traits (Moffat images, noisy saturation plateaus "
               "near 30000, a corrected flat, blends, dead pixels, giants); other options then "
               "change them");
  app.add_option("--stars", p.starCount, "Number of stars")->capture_default_str();
  app.add_option("--shift", o.shift,
                 "Whole-pixel shift DX,DY: green (x+DX, y+DY) shows blue (x, y) [3,-2]");
  app.add_option("--sky", p.sky, "Sky level in counts")->capture_default_str();
  app.add_option("--read-noise", p.readNoise, "Read noise in counts rms")->capture_default_str();
  app.add_option("--fwhm", p.fwhm, "FWHM of the star images in pixels")->capture_default_str();
  app.add_option("--hot-pixels", p.hotPixels, "Hot pixels per frame")->capture_default_str();
  app.add_option("--min-separation", p.minSeparation, "Least distance between stars in pixels")
      ->capture_default_str();
  app.add_option("--full-well", p.fullWell, "Counts at which a pixel saturates")
      ->capture_default_str();
  app.add_option("--flat-ripple", p.flatRipple, "Relative amplitude of a flat-field ripple")
      ->capture_default_str();
  addFitsOptions(app, o);
}

int usageError(const std::string& message) {
  std::fprintf(stderr, "orelith-genfield: %s\n", message.c_str());
  return 1;
}

int writeError(const std::string& path) {
  std::fprintf(stderr, "orelith-genfield: cannot write %s\n", path.c_str());
  return 2;
}

// Both frames with filters B and V; the green frame's coordinates follow
// the shift, so that both put a star at the same place in the sky.
std::string writeFitsPair(const Options& o, const orelith::gen::FieldPair& field) {
  const FieldParams& p = o.params;
  FitsLayout blue = o.layout;
  blue.filter = "B";
  blue.wcs.refX = (p.width - 1) / 2.0;
  blue.wcs.refY = (p.height - 1) / 2.0;
  FitsLayout green = blue;
  green.filter = "V";
  green.wcs.refX += p.shiftX;
  green.wcs.refY += p.shiftY;
  std::string why =
      orelith::gen::writeFits(o.blue, field.blue.data(), p.width, p.height, field.blankBlue, blue);
  if (!why.empty()) return why;
  return orelith::gen::writeFits(o.green, field.green.data(), orelith::gen::greenWidth(p),
                                 orelith::gen::greenHeight(p), field.blankGreen, green);
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app("Writes a synthetic blue/green frame pair of a star cluster field.",
               "orelith-genfield");
  Options o;
  addOptions(app, o);
  try {
    app.parse(argc, argv);
    if (o.realistic) {
      // Parsed again over the realistic start, so that the options given win.
      o.params = orelith::gen::realisticParams(0);
      app.parse(argc, argv);
    }
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return 1;
  }
  FieldParams& p = o.params;
  if (!o.shift.empty() && !parseIntPair(o.shift, ',', p.shiftX, p.shiftY))
    return usageError("--shift wants DX,DY, e.g. 3,-2");
  if (!o.size.empty() && !parseIntPair(o.size, 'x', p.width, p.height))
    return usageError("--size wants WxH, e.g. 4096x4096");
  if (!o.greenSize.empty() && !parseIntPair(o.greenSize, 'x', p.greenWidth, p.greenHeight))
    return usageError("--green-size wants WxH, e.g. 4096x4096");
  if (!o.wcs.empty() && !parseWcs(o.wcs, o.layout.wcs))
    return usageError("--wcs wants RA,DEC,ARCSEC with a positive scale, e.g. 83.8,-5.4,1.2");
  if (!o.fits && (p.width != 375 || p.height != 242 || p.greenWidth || p.greenHeight ||
                  p.blankPixels || !o.wcs.empty()))
    return usageError("ST-6 frames are 375x242 without blank pixels or coordinates; add --fits");
  if (o.fits && !o.exactNoise) p.gaussianAbove = 100.0;
  const int bitpix = o.layout.bitpix;
  if (bitpix != 8 && bitpix != 16 && bitpix != 32 && bitpix != -32 && bitpix != -64)
    return usageError("--bitpix must be 8, 16, 32, -32 or -64");
  if (std::string why = orelith::gen::checkFieldParams(p); !why.empty()) return usageError(why);

  const orelith::gen::FieldPair field = orelith::gen::generateField(p);
  if (o.fits) {
    if (std::string why = writeFitsPair(o, field); !why.empty()) {
      std::fprintf(stderr, "orelith-genfield: %s\n", why.c_str());
      return 2;
    }
  } else {
    if (!orelith::gen::writeSt6(o.blue, field.blue.data())) return writeError(o.blue);
    if (!orelith::gen::writeSt6(o.green, field.green.data())) return writeError(o.green);
  }
  if (!o.truth.empty() && !orelith::gen::writeTruthCsv(o.truth, field.truth, p.shiftX, p.shiftY))
    return writeError(o.truth);
  return 0;
}
