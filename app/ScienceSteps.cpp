#include "app/ScienceSteps.h"

#include <sstream>

#include "report/CmdPlot.h"
#include "report/CsvTable.h"
#include "resources/StringTable.h"

namespace orelith::batch {
namespace {

using nlohmann::json;

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

json lineJson(const LineFit& f) {
  return {{"zero", f.zero},
          {"zero_error", f.zeroError},
          {"colour", f.slope},
          {"colour_error", f.slopeError},
          {"covariance", f.covariance},
          {"colour_fitted", f.slopeFitted},
          {"chi2", f.chi2}};
}

json diagnosticsJson(const ModelDiagnostics& d) {
  json stars = json::array();
  for (int i = 0; i < d.count; ++i) {
    const CalibrationResidual& r = d.stars[i];
    stars.push_back(
        {{"blue", r.blueStar}, {"V", r.V}, {"BV", r.BV}, {"loo_V", r.looV}, {"loo_BV", r.looBV}});
  }
  return {{"stars", std::move(stars)},
          {"rms_V", d.rmsV},
          {"rms_BV", d.rmsBV},
          {"loo_rms_V", d.looRmsV},
          {"loo_rms_BV", d.looRmsBV}};
}

json apertureJson(const ApertureResult& a) {
  return {{"x", a.x},
          {"y", a.y},
          {"flux", a.flux},
          {"flux_error", a.fluxError},
          {"sky", a.sky},
          {"sky_sigma", a.skySigma},
          {"sky_pixels", a.skyPixels},
          {"mag", a.mag},
          {"mag_error", a.magError},
          {"clipped", a.clipped}};
}

void addStarKeys(json& stars, const Workspace& ws, const ScienceTable& table, int image) {
  for (int k = 0; k < ws.starCount[image] && k < static_cast<int>(stars.size()); ++k) {
    json& s = stars[static_cast<std::size_t>(k)];
    if (table.flagsDone) {
      const std::uint32_t f = table.flags[k][image];
      s["saturated"] = hasBit(f, FLAG_SATURATED);
      s["edge"] = hasBit(f, FLAG_EDGE);
      s["extrapolated"] = hasBit(f, FLAG_EXTRAPOLATED);
      s["blended"] = hasBit(f, FLAG_BLENDED);
    }
    if (table.apertureDone) s["aperture"] = apertureJson(table.aperture[k][image]);
    if (image == kBlue && table.transformDone && star(ws, kBlue, k).partner >= 0 &&
        hasBit(ws.progressFlags, PRG_COMPARED)) {
      const StandardMagnitudes& m = table.standard[k];
      s["standard"] = {{"V", m.V}, {"V_error", m.VError}, {"BV", m.BV}, {"BV_error", m.BVError}};
    }
  }
}

json photometryJson(const Workspace& ws, const ScienceTable& table, const ScienceSettings& s) {
  json images = json::array();
  for (int image : {kBlue, kGreen}) {
    const ImageScience& i = table.image[image];
    json one = {{"sky", i.sky.level}, {"sky_sigma", i.sky.sigma}};
    if (table.apertureDone && hasBit(ws.progressFlags, kSearchedBit[image])) {
      one["fwhm"] = i.fwhm;
      one["radius"] = i.aperture.radius;
      one["annulus"] = {i.aperture.inner, i.aperture.outer};
    }
    images.push_back(std::move(one));
  }
  return {{"method", s.aperture ? "aperture" : "sum"},
          {"saturation", s.saturation},
          {"gain", s.gain},
          {"read_noise", s.readNoise},
          {"images", std::move(images)}};
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

void addScienceJson(json& state, const Workspace& ws, const ScienceTable& table, const Options& o) {
  for (int image : {kBlue, kGreen}) addStarKeys(state["images"][image]["stars"], ws, table, image);
  const ScienceSettings s = settingsFrom(o, ws);
  state["photometry"] = photometryJson(ws, table, s);
  json diagnostics = json::object();
  if (table.polynomial.computed) diagnostics["polynomial"] = diagnosticsJson(table.polynomial);
  if (table.transformDone) {
    state["transform"] = {{"V", lineJson(table.transform.v)},
                          {"BV", lineJson(table.transform.bv)},
                          {"stars", table.transform.v.count}};
    diagnostics["transform"] = diagnosticsJson(table.transformed);
  }
  state["diagnostics"] = std::move(diagnostics);
}

}  // namespace orelith::batch
