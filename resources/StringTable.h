// The numbered texts of the program: messages, captions, help lines and the
// fragments of the HTML report. Every text the user sees comes from here.
#pragma once

#include <string_view>

namespace orelith {

// The texts by number. Only those that code refers to have a name; the rest
// (captions, help lines) are named by their number where a table lists them.
enum class StringId : int {
  UnableToOpenFile = 1,
  UnableToReadFile = 2,
  CompressedSt6 = 3,
  NoSt6Image = 4,
  UnableToCreateFile = 5,
  UnableToSaveFile = 7,
  UnableToOpenDib01 = 8,
  OutOfMemory = 9,
  UnableToCalcCmd = 10,
  UnableToOpenDib02 = 11,
  TooManyPixelInStar = 13,
  TooManyStars = 14,
  MinimisationFailed = 15,
  CommonControlsFailed = 16,
  ListviewColumnFailed = 17,
  UnableToExtendFilename = 18,
  StarInformation = 19,
  TooManyCalibrationStars = 20,
  EnterVMagnitude = 21,
  OpenBlueTitle = 22,
  OpenGreenTitle = 23,
  SaveTitle = 24,
  ColumnFirst = 26,  // list columns 26..33
  ReportComplexHeader = 54,
  ReportSummary = 55,
  ReportBlueCurve = 56,
  ReportGreenCurve = 57,
  ReportSimpleHeader = 58,
  OpenFilters = 59,
  SaveFilters = 60,
  DefaultHelp = 67,
  ReplaceLoadedImage = 100,
  // Ours: what a step did, in the status bar.
  StatusLoaded = 110,
  StatusSetBackground = 111,
  StatusSearched = 112,
  StatusCompared = 113,
  StatusEnterPairs = 114,
  StatusCalculated = 115,
  StatusWarnings = 116,
  // Ours: the Help menu.
  HelpMenu = 120,
  HelpItem = 121,
  AboutItem = 122,
  HelpText = 123,
  AboutText = 124,
  // Ours: FITS frames.
  FitsUnreadable = 130,
  FitsFilters = 131,
  // Ours: the "Photometry configuration" dialog's refusals.
  BadSaturation = 140,
  BadApertureRadius = 141,
  BadAnnulus = 142,
  AnnulusInsideAperture = 143,
  BadGain = 144,
  BadReadNoise = 145,
};
namespace str {
using enum StringId;
}  // namespace str

// No string: a control without a caption.
inline constexpr StringId kNoString{0};

// The text of string `id`; empty for a number that holds no text.
std::string_view stringText(StringId id);

// The string `offset` places after `first` (list columns, help lines).
constexpr StringId stringAfter(StringId first, int offset) {
  return StringId{static_cast<int>(first) + offset};
}

// The caption every error box carries.
inline constexpr std::string_view kErrorCaption = "ERROR";

}  // namespace orelith
