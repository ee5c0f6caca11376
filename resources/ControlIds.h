// Identifiers of the main window's controls, menu items and timers, of the
// dialogs and of each dialog's controls. Each kind is a type of its own, so
// that two identifiers of the same number but different kinds (the display
// dialog's blue "Auto update" box and the algorithm dialog's "Manually" are
// both 1004) cannot stand for each other. The numbers are the window's: the
// window layer names its widgets by them.
#pragma once

namespace orelith {

// The number of an identifier of any kind.
template <class Id>
constexpr int idNumber(Id id) {
  return static_cast<int>(id);
}

enum class ControlId : int {
  BlueFrame = 1,
  GreenFrame = 2,
  BlueCaption = 3,
  GreenCaption = 4,
  RangeBlue = 5,
  RangeGreen = 6,
  BackgroundSliderBlue = 7,
  BackgroundSliderGreen = 8,
  StatusBar = 9,
  CustomColorsBlue = 10,
  CustomColorsGreen = 11,
  BackgroundFieldBlue = 12,
  BackgroundFieldGreen = 13,
  AutoUpdateBlue = 15,
  AutoUpdateGreen = 16,
  SearchBlue = 18,
  SearchGreen = 19,
  CompareImages = 20,
  StarList = 21,
  Move = 22,
  OffsetLabel = 23,
  ArrowUp = 24,
  ArrowRight = 25,
  ArrowDown = 26,
  ArrowLeft = 27,
  CalculateMagnitudes = 28,
  ResetSelection = 29,
  CurveViewBlue = 30,
  CurveViewGreen = 31,
  Set1 = 32,
  Set2 = 33,
  Set3 = 34,
};
// No control: the window itself, or a point where no control is.
inline constexpr ControlId kNoControl{0};

enum class TimerId : int { AutoUpdateBlue = 14, AutoUpdateGreen = 17 };

enum class MenuId : int {
  OpenBlue = 40001,
  OpenGreen = 40002,
  Exit = 40003,
  Display = 40004,
  Algorithm = 40005,
  Save = 40006,
  Colors = 40008,
  // Beside the specified menu: the science results in the window.
  ImportCalibration = 40101,
  ExportCsv = 40102,
  Photometry = 40103,
  ColourMagnitudeDiagram = 40104,
};

enum class DialogId : int {
  Display = 107,
  Algorithm = 108,
  StarProperties = 115,
  Colors = 116,
  Photometry = 117,  // ours: how the science results are computed
};

// Controls of the "Star properties" dialog.
enum class StarPropertiesControl : int {
  Information = 1023,
  VMagnitude = 1019,
  BMinusV = 1020,
  CalibrationStar = 1025,
  IgnoreStar = 1026,
  Ok = 1021,
  Cancel = 1022,
  ScienceNotes = 1027,  // ours: the pair's flags and errors, below the others
};

// Controls of the "Algorithm configuration" dialog.
enum class AlgorithmControl : int {
  Ok = 1,
  Cancel = 2,
  Standard = 1010,
  Sort = 1011,
  MaxStarsBlue = 1012,
  MaxStarsBlueLabel = 1013,
  MaxStarsGreenLabel = 1014,
  MaxStarsGreen = 1015,
  SubtractBackground = 1005,
  Manually = 1004,
  RotateImages = 1007,
  AutoBackground = 1006,
  Coefficients = 1028,
  HotPixel = 1029,
  PixelPerStar = 1030,
};

// Controls of the "Display configuration" dialog.
enum class DisplayControl : int {
  CustomColorsBlue = 1003,
  AutoUpdateBlue = 1004,
  CustomColorsGreen = 1013,
  AutoUpdateGreen = 1015,
  Frequency = 1016,
  ComplexOutput = 1005,
  DrawCalibration = 1006,
  ThickStars = 1007,
  Deselect = 1010,
  Ok = 1009,
  Cancel = 1008,
  ShowFlagged = 1017,  // ours
};

// Controls of the "Photometry configuration" dialog.
enum class PhotometryControl : int {
  Ok = 1,
  Cancel = 2,
  Sum = 1101,       // the method: the search's summed brightness
  Aperture = 1102,  // or aperture photometry
  RadiusAutomatic = 1103,
  Radius = 1104,
  AnnulusAutomatic = 1105,
  AnnulusInner = 1106,
  AnnulusOuter = 1107,
  Gain = 1108,
  ReadNoise = 1109,
  SaturationAutomatic = 1110,
  Saturation = 1111,
  Curves = 1112,     // the model: the calibration curves
  Transform = 1113,  // or the standard transformation
  KeepFlagged = 1114,
};

// Controls of the "Color configuration" dialog: field FirstField + n edits
// byte n of the colour table.
enum class ColorControl : int { Ok = 1, Cancel = 2, FirstField = 1027, LastField = 1047 };

// Field n of the colour dialog.
constexpr ColorControl colorField(int n) {
  return ColorControl{idNumber(ColorControl::FirstField) + n};
}

// Short names: the namespaces ctl, timer, menu, dlg, props, algodlg, displaydlg, colordlg and
// photodlg hold the enumerators of the type of their kind.
namespace ctl {
using enum ControlId;
}
namespace timer {
using enum TimerId;
}
namespace menu {
using enum MenuId;
}
namespace dlg {
using enum DialogId;
}
namespace props {
using enum StarPropertiesControl;
}
namespace algodlg {
using enum AlgorithmControl;
}
namespace displaydlg {
using enum DisplayControl;
}
namespace colordlg {
using enum ColorControl;
}
namespace photodlg {
using enum PhotometryControl;
}

}  // namespace orelith
