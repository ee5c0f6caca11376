#include "app/BatchJson.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <nlohmann/json.hpp>

namespace orelith::batch {
namespace {

constexpr char kBreak[] = ",\n                                                                ";

// Byte order of two keys, inline: keys are short and most differ early.
inline bool after(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    if (a[i] != b[i]) return static_cast<unsigned char>(a[i]) > static_cast<unsigned char>(b[i]);
  }
  return a.size() > b.size();
}

}  // namespace

void JsonWriter::beginObject() { open('{'); }
void JsonWriter::endObject() { close('}'); }
void JsonWriter::beginArray() { open('['); }
void JsonWriter::endArray() { close(']'); }

void JsonWriter::key(std::string_view name) {
  item();
  Container& object = open_.back();
  if (object.firstLate == kInOrder && members_.size() > object.firstMember &&
      after(members_.back().key, name))
    object.firstLate = members_.size();
  members_.push_back({name, out_.size()});
  out_ += '"';
  out_ += name;
  out_ += "\": ";
  afterKey_ = true;
}

void JsonWriter::value(long long v) {
  item();
  char text[24];
  const char* end = std::to_chars(text, text + sizeof text, v).ptr;
  out_.append(text, static_cast<std::size_t>(end - text));
}

void JsonWriter::value(bool v) {
  item();
  out_ += v ? "true" : "false";
}

void JsonWriter::value(double v) {
  item();
  out_ += nlohmann::json(v).dump();  // its shortest form that reads back; null when not finite
}

void JsonWriter::value(std::string_view text) {
  item();
  out_ += nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

void JsonWriter::ints(std::initializer_list<long long> values) {
  beginArray();
  for (long long v : values) value(v);
  endArray();
}

// Before a value or key: the comma and the line of the previous one.
void JsonWriter::item() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (open_.empty()) return;
  lineBreak(!empty_);
  empty_ = false;
}

void JsonWriter::open(char bracket) {
  item();
  out_ += bracket;
  open_.push_back({members_.size(), kInOrder});
  empty_ = true;
}

void JsonWriter::close(char bracket) {
  const Container c = open_.back();
  if (c.firstLate != kInOrder) sortMembers(c);
  members_.resize(c.firstMember);
  open_.pop_back();
  if (!empty_) lineBreak(false);
  out_ += bracket;
  empty_ = false;
}

// The comma if asked, the line end and the indent, mostly in one piece.
void JsonWriter::lineBreak(bool comma) {
  const std::size_t indent = 2 * open_.size();
  const char* from = comma ? kBreak : kBreak + 1;
  const std::size_t head = comma ? 2 : 1;
  if (head + indent <= sizeof kBreak - 1) {
    out_.append(from, head + indent);
    return;
  }
  out_.append(from, head);
  out_.append(indent, ' ');
}

// An insertion sort of the member texts in place. With the separator that
// precedes a member appended after the last one, every member is followed by
// the same separator and may move as one piece with it; most objects need
// only their few late keys moved forward.
void JsonWriter::sortMembers(const Container& object) {
  const std::size_t first = object.firstMember;
  const std::size_t separator = 2 + 2 * open_.size();
  lineBreak(true);
  const std::size_t n = members_.size();
  for (std::size_t i = object.firstLate; i < n; ++i) {
    const Member late = members_[i];
    if (!after(members_[i - 1].key, late.key)) continue;
    const auto place =
        std::upper_bound(members_.begin() + static_cast<std::ptrdiff_t>(first),
                         members_.begin() + static_cast<std::ptrdiff_t>(i), late,
                         [](const Member& a, const Member& b) { return after(b.key, a.key); });
    const auto j = static_cast<std::size_t>(place - members_.begin());
    const std::size_t end = i + 1 < n ? members_[i + 1].start : out_.size();
    const std::size_t to = members_[j].start;
    moveBefore(to, late.start, end);
    for (std::size_t k = i; k > j; --k) {
      members_[k] = members_[k - 1];
      members_[k].start += end - late.start;
    }
    members_[j] = {late.key, to};
  }
  out_.resize(out_.size() - separator);
}

// Moves the text [from, end) to `to`, the text [to, from) after it; only the
// shorter part passes through the spare buffer.
void JsonWriter::moveBefore(std::size_t to, std::size_t from, std::size_t end) {
  char* text = out_.data();
  const std::size_t before = from - to;
  const std::size_t moved = end - from;
  if (moved <= before) {
    if (spare_.size() < moved) spare_.resize(moved);
    std::memcpy(spare_.data(), text + from, moved);
    std::memmove(text + to + moved, text + to, before);
    std::memcpy(text + to, spare_.data(), moved);
  } else {
    if (spare_.size() < before) spare_.resize(before);
    std::memcpy(spare_.data(), text + to, before);
    std::memmove(text + to, text + from, moved);
    std::memcpy(text + to + moved, spare_.data(), before);
  }
}

namespace {

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
  w.member("scatter", f.scatter);
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

void writePhotometry(JsonWriter& w, const Workspace& ws, const ScienceResults& science) {
  const ScienceSettings& s = science.settings;
  w.key("photometry");
  w.beginObject();
  w.member("gain", s.gain);
  w.key("images");
  w.beginArray();
  for (int image : {kBlue, kGreen}) {
    w.beginObject();
    if (science.apertures && hasBit(ws.progressFlags, kSearchedBit[image])) {
      const ImageApertures& a = science.apertures->image[image];
      w.key("annulus");
      w.beginArray();
      w.value(a.settings.inner);
      w.value(a.settings.outer);
      w.endArray();
      w.member("fwhm", a.fwhm);
      w.member("radius", a.settings.radius);
    }
    const FrameScience& f = science.frames[image];
    if (hasBit(ws.progressFlags, kSearchedBit[image])) {
      w.member("aperture_correction", f.growth.correction);
      w.key("psf");
      w.beginObject();
      w.member("beta", f.psf.shape.beta);
      w.member("chi2", f.psf.reducedChi2);
      w.member("fwhm", f.psf.shape.fwhm());
      w.member("stars", static_cast<int>(f.psfStars.size()));
      w.member("usable", f.psfUsable);
      w.endObject();
      w.member("saturation", f.saturation.level);
      w.member("saturation_found", f.saturation.estimated);
    }
    const SkyNoise& sky = science.flags.image[image].sky;
    w.member("sky", sky.level);
    w.member("sky_sigma", sky.sigma);
    w.endObject();
  }
  w.endArray();
  w.member("method", s.aperture ? "aperture" : "sum");
  w.member("read_noise", s.readNoise);
  w.member("saturation", s.saturation);
  w.endObject();
}

// A flagged star's fit, in the scale of the photometry chosen.
void writePsf(JsonWriter& w, const ScienceResults& science, int image, int k) {
  const FrameScience& f = science.frames[image];
  if (k >= static_cast<int>(f.stars.size()) || f.stars[k].fit.components == 0) return;
  const StarScience& s = f.stars[k];
  const double scale = science.apertures ? f.psfScale : f.sumScale;
  w.key("psf");
  w.beginObject();
  w.member("chi2", s.fit.reducedChi2);
  w.member("flux", s.fit.flux[0] * scale);
  w.member("flux_error", s.fit.fluxError[0] * scale);
  w.member("measured", measuredName(fittedMeasure(s)));
  if (s.fit.components == 2) w.member("neighbour_flux", s.fit.flux[1] * scale);
  w.member("unexplained", s.fit.unexplained);
  w.member("x", s.fit.x[0]);
  w.member("y", s.fit.y[0]);
  w.endObject();
}

// The science keys of star `k` of `image`.
void writeStarScience(JsonWriter& w, const Workspace& ws, const ScienceResults& science, int image,
                      int k) {
  if (science.apertures) writeAperture(w, science.apertures->of(image, k));
  const std::uint32_t f = science.flags.of(image, k);
  w.member("bad_pixels", hasBit(f, FLAG_BAD_PIXELS));
  w.member("blended", hasBit(f, FLAG_BLENDED));
  w.member("edge", hasBit(f, FLAG_EDGE));
  w.member("extrapolated", hasBit(f, FLAG_EXTRAPOLATED));
  w.member("saturated", hasBit(f, FLAG_SATURATED));
  const StarMeasure& inst = science.measures.of(image, k);
  w.key("instrumental");
  w.beginObject();
  w.member("error", inst.error);
  w.member("mag", inst.mag);
  w.member("measured", measuredName(inst.how));
  w.endObject();
  writePsf(w, science, image, k);
  const CurveErrorTable& e = science.curveErrors;
  if (image == kBlue && k < static_cast<int>(e.B.size()) && star(ws, kBlue, k).partner >= 0) {
    w.member("B_error", e.B[k]);
    w.member("V_error", e.V[k]);
  }
  if (image == kBlue && science.transform && star(ws, kBlue, k).partner >= 0 &&
      hasBit(ws.progressFlags, PRG_COMPARED)) {
    const StandardMagnitudes& m = science.transform->standard[k];
    w.key("standard");
    w.beginObject();
    w.member("BV", m.BV);
    w.member("BV_error", m.BVError);
    w.member("V", m.V);
    w.member("V_error", m.VError);
    w.endObject();
  }
}

void writeCalibrationUses(JsonWriter& w, const ScienceResults& science) {
  w.key("calibration_stars");
  w.beginArray();
  for (const CalibrationUse& u : science.calibration) {
    w.beginObject();
    w.member("blue", u.blue);
    w.member("green", u.green);
    w.key("measured");
    w.beginArray();
    w.value(measuredName(u.measured[kBlue]));
    w.value(measuredName(u.measured[kGreen]));
    w.endArray();
    w.member("used", u.used);
    w.endObject();
  }
  w.endArray();
}

void writeWarnings(JsonWriter& w, const ScienceResults& science) {
  w.key("warnings");
  w.beginArray();
  for (const Warning& warning : science.warnings) {
    w.beginObject();
    w.member("code", std::string_view(warning.code));
    w.member("text", std::string_view(warning.text));
    w.endObject();
  }
  w.endArray();
}

void writeTopScience(JsonWriter& w, const Workspace& ws, const ScienceResults& science) {
  writeCalibrationUses(w, science);
  w.key("diagnostics");
  w.beginObject();
  if (science.polynomial.computed) writeDiagnostics(w, "polynomial", science.polynomial);
  if (science.transform) writeDiagnostics(w, "transform", science.transform->diagnostics);
  w.endObject();
  writePhotometry(w, ws, science);
  if (science.transform) {
    const TransformFit& fit = science.transform->fit;
    w.key("transform");
    w.beginObject();
    writeLine(w, "BV", fit.bv);
    writeLine(w, "V", fit.v);
    w.member("stars", fit.v.count);
    w.endObject();
  }
  writeWarnings(w, science);
}

void writeStar(JsonWriter& w, const Workspace& ws, int image, int k, const JsonInputs& in) {
  const StarRecord& s = star(ws, image, k);
  w.beginObject();
  w.member("B", static_cast<double>(s.magnitudeB));
  w.member("V", static_cast<double>(s.magnitudeV));
  w.member("brightness", static_cast<long long>(s.brightness));
  w.member("calibration", hasBit(s.marks, MARK_CALIBRATION));
  w.member("hot", hasBit(s.marks, MARK_HOT));
  w.member("ignore", hasBit(s.marks, MARK_IGNORE));
  w.member("large", hasBit(s.marks, MARK_LARGE));
  w.member("lg", static_cast<double>(s.lgBrightness));
  w.member("partner", static_cast<long long>(s.partner));
  if (in.withPixels) {
    w.key("pixel_list");
    w.beginArray();
    for (const PixelPos p : starPixels(ws, image, k)) w.ints({p.x, p.y});
    w.endArray();
  }
  w.member("pixels", static_cast<long long>(s.pixelCount));
  w.member("x", static_cast<long long>(s.x));
  w.member("y", static_cast<long long>(s.y));
  if (const auto sky = skyPosition(ws, image, s.x, s.y)) {
    w.member("ra", sky->ra);
    w.member("dec", sky->dec);
  }
  if (in.science) writeStarScience(w, ws, *in.science, image, k);
  w.endObject();
}

// What a FITS frame adds: its size, filter and world coordinates. ST-6
// frames keep the keys they always had.
void writeFitsFrame(JsonWriter& w, const Workspace& ws, int image) {
  w.key("size");
  w.ints({ws.frame[image].width, ws.frame[image].height});
  w.member("filter", std::string_view(ws.frameFilter[image]));
  if (!ws.worldCoords[image].valid()) return;
  const WcsSummary s = ws.worldCoords[image].summary();
  w.key("wcs");
  w.beginObject();
  w.key("ctype");
  w.beginArray();
  for (const std::string& t : s.ctype) w.value(std::string_view(t));
  w.endArray();
  const auto pair = [&](std::string_view name, double a, double b) {
    w.key(name);
    w.beginArray();
    w.value(a);
    w.value(b);
    w.endArray();
  };
  pair("crpix", s.crpix[0], s.crpix[1]);
  pair("crval", s.crval[0], s.crval[1]);
  w.key("cd");
  w.beginArray();
  for (const auto& rowOfCd : s.cd) {
    w.beginArray();
    w.value(rowOfCd[0]);
    w.value(rowOfCd[1]);
    w.endArray();
  }
  w.endArray();
  w.member("radesys", std::string_view(s.radesys));
  // The sky at the frame's centre, as RA and Dec in degrees.
  if (const auto centre = skyPosition(ws, image, (ws.frame[image].width - 1) / 2.0,
                                      (ws.frame[image].height - 1) / 2.0))
    pair("centre", centre->ra, centre->dec);
  w.endObject();
}

void writeImage(JsonWriter& w, const Workspace& ws, int image, const JsonInputs& in) {
  const SearchRect& r = ws.searchRect[image];
  w.beginObject();
  // A whole level (every integer frame's) as an integer, as it always was; a
  // floating-point frame's fraction as a number with a point.
  const double level = ws.backgroundLevel[image];
  if (level == std::floor(level) && std::fabs(level) < 1e15)
    w.member("background", static_cast<long long>(level));
  else
    w.member("background", level);
  w.member("file", std::string_view(in.files[image]));
  w.member("loaded", hasBit(ws.progressFlags, kLoadedBit[image]));
  w.key("search_rect");
  w.ints({r.left, r.top, r.right, r.bottom});
  w.member("searched", hasBit(ws.progressFlags, kSearchedBit[image]));
  w.key("stars");
  w.beginArray();
  for (int k = 0; k < ws.starCount[image]; ++k) writeStar(w, ws, image, k, in);
  w.endArray();
  w.member("title", std::string_view(ws.fileTitle[image]));
  if (ws.fitsFrame[image]) writeFitsFrame(w, ws, image);
  w.endObject();
}

// Enough for every key of the stars and the science (a star with aperture
// and standard magnitudes takes about 900 bytes, each listed pixel 66), so
// that the text is never copied on growing; reserved pages that are never
// written cost no memory.
std::size_t expectedSize(const Workspace& ws, const JsonInputs& in) {
  std::size_t size = 8192 + in.files[kBlue].size() + in.files[kGreen].size() +
                     1024 * static_cast<std::size_t>(ws.calibration.count);
  for (int image : {kBlue, kGreen}) {
    for (int k = 0; k < ws.starCount[image]; ++k) {
      const std::size_t pixels = in.withPixels ? star(ws, image, k).pixelCount : 0;
      size += 1536 + 80 * pixels;
    }
  }
  return size;
}

}  // namespace

std::string workspaceJsonText(const Workspace& ws, const JsonInputs& in) {
  std::string out;
  out.reserve(expectedSize(ws, in));
  JsonWriter w(out);
  w.beginObject();
  w.key("calibration_list");
  w.beginArray();
  for (const CalibrationEntry& entry : calibrationEntries(ws)) w.ints({entry.blue, entry.green});
  w.endArray();
  w.member("coefficients", static_cast<long long>(ws.algorithm.coefficientCount));
  w.member("compared", hasBit(ws.progressFlags, PRG_COMPARED));
  w.key("curves");
  w.beginArray();
  for (const auto& curve : ws.curves) {
    w.beginArray();
    for (double c : curve) w.value(c);
    w.endArray();
  }
  w.endArray();
  w.key("images");
  w.beginArray();
  for (int image : {kBlue, kGreen}) writeImage(w, ws, image, in);
  w.endArray();
  w.member("magnitudes", hasBit(ws.progressFlags, PRG_MAGNITUDES));
  w.key("messages");
  w.beginArray();
  for (StringId m : in.messages) w.value(static_cast<long long>(idNumber(m)));
  w.endArray();
  w.key("offset");
  w.ints({ws.offsetX, ws.offsetY});
  w.member("overlap", static_cast<long long>(ws.overlapCount));
  if (in.science) writeTopScience(w, ws, *in.science);
  w.endObject();
  out += '\n';
  return out;
}

}  // namespace orelith::batch
