#include "interaction/DialogModel.h"

#include <utility>

#include "interaction/AlgorithmDialog.h"
#include "interaction/ColorDialog.h"
#include "interaction/DisplayDialog.h"
#include "interaction/PhotometryDialog.h"
#include "interaction/StarPropertiesDialog.h"

namespace orelith {
namespace {

// The events of the window reach a dialog's own operations through these,
// each holding its dialog's state for as long as the dialog is open.
template <class Dialog>
class ModelOf : public DialogModel {
 public:
  ModelOf(Workspace& ws, WindowPort& port, Dialog d) : ws_(ws), port_(port), d_(std::move(d)) {}
  const std::vector<DialogControl>& controls() const override { return d_.controls.all(); }
  void textChanged(int, std::string_view) override {}
  void boxClicked(int, bool) override {}

 protected:
  Workspace& ws_;
  WindowPort& port_;
  Dialog d_;
};

class AlgorithmModel final : public ModelOf<AlgorithmDialog> {
 public:
  AlgorithmModel(Workspace& ws, WindowPort& port) : ModelOf(ws, port, openAlgorithmDialog(ws)) {}
  void textChanged(int id, std::string_view text) override {
    algorithmFieldChanged(d_, port_, AlgorithmControl{id}, text);
  }
  void boxClicked(int id, bool checked) override {
    algorithmBoxClicked(d_, AlgorithmControl{id}, checked);
  }
  DialogVerdict buttonPressed(int id) override {
    if (AlgorithmControl{id} == algodlg::Cancel) return DialogVerdict::Reject;
    if (AlgorithmControl{id} != algodlg::Ok) return DialogVerdict::Stay;
    algorithmOk(ws_, port_, d_);
    return DialogVerdict::Accept;
  }
};

class DisplayModel final : public ModelOf<DisplayDialog> {
 public:
  DisplayModel(Workspace& ws, WindowPort& port) : ModelOf(ws, port, openDisplayDialog(ws)) {}
  void textChanged(int, std::string_view text) override {
    displayFrequencyChanged(d_, ws_, port_, text);
  }
  void boxClicked(int id, bool checked) override {
    displayBoxClicked(d_, DisplayControl{id}, checked);
  }
  DialogVerdict buttonPressed(int id) override {
    switch (DisplayControl{id}) {
      case displaydlg::Deselect:
        displayDeselect(ws_, port_);
        return DialogVerdict::Stay;
      case displaydlg::Ok:
        displayOk(ws_, port_, d_);
        return DialogVerdict::Accept;
      case displaydlg::Cancel:
        return DialogVerdict::Reject;
      default:
        return DialogVerdict::Stay;
    }
  }
};

class StarPropertiesModel final : public ModelOf<StarPropertiesDialog> {
 public:
  StarPropertiesModel(Workspace& ws, WindowPort& port) : ModelOf(ws, port, openStarProperties(ws)) {
    d_.controls[props::ScienceNotes].text = port.scienceNotes(d_.blueStar, d_.greenStar);
  }
  void textChanged(int id, std::string_view text) override {
    starPropertiesTextChanged(d_, StarPropertiesControl{id}, text);
  }
  void boxClicked(int id, bool checked) override {
    if (StarPropertiesControl{id} == props::CalibrationStar)
      starPropertiesCalibrationClicked(d_, checked);
    if (StarPropertiesControl{id} == props::IgnoreStar) starPropertiesIgnoreClicked(d_, checked);
  }
  DialogVerdict buttonPressed(int id) override {
    if (StarPropertiesControl{id} == props::Cancel) return DialogVerdict::Reject;
    if (StarPropertiesControl{id} != props::Ok) return DialogVerdict::Stay;
    // A refusal keeps the dialog open for a correction.
    return starPropertiesOk(ws_, port_, d_) ? DialogVerdict::Accept : DialogVerdict::Stay;
  }
};

// Beside the numbers each row shows its colour as typed so far; the colour
// table itself changes only on OK.
class ColorModel final : public ModelOf<ColorDialog> {
 public:
  ColorModel(Workspace& ws, WindowPort& port) : ModelOf(ws, port, openColorDialog(ws)) {}
  void textChanged(int id, std::string_view text) override {
    colorFieldChanged(d_, port_, ColorControl{id}, text);
  }
  DialogVerdict buttonPressed(int id) override {
    if (ColorControl{id} == colordlg::Cancel) return DialogVerdict::Reject;
    if (ColorControl{id} != colordlg::Ok) return DialogVerdict::Stay;
    colorOk(ws_, port_, d_);
    return DialogVerdict::Accept;
  }
  std::vector<Rgb> swatches() const override {
    std::vector<Rgb> colours;
    for (int c = 0; c + 2 < kColorBytes; c += 3)
      colours.push_back({d_.working[c], d_.working[c + 1], d_.working[c + 2]});
    return colours;
  }
};

class PhotometryModel final : public ModelOf<PhotometryDialog> {
 public:
  PhotometryModel(Workspace& ws, WindowPort& port) : ModelOf(ws, port, openPhotometryDialog(ws)) {}
  void textChanged(int id, std::string_view text) override {
    photometryFieldChanged(d_, port_, PhotometryControl{id}, text);
  }
  void boxClicked(int id, bool checked) override {
    photometryBoxClicked(d_, PhotometryControl{id}, checked);
  }
  DialogVerdict buttonPressed(int id) override {
    if (PhotometryControl{id} == photodlg::Cancel) return DialogVerdict::Reject;
    if (PhotometryControl{id} != photodlg::Ok) return DialogVerdict::Stay;
    // A value out of its bounds keeps the dialog open for a correction.
    return photometryOk(ws_, port_, d_) ? DialogVerdict::Accept : DialogVerdict::Stay;
  }
};

}  // namespace

std::unique_ptr<DialogModel> openDialogModel(DialogId dialog, Workspace& ws, WindowPort& port) {
  switch (dialog) {
    case dlg::Algorithm:
      return std::make_unique<AlgorithmModel>(ws, port);
    case dlg::Display:
      return std::make_unique<DisplayModel>(ws, port);
    case dlg::StarProperties:
      return std::make_unique<StarPropertiesModel>(ws, port);
    case dlg::Colors:
      return std::make_unique<ColorModel>(ws, port);
    case dlg::Photometry:
      return std::make_unique<PhotometryModel>(ws, port);
  }
  return nullptr;
}

}  // namespace orelith
