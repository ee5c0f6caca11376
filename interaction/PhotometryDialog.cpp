#include "interaction/PhotometryDialog.h"

#include <string>

#include "base/Number.h"
#include "interaction/NumberField.h"
#include "resources/NumberText.h"

namespace orelith {
namespace {

using P = PhotometryControl;

// The fields that take decimals, with the bound above which typing puts the
// bound back.
struct DecimalField {
  PhotometryControl id;
  double high;
};
constexpr DecimalField kDecimalFields[] = {{P::Radius, kApertureRadiusBound.high},
                                           {P::AnnulusInner, kAnnulusBound.high},
                                           {P::AnnulusOuter, kAnnulusBound.high},
                                           {P::Gain, kGainBound.high},
                                           {P::ReadNoise, kReadNoiseBound.high}};
constexpr int kMaxSaturation = static_cast<int>(kSaturationBound.high);

// The fields each "Automatic" box stands for.
struct Automatic {
  PhotometryControl box;
  PhotometryControl fields[2];
};
constexpr Automatic kAutomatic[] = {{P::RadiusAutomatic, {P::Radius, P::Radius}},
                                    {P::AnnulusAutomatic, {P::AnnulusInner, P::AnnulusOuter}},
                                    {P::SaturationAutomatic, {P::Saturation, P::Saturation}}};

StringId messageOf(ScienceProblem problem) {
  switch (problem) {
    case ScienceProblem::Saturation:
      return str::BadSaturation;
    case ScienceProblem::ApertureRadius:
      return str::BadApertureRadius;
    case ScienceProblem::AnnulusOrder:
      return str::BadAnnulus;
    case ScienceProblem::AnnulusInsideAperture:
      return str::AnnulusInsideAperture;
    case ScienceProblem::Gain:
      return str::BadGain;
    case ScienceProblem::ReadNoise:
      return str::BadReadNoise;
    case ScienceProblem::None:
      break;
  }
  return kNoString;
}

}  // namespace

PhotometryDialog openPhotometryDialog(const Workspace& ws) {
  const ScienceSettings& s = ws.science;
  PhotometryDialog d;
  const auto optional = [](double v) { return v == 0 ? std::string() : shortestText(v); };
  const bool autoRadius = s.radius == 0, autoSky = s.inner == 0 && s.outer == 0;
  const bool autoSaturation = s.saturation == 0;
  d.controls.add(P::Ok);
  d.controls.add(P::Cancel);
  d.controls.add(P::Sum, "", !s.aperture);
  d.controls.add(P::Aperture, "", s.aperture);
  d.controls.add(P::RadiusAutomatic, "", autoRadius);
  d.controls.add(P::Radius, optional(s.radius), false, !autoRadius);
  d.controls.add(P::AnnulusAutomatic, "", autoSky);
  d.controls.add(P::AnnulusInner, autoSky ? "" : shortestText(s.inner), false, !autoSky);
  d.controls.add(P::AnnulusOuter, autoSky ? "" : shortestText(s.outer), false, !autoSky);
  d.controls.add(P::Gain, shortestText(s.gain));
  d.controls.add(P::ReadNoise, shortestText(s.readNoise));
  d.controls.add(P::SaturationAutomatic, "", autoSaturation);
  d.controls.add(P::Saturation, optional(s.saturation), false, !autoSaturation);
  d.controls.add(P::Curves, "", !s.transform);
  d.controls.add(P::Transform, "", s.transform);
  d.controls.add(P::KeepFlagged, "", s.keepFlagged);
  return d;
}

void photometryFieldChanged(PhotometryDialog& d, WindowPort& port, PhotometryControl id,
                            std::string_view text) {
  if (id == P::Saturation) {
    DialogControl& field = d.controls[id];
    field.text = text;
    if (leadingDigits(text, kMaxSaturation) > kMaxSaturation) {
      port.beep();
      field.text = std::to_string(kMaxSaturation);
    }
    return;
  }
  for (const DecimalField& f : kDecimalFields) {
    if (f.id != id) continue;
    DialogControl& field = d.controls[id];
    field.text = text;
    if (leadingDecimal(text).value_or(0.0) > f.high) {
      port.beep();
      field.text = shortestText(f.high);
    }
  }
}

void photometryBoxClicked(PhotometryDialog& d, PhotometryControl box, bool on) {
  switch (box) {
    case P::Sum:
    case P::Aperture:
      d.controls[P::Sum].checked = box == P::Sum;
      d.controls[P::Aperture].checked = box == P::Aperture;
      return;
    case P::Curves:
    case P::Transform:
      d.controls[P::Curves].checked = box == P::Curves;
      d.controls[P::Transform].checked = box == P::Transform;
      return;
    case P::KeepFlagged:
      d.controls[box].checked = on;
      return;
    default:
      break;
  }
  for (const Automatic& a : kAutomatic) {
    if (a.box != box) continue;
    d.controls[box].checked = on;
    for (PhotometryControl field : a.fields) d.controls[field].enabled = !on;
  }
}

ScienceSettings photometrySettings(const PhotometryDialog& d) {
  const auto checked = [&](PhotometryControl id) { return d.controls[id].checked; };
  const auto value = [&](PhotometryControl id) {
    return leadingDecimal(d.controls[id].text).value_or(0.0);
  };
  // A value of the user's own: 0 would read as the automatic one.
  const auto chosen = [&](PhotometryControl id) {
    const double v = value(id);
    return v == 0 ? -1.0 : v;
  };
  ScienceSettings s;
  s.aperture = checked(P::Aperture);
  s.radius = checked(P::RadiusAutomatic) ? 0 : chosen(P::Radius);
  if (!checked(P::AnnulusAutomatic)) {
    s.inner = chosen(P::AnnulusInner);
    s.outer = chosen(P::AnnulusOuter);
  }
  s.gain = value(P::Gain);
  s.readNoise = value(P::ReadNoise);
  if (!checked(P::SaturationAutomatic)) {
    const int level = leadingDigits(d.controls[P::Saturation].text, kMaxSaturation);
    s.saturation = level <= 0 ? -1 : level;
  }
  s.transform = checked(P::Transform);
  s.keepFlagged = checked(P::KeepFlagged);
  return s;
}

bool photometryOk(Workspace& ws, WindowPort& port, const PhotometryDialog& d) {
  const ScienceSettings s = photometrySettings(d);
  const ScienceProblem problem = checkScienceSettings(s);
  if (problem != ScienceProblem::None) {
    port.showMessage(messageOf(problem), MessageOwner::Dialog);
    return false;
  }
  ws.science = s;
  return true;
}

}  // namespace orelith
