#include "interaction/DialogLayouts.h"

#include "resources/ControlIds.h"

namespace orelith {
namespace {

using K = DialogItemKind;

DialogLayout algorithmLayout() {
  return {
      dlg::Algorithm,
      "Algorithm configuration",
      207,
      145,
      {
          {K::DefaultButton, idNumber(algodlg::Ok), "OK", "OK", 90, 125, 50, 14},
          {K::Button, idNumber(algodlg::Cancel), "Cancel", "Cancel", 145, 125, 50, 14},
          {K::GroupBox, 0, "Kelvara Algorithm", "Kelvara Algorithm", 5, 5, 100, 95},
          {K::RadioButton, idNumber(algodlg::Standard), "Standart", "Standart", 15, 20, 70, 10},
          {K::RadioButton, idNumber(algodlg::Sort), "Sort", "Sort", 15, 35, 70, 10},
          {K::Label, idNumber(algodlg::MaxStarsBlueLabel),
           "max. stars(blue):", "max. stars(blue):", 11, 51, 57, 10},
          {K::DigitsEdit, idNumber(algodlg::MaxStarsBlue), "", "max. stars(blue)", 70, 50, 30, 12},
          {K::Label, idNumber(algodlg::MaxStarsGreenLabel),
           "max. stars(green):", "max. stars(green):", 10, 70, 57, 10},
          {K::DigitsEdit, idNumber(algodlg::MaxStarsGreen), "", "max. stars(green)", 70, 70, 30,
           12},
          {K::CheckBox, idNumber(algodlg::SubtractBackground), "Subtract background",
           "Subtract background", 15, 85, 85, 10},
          {K::GroupBox, 0, "Images move", "Images move", 115, 5, 85, 45},
          {K::CheckBox, idNumber(algodlg::Manually), "Manually", "Manually", 125, 20, 73, 10},
          {K::CheckBox, idNumber(algodlg::RotateImages), "Rotate images", "Rotate images", 125, 35,
           73, 10},
          {K::CheckBox, idNumber(algodlg::AutoBackground), "Backgrnd. autom.", "Backgrnd. autom.",
           120, 55, 73, 10},
          {K::Label, 0, "Coefficients:", "Coefficients:", 115, 70, 45, 10},
          {K::DigitsEdit, idNumber(algodlg::Coefficients), "", "Coefficients", 160, 70, 15, 12},
          {K::Label, 0, "Hot pixel", "Hot pixel", 115, 85, 50, 10},
          {K::DigitsEdit, idNumber(algodlg::HotPixel), "", "Hot pixel", 175, 85, 25, 12},
          {K::Label, 0, "Pixel per star:", "Pixel per star:", 115, 100, 50, 10},
          {K::DigitsEdit, idNumber(algodlg::PixelPerStar), "", "Pixel per star", 175, 100, 25, 12},
      }};
}

DialogLayout displayLayout() {
  namespace d = displaydlg;
  return {dlg::Display,
          "Display configuration",
          192,
          135,
          {
              {K::GroupBox, 0, "Blue", "Blue", 5, 5, 85, 50},
              {K::CheckBox, idNumber(d::CustomColorsBlue), "Custom colors", "Blue custom colors",
               15, 20, 70, 10},
              {K::CheckBox, idNumber(d::AutoUpdateBlue), "Auto update", "Blue auto update", 15, 36,
               70, 10},
              {K::GroupBox, 0, "Green", "Green", 100, 5, 85, 50},
              {K::CheckBox, idNumber(d::CustomColorsGreen), "Custom colors", "Green custom colors",
               110, 20, 70, 10},
              {K::CheckBox, idNumber(d::AutoUpdateGreen), "Auto update", "Green auto update", 110,
               36, 70, 10},
              {K::Label, 0, "Auto update frequency:", "Auto update frequency:", 15, 65, 75, 10},
              {K::DigitsEdit, idNumber(d::Frequency), "", "Auto update frequency", 95, 65, 30, 12},
              {K::CheckBox, idNumber(d::ComplexOutput), "Complex output", "Complex output", 15, 85,
               74, 10},
              {K::CheckBox, idNumber(d::DrawCalibration), "Draw calibration stars",
               "Draw calibration stars", 102, 85, 83, 10},
              {K::CheckBox, idNumber(d::ThickStars), "Thick stars in CMD bitmap",
               "Thick stars in CMD bitmap", 15, 100, 100, 10},
              // Ours, in the free place beside it.
              {K::CheckBox, idNumber(d::ShowFlagged), "Show flagged stars", "Show flagged stars",
               117, 100, 74, 10},
              // Both are default buttons in the original template; Enter
              // presses OK, as a user expects of a settings dialog.
              {K::Button, idNumber(d::Deselect), "Deselect", "Deselect", 10, 115, 50, 14},
              {K::DefaultButton, idNumber(d::Ok), "OK", "OK", 75, 115, 50, 14},
              {K::Button, idNumber(d::Cancel), "Cancel", "Cancel", 130, 115, 50, 14},
          }};
}

DialogLayout starPropertiesLayout() {
  return {
      dlg::StarProperties,
      "Star properties",
      186,
      // Ours below the buttons: the flags and errors of the pair, read only.
      168,
      {
          {K::TextBlock, idNumber(props::Information), "", "Star information", 5, 5, 175, 45},
          {K::Label, 0, "V-Mag.:", "V-Mag.:", 5, 55, 25, 15},
          {K::TextEdit, idNumber(props::VMagnitude), "", "V magnitude", 30, 55, 55, 15},
          {K::RightLabel, 0, "B-V.: ", "B-V.:", 100, 55, 25, 15},
          {K::TextEdit, idNumber(props::BMinusV), "", "B-V", 125, 55, 55, 15},
          {K::CheckBox, idNumber(props::CalibrationStar), "Calibration star", "Calibration star", 5,
           75, 60, 10},
          {K::CheckBox, idNumber(props::IgnoreStar), "Ignore star", "Ignore star", 100, 75, 75, 10},
          {K::DefaultButton, idNumber(props::Ok), "OK", "OK", 75, 90, 50, 14},
          {K::Button, idNumber(props::Cancel), "Cancel", "Cancel", 130, 90, 50, 14},
          {K::TextBlock, idNumber(props::ScienceNotes), "", "Flags and errors", 5, 110, 175, 56},
      }};
}

struct ColourRow {
  const char* label;
  int labelX, labelY, labelWidth;
  int top;
  int colour;  // colour-table entry; its fields are colour fields 3 * colour + component
};

// Top to bottom as shown: "Void" (entry 6) sits between "Backgrnd." and
// "Calibrate" although its fields carry the last identifiers.
constexpr ColourRow kColourRows[] = {
    {"White", 11, 25, 25, 25, 0},      {"Blue", 11, 46, 25, 46, 1},
    {"Green", 10, 65, 25, 65, 2},      {"Backgrnd.", 0, 95, 35, 95, 3},
    {"Void", 0, 125, 35, 125, 6},      {"Calibrate", 0, 145, 35, 145, 4},
    {"Selection", 0, 166, 35, 166, 5},
};

DialogLayout colourLayout() {
  DialogLayout l{dlg::Colors, "Color configuration", 122, 215, {}};
  l.items.push_back({K::Label, 0, "  R         G          B", "Red, green, blue", 45, 5, 70, 10});
  l.items.push_back({K::GroupBox, 0, "Star colors", "Star colors", 5, 15, 110, 75});
  static constexpr const char* kComponent[3] = {"red", "green", "blue"};
  for (const ColourRow& row : kColourRows) {
    const std::string label = row.label;
    l.items.push_back({K::RightLabel, 0, label, label, row.labelX, row.labelY, row.labelWidth, 15});
    const int left = row.colour < 3 ? 41 : 40;  // the star colours sit one unit further right
    for (int c = 0; c < 3; ++c) {
      const int id = idNumber(colorField(3 * row.colour + c));
      const int x = left + 24 * c + (c == 2 ? 2 : 0);
      l.items.push_back({K::DigitsEdit, id, "", label + " " + kComponent[c], x, row.top, 20, 15});
    }
    // The colour the numbers make, as a bar under them: the dialog keeps its
    // width, and the rows leave three units free below every row.
    l.items.push_back({K::Swatch, 0, "", label + " colour", left, row.top + 15, 70, 3, row.colour});
  }
  l.items.push_back({K::DefaultButton, idNumber(colordlg::Ok), "OK", "OK", 10, 195, 50, 14});
  l.items.push_back({K::Button, idNumber(colordlg::Cancel), "Cancel", "Cancel", 65, 195, 50, 14});
  return l;
}

// Ours: three groups, top to bottom, each choice's controls in the order a
// user settles them; every "Automatic" box stands left of the fields it greys.
DialogLayout photometryLayout() {
  namespace p = photodlg;
  return {dlg::Photometry,
          "Photometry configuration",
          200,
          218,
          {
              {K::GroupBox, 0, "Method", "Method", 5, 5, 190, 62},
              {K::RadioButton, idNumber(p::Sum), "Summed brightness", "Summed brightness", 15, 18,
               85, 10},
              {K::RadioButton, idNumber(p::Aperture), "Aperture", "Aperture", 105, 18, 80, 10},
              {K::Label, 0, "Radius:", "Radius:", 15, 34, 46, 10},
              {K::CheckBox, idNumber(p::RadiusAutomatic), "Automatic", "Automatic radius", 63, 34,
               50, 10},
              {K::TextEdit, idNumber(p::Radius), "", "Aperture radius", 115, 33, 35, 12},
              {K::Label, 0, "Annulus:", "Annulus:", 15, 50, 46, 10},
              {K::CheckBox, idNumber(p::AnnulusAutomatic), "Automatic", "Automatic annulus", 63, 50,
               50, 10},
              {K::TextEdit, idNumber(p::AnnulusInner), "", "Annulus inner radius", 115, 49, 35, 12},
              {K::TextEdit, idNumber(p::AnnulusOuter), "", "Annulus outer radius", 153, 49, 35, 12},
              {K::GroupBox, 0, "Detector", "Detector", 5, 72, 190, 62},
              {K::Label, 0, "Gain (e-/count):", "Gain (e-/count):", 15, 86, 95, 10},
              {K::TextEdit, idNumber(p::Gain), "", "Gain", 115, 85, 35, 12},
              {K::Label, 0, "Read noise (e-):", "Read noise (e-):", 15, 101, 95, 10},
              {K::TextEdit, idNumber(p::ReadNoise), "", "Read noise", 115, 100, 35, 12},
              {K::Label, 0, "Saturation:", "Saturation:", 15, 117, 46, 10},
              {K::CheckBox, idNumber(p::SaturationAutomatic), "Automatic", "Automatic saturation",
               63, 117, 50, 10},
              {K::DigitsEdit, idNumber(p::Saturation), "", "Saturation level", 115, 116, 35, 12},
              {K::GroupBox, 0, "Model", "Model", 5, 139, 190, 54},
              {K::RadioButton, idNumber(p::Curves), "Calibration curves", "Calibration curves", 15,
               152, 170, 10},
              {K::RadioButton, idNumber(p::Transform), "Standard transformation",
               "Standard transformation", 15, 164, 170, 10},
              {K::CheckBox, idNumber(p::KeepFlagged), "Keep flagged calibration stars",
               "Keep flagged calibration stars", 15, 177, 170, 10},
              {K::DefaultButton, idNumber(p::Ok), "OK", "OK", 90, 199, 50, 14},
              {K::Button, idNumber(p::Cancel), "Cancel", "Cancel", 145, 199, 50, 14},
          }};
}

}  // namespace

const DialogLayout* dialogLayout(DialogId dialog) {
  static const DialogLayout layouts[] = {algorithmLayout(), displayLayout(), starPropertiesLayout(),
                                         colourLayout(), photometryLayout()};
  for (const DialogLayout& l : layouts)
    if (l.id == dialog) return &l;
  return nullptr;
}

int dialogUnitsToPixelsX(int units, int averageCharWidth) {
  return (units * averageCharWidth + 2) / 4;
}

int dialogUnitsToPixelsY(int units, int charHeight) { return (units * charHeight + 4) / 8; }

}  // namespace orelith
