// The numbered texts of the program: messages, captions, help lines and the
// fragments of the HTML report. Every text the user sees comes from here.
#pragma once

#include <string_view>

namespace orelith {

// Numbers of the texts that code refers to by name.
namespace str {
inline constexpr int UnableToOpenFile = 1;
inline constexpr int UnableToReadFile = 2;
inline constexpr int CompressedSt6 = 3;
inline constexpr int NoSt6Image = 4;
inline constexpr int UnableToCreateFile = 5;
inline constexpr int UnableToSaveFile = 7;
inline constexpr int UnableToOpenDib01 = 8;
inline constexpr int OutOfMemory = 9;
inline constexpr int UnableToCalcCmd = 10;
inline constexpr int UnableToOpenDib02 = 11;
inline constexpr int TooManyPixelInStar = 13;
inline constexpr int TooManyStars = 14;
inline constexpr int MinimisationFailed = 15;
inline constexpr int CommonControlsFailed = 16;
inline constexpr int ListviewColumnFailed = 17;
inline constexpr int UnableToExtendFilename = 18;
inline constexpr int StarInformation = 19;
inline constexpr int TooManyCalibrationStars = 20;
inline constexpr int EnterVMagnitude = 21;
inline constexpr int OpenBlueTitle = 22;
inline constexpr int OpenGreenTitle = 23;
inline constexpr int SaveTitle = 24;
inline constexpr int ColumnFirst = 26;  // list columns 26..33
inline constexpr int ReportComplexHeader = 54;
inline constexpr int ReportSummary = 55;
inline constexpr int ReportBlueCurve = 56;
inline constexpr int ReportGreenCurve = 57;
inline constexpr int ReportSimpleHeader = 58;
inline constexpr int OpenFilters = 59;
inline constexpr int SaveFilters = 60;
inline constexpr int DefaultHelp = 67;
}  // namespace str

// The text of string `id`; empty for a number that holds no text.
std::string_view stringText(int id);

// The caption every error box carries.
inline constexpr std::string_view kErrorCaption = "ERROR";

}  // namespace orelith
