#include "app/ScienceSteps.h"

#include <sstream>

#include "report/CmdPlot.h"
#include "report/CsvTable.h"
#include "resources/StringTable.h"

namespace orelith::batch {
namespace {

ScienceSettings settingsFrom(const Options& o, const Workspace& ws) {
  ScienceSettings s;
  s.saturation = o.saturation.value_or(ws.algorithm.hotPixelValue);
  s.aperture = o.photometry == "aperture";
  s.radius = o.aperture.value_or(0.0);
  if (o.annulus) std::tie(s.inner, s.outer) = *o.annulus;
  s.gain = o.gain.value_or(1.0);
  s.readNoise = o.readNoise.value_or(0.0);
  s.transform = o.model == "transform";
  return s;
}

// Keys go in byte order where that is easy: the writer would put them so
// anyway, but moving text costs time with a thousand stars.

void writeLine(JsonWriter& w, const char* name, const LineFit& f) {
  w.key(name);
  w.beginObject();
  w.member("chi2", f.chi2);
  w.member("colour", f.slope);
  w.member("colour_error", f.slopeError);
  w.member("colour_fitted", f.slopeFitted);
  w.member("covariance", f.covariance);
  w.member("zero", f.zero);
  w.member("zero_error", f.zeroError);
  w.endObject();
}

void writeDiagnostics(JsonWriter& w, const char* name, const ModelDiagnostics& d) {
  w.key(name);
  w.beginObject();
  w.member("loo_rms_BV", d.looRmsBV);
  w.member("loo_rms_V", d.looRmsV);
  w.member("rms_BV", d.rmsBV);
  w.member("rms_V", d.rmsV);
  w.key("stars");
  w.beginArray();
  for (int i = 0; i < d.count; ++i) {
    const CalibrationResidual& r = d.stars[i];
    w.beginObject();
    w.member("BV", r.BV);
    w.member("V", r.V);
    w.member("blue", r.blueStar);
    w.member("loo_BV", r.looBV);
    w.member("loo_V", r.looV);
    w.endObject();
  }
  w.endArray();
  w.endObject();
}

void writeAperture(JsonWriter& w, const ApertureResult& a) {
  w.key("aperture");
  w.beginObject();
  w.member("clipped", a.clipped);
  w.member("flux", a.flux);
  w.member("flux_error", a.fluxError);
  w.member("mag", a.mag);
  w.member("mag_error", a.magError);
  w.member("sky", a.sky);
  w.member("sky_pixels", a.skyPixels);
  w.member("sky_sigma", a.skySigma);
  w.member("x", a.x);
  w.member("y", a.y);
  w.endObject();
}

void writePhotometry(JsonWriter& w, const Workspace& ws, const ScienceTable& table,
                     const ScienceSettings& s) {
  w.key("photometry");
  w.beginObject();
  w.member("gain", s.gain);
  w.key("images");
  w.beginArray();
  for (int image : {kBlue, kGreen}) {
    const ImageScience& i = table.image[image];
    w.beginObject();
    if (table.apertureDone && hasBit(ws.progressFlags, kSearchedBit[image])) {
      w.key("annulus");
      w.beginArray();
      w.value(i.aperture.inner);
      w.value(i.aperture.outer);
      w.endArray();
      w.member("fwhm", i.fwhm);
      w.member("radius", i.aperture.radius);
    }
    w.member("sky", i.sky.level);
    w.member("sky_sigma", i.sky.sigma);
    w.endObject();
  }
  w.endArray();
  w.member("method", s.aperture ? "aperture" : "sum");
  w.member("read_noise", s.readNoise);
  w.member("saturation", s.saturation);
  w.endObject();
}

}  // namespace

void addScienceOptions(CLI::App& app, Options& o, std::string& annulus) {
  app.add_option("--saturation", o.saturation,
                 "peak value flagged as saturated (default: hot-pixel value)")
      ->check(CLI::Range(1, 65535));
  app.add_option("--photometry", o.photometry, "sum (the search's brightness) or aperture")
      ->check(CLI::IsMember({"sum", "aperture"}));
  app.add_option("--aperture", o.aperture,
                 "aperture radius in pixels (default: from the stars' FWHM)")
      ->check(CLI::Range(0.5, kMaxApertureRadius));
  app.add_option("--annulus", annulus, "sky annulus radii R1,R2 in pixels");
  app.add_option("--gain", o.gain, "electrons per count (default 1)")
      ->check(CLI::Range(0.01, 1000.0));
  app.add_option("--read-noise", o.readNoise, "read noise in electrons (default 0)")
      ->check(CLI::Range(0.0, 1000.0));
  app.add_option("--model", o.model, "polynomial (the calibration curves) or transform")
      ->check(CLI::IsMember({"polynomial", "transform"}));
  app.add_option("--csv", o.csv, "write every pair and star as CSV");
  app.add_option("--plot-cmd", o.plotCmd, "plot the colour-magnitude diagram as .svg or .png");
}

std::string checkScienceOptions(const std::string& annulus, Options& o) {
  if (annulus.empty()) return {};
  std::stringstream in(annulus);
  double inner = 0, outer = 0;
  char comma = 0;
  if (!(in >> inner >> comma >> outer) || comma != ',' || !in.eof() || inner <= 0 ||
      outer <= inner || outer > kMaxAnnulusRadius)
    return "--annulus takes R1,R2 with 0 < R1 < R2 <= 30";
  o.annulus = std::pair{inner, outer};
  return {};
}

bool computeScience(const Options& o, const Workspace& ws, ScienceTable& table, std::ostream& err) {
  const ScienceSettings s = settingsFrom(o, ws);
  computeStarFlags(ws, s, table);
  if (s.aperture) measureApertures(ws, s, table);
  if (hasBit(ws.progressFlags, PRG_MAGNITUDES)) computePolynomialDiagnostics(ws, table);
  if (s.transform && !computeTransform(ws, s, table)) {
    err << "ERROR: the transformation needs at least 2 calibration stars with a measured flux\n";
    return false;
  }
  return true;
}

bool writeScienceOutputs(const Options& o, const Workspace& ws, const ScienceTable& table,
                         std::ostream& err) {
  bool ok = true;
  int message = 0;
  if (!o.csv.empty() && !writeCsv(ws, table, o.csv, message)) {
    err << "ERROR: " << stringText(message) << " " << o.csv << '\n';
    ok = false;
  }
  if (!o.plotCmd.empty()) {
    const std::string title = std::string(ws.fileTitle[kBlue]) + " / " + ws.fileTitle[kGreen];
    if (!plotCmd(cmdPlotPoints(ws, table), title, o.plotCmd, message)) {
      err << "ERROR: " << stringText(message) << " " << o.plotCmd << '\n';
      ok = false;
    }
  }
  return ok;
}

void writeStarScience(JsonWriter& w, const Workspace& ws, const ScienceTable& table, int image,
                      int k) {
  if (table.apertureDone) writeAperture(w, table.aperture[k][image]);
  if (table.flagsDone) {
    const std::uint32_t f = table.flags[k][image];
    w.member("blended", hasBit(f, FLAG_BLENDED));
    w.member("edge", hasBit(f, FLAG_EDGE));
    w.member("extrapolated", hasBit(f, FLAG_EXTRAPOLATED));
    w.member("saturated", hasBit(f, FLAG_SATURATED));
  }
  if (image == kBlue && table.transformDone && star(ws, kBlue, k).partner >= 0 &&
      hasBit(ws.progressFlags, PRG_COMPARED)) {
    const StandardMagnitudes& m = table.standard[k];
    w.key("standard");
    w.beginObject();
    w.member("BV", m.BV);
    w.member("BV_error", m.BVError);
    w.member("V", m.V);
    w.member("V_error", m.VError);
    w.endObject();
  }
}

void writeTopScience(JsonWriter& w, const Workspace& ws, const ScienceTable& table,
                     const Options& o) {
  w.key("diagnostics");
  w.beginObject();
  if (table.polynomial.computed) writeDiagnostics(w, "polynomial", table.polynomial);
  if (table.transformDone) writeDiagnostics(w, "transform", table.transformed);
  w.endObject();
  writePhotometry(w, ws, table, settingsFrom(o, ws));
  if (table.transformDone) {
    w.key("transform");
    w.beginObject();
    writeLine(w, "BV", table.transform.bv);
    writeLine(w, "V", table.transform.v);
    w.member("stars", table.transform.v.count);
    w.endObject();
  }
}

}  // namespace orelith::batch
