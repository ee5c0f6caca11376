// Identifiers of the main window's controls, menu items, dialogs and timers,
// shared by the core and the window layer so both agree by name.
#pragma once

namespace orelith {

namespace ctl {
inline constexpr int BlueFrame = 1;
inline constexpr int GreenFrame = 2;
inline constexpr int BlueCaption = 3;
inline constexpr int GreenCaption = 4;
inline constexpr int RangeBlue = 5;
inline constexpr int RangeGreen = 6;
inline constexpr int BackgroundSliderBlue = 7;
inline constexpr int BackgroundSliderGreen = 8;
inline constexpr int StatusBar = 9;
inline constexpr int CustomColorsBlue = 10;
inline constexpr int CustomColorsGreen = 11;
inline constexpr int BackgroundFieldBlue = 12;
inline constexpr int BackgroundFieldGreen = 13;
inline constexpr int AutoUpdateBlue = 15;
inline constexpr int AutoUpdateGreen = 16;
inline constexpr int SearchBlue = 18;
inline constexpr int SearchGreen = 19;
inline constexpr int CompareImages = 20;
inline constexpr int StarList = 21;
inline constexpr int Move = 22;
inline constexpr int OffsetLabel = 23;
inline constexpr int ArrowUp = 24;
inline constexpr int ArrowRight = 25;
inline constexpr int ArrowDown = 26;
inline constexpr int ArrowLeft = 27;
inline constexpr int CalculateMagnitudes = 28;
inline constexpr int ResetSelection = 29;
inline constexpr int CurveViewBlue = 30;
inline constexpr int CurveViewGreen = 31;
inline constexpr int Set1 = 32;
inline constexpr int Set2 = 33;
inline constexpr int Set3 = 34;
}  // namespace ctl

namespace timer {
inline constexpr int AutoUpdateBlue = 14;
inline constexpr int AutoUpdateGreen = 17;
}  // namespace timer

namespace menu {
inline constexpr int OpenBlue = 40001;
inline constexpr int OpenGreen = 40002;
inline constexpr int Exit = 40003;
inline constexpr int Display = 40004;
inline constexpr int Algorithm = 40005;
inline constexpr int Save = 40006;
inline constexpr int Colors = 40008;
}  // namespace menu

namespace dlg {
inline constexpr int Display = 107;
inline constexpr int Algorithm = 108;
inline constexpr int StarProperties = 115;
inline constexpr int Colors = 116;
}  // namespace dlg

// Controls of the "Star properties" dialog.
namespace props {
inline constexpr int Information = 1023;
inline constexpr int VMagnitude = 1019;
inline constexpr int BMinusV = 1020;
inline constexpr int CalibrationStar = 1025;
inline constexpr int IgnoreStar = 1026;
inline constexpr int Ok = 1021;
inline constexpr int Cancel = 1022;
}  // namespace props

}  // namespace orelith

namespace orelith {

// Controls of the "Algorithm configuration" dialog.
namespace algodlg {
inline constexpr int Ok = 1;
inline constexpr int Cancel = 2;
inline constexpr int Standard = 1010;
inline constexpr int Sort = 1011;
inline constexpr int MaxStarsBlue = 1012;
inline constexpr int MaxStarsBlueLabel = 1013;
inline constexpr int MaxStarsGreenLabel = 1014;
inline constexpr int MaxStarsGreen = 1015;
inline constexpr int SubtractBackground = 1005;
inline constexpr int Manually = 1004;
inline constexpr int RotateImages = 1007;
inline constexpr int AutoBackground = 1006;
inline constexpr int Coefficients = 1028;
inline constexpr int HotPixel = 1029;
inline constexpr int PixelPerStar = 1030;
}  // namespace algodlg

// Controls of the "Display configuration" dialog.
namespace displaydlg {
inline constexpr int CustomColorsBlue = 1003;
inline constexpr int AutoUpdateBlue = 1004;
inline constexpr int CustomColorsGreen = 1013;
inline constexpr int AutoUpdateGreen = 1015;
inline constexpr int Frequency = 1016;
inline constexpr int ComplexOutput = 1005;
inline constexpr int DrawCalibration = 1006;
inline constexpr int ThickStars = 1007;
inline constexpr int Deselect = 1010;
inline constexpr int Ok = 1009;
inline constexpr int Cancel = 1008;
}  // namespace displaydlg

// Controls of the "Color configuration" dialog: field FirstField + n edits
// byte n of the colour table.
namespace colordlg {
inline constexpr int Ok = 1;
inline constexpr int Cancel = 2;
inline constexpr int FirstField = 1027;
inline constexpr int LastField = 1047;
}  // namespace colordlg

}  // namespace orelith
