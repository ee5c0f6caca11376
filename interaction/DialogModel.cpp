#include "interaction/DialogModel.h"

#include "interaction/AlgorithmDialog.h"
#include "interaction/ColorDialog.h"
#include "interaction/DisplayDialog.h"
#include "interaction/StarPropertiesDialog.h"

namespace orelith {
namespace {

// The events of the window reach a dialog's own operations through these,
// each holding its dialog's state for as long as the dialog is open.
class AlgorithmModel final : public DialogModel {
 public:
  AlgorithmModel(Workspace& ws, WindowPort& port)
      : ws_(ws), port_(port), d_(openAlgorithmDialog(ws)) {}
  const std::vector<DialogControl>& controls() const override { return d_.controls.all(); }
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

 private:
  Workspace& ws_;
  WindowPort& port_;
  AlgorithmDialog d_;
};

class DisplayModel final : public DialogModel {
 public:
  DisplayModel(Workspace& ws, WindowPort& port) : ws_(ws), port_(port), d_(openDisplayDialog(ws)) {}
  const std::vector<DialogControl>& controls() const override { return d_.controls.all(); }
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

 private:
  Workspace& ws_;
  WindowPort& port_;
  DisplayDialog d_;
};

class StarPropertiesModel final : public DialogModel {
 public:
  StarPropertiesModel(Workspace& ws, WindowPort& port)
      : ws_(ws), port_(port), d_(openStarProperties(ws)) {}
  const std::vector<DialogControl>& controls() const override { return d_.controls.all(); }
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

 private:
  Workspace& ws_;
  WindowPort& port_;
  StarPropertiesDialog d_;
};

// Beside the numbers each row shows its colour as typed so far; the colour
// table itself changes only on OK.
class ColorModel final : public DialogModel {
 public:
  ColorModel(Workspace& ws, WindowPort& port) : ws_(ws), port_(port), d_(openColorDialog(ws)) {}
  const std::vector<DialogControl>& controls() const override { return d_.controls.all(); }
  void textChanged(int id, std::string_view text) override {
    colorFieldChanged(d_, port_, ColorControl{id}, text);
  }
  void boxClicked(int, bool) override {}
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

 private:
  Workspace& ws_;
  WindowPort& port_;
  ColorDialog d_;
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
  }
  return nullptr;
}

}  // namespace orelith
