#include "interaction/MainWindowLayout.h"

#include <unistd.h>

#include <climits>

namespace orelith {
namespace {

using K = ControlKind;
constexpr auto Sys = ControlFont::System;
constexpr auto Gui = ControlFont::DefaultGui;

constexpr ControlSpec kControls[] = {
    // id, kind, string, text, x, y, w, h, enabled, visible, font, range, bitmap
    {ctl::BlueFrame, K::Frame, kNoString, "", 4, 31, 379, 246, true, true, Sys, 0, 0, 0},
    {ctl::GreenFrame, K::Frame, kNoString, "", 387, 31, 379, 246, true, true, Sys, 0, 0, 0},
    {ctl::BlueCaption, K::Caption, StringId{34}, "", 4, 4, 379, 23, true, true, Sys, 0, 0, 0},
    {ctl::GreenCaption, K::Caption, StringId{35}, "", 387, 4, 379, 23, true, true, Sys, 0, 0, 0},
    {ctl::RangeBlue, K::Trackbar, kNoString, "", 4, 281, 379, 23, false, true, Sys, 1, 1024, 0},
    {ctl::RangeGreen, K::Trackbar, kNoString, "", 387, 281, 379, 23, false, true, Sys, 1, 1024, 0},
    {ctl::BackgroundSliderBlue, K::Trackbar, kNoString, "", 4, 308, 379, 23, false, true, Sys, -128,
     128, 0},
    {ctl::BackgroundSliderGreen, K::Trackbar, kNoString, "", 387, 308, 379, 23, false, true, Sys,
     -128, 128, 0},
    {ctl::CustomColorsBlue, K::CheckBox, StringId{36}, "", 4, 362, 100, 23, false, true, Gui, 0, 0,
     0},
    {ctl::CustomColorsGreen, K::CheckBox, StringId{36}, "", 585, 362, 100, 23, false, true, Gui, 0,
     0, 0},
    {ctl::BackgroundFieldBlue, K::DigitsEdit, kNoString, "0", 4, 335, 50, 20, false, true, Sys, 0,
     0, 0},
    {ctl::BackgroundFieldGreen, K::DigitsEdit, kNoString, "0", 716, 335, 50, 20, false, true, Sys,
     0, 0, 0},
    {ctl::AutoUpdateBlue, K::CheckBox, StringId{37}, "", 108, 362, 77, 23, false, true, Gui, 0, 0,
     0},
    {ctl::AutoUpdateGreen, K::CheckBox, StringId{37}, "", 689, 362, 77, 23, false, true, Gui, 0, 0,
     0},
    {ctl::SearchBlue, K::Button, StringId{38}, "", 151, 389, 81, 23, false, true, Gui, 0, 0, 0},
    {ctl::SearchGreen, K::Button, StringId{38}, "", 534, 389, 81, 23, false, true, Gui, 0, 0, 0},
    {ctl::CompareImages, K::Button, StringId{39}, "", 283, 389, 100, 23, false, true, Gui, 0, 0, 0},
    {ctl::CalculateMagnitudes, K::Button, StringId{40}, "", 387, 389, 110, 23, false, true, Gui, 0,
     0, 0},
    {ctl::StarList, K::ListView, kNoString, "", 4, 416, 762, 184, true, true, Sys, 0, 0, 0},
    {ctl::Move, K::CheckBox, StringId{41}, "", 311, 335, 80, 23, true, false, Gui, 0, 0, 0},
    {ctl::OffsetLabel, K::Caption, kNoString, "0|0", 326, 362, 65, 23, true, false, Gui, 0, 0, 0},
    {ctl::ArrowUp, K::ArrowButton, kNoString, "", 412, 335, 16, 16, false, false, Gui, 0, 0, 112},
    {ctl::ArrowRight, K::ArrowButton, kNoString, "", 429, 352, 16, 16, false, false, Gui, 0, 0,
     110},
    {ctl::ArrowDown, K::ArrowButton, kNoString, "", 412, 369, 16, 16, false, false, Gui, 0, 0, 113},
    {ctl::ArrowLeft, K::ArrowButton, kNoString, "", 395, 352, 16, 16, false, false, Gui, 0, 0, 114},
    {ctl::ResetSelection, K::Button, StringId{42}, "", 196, 335, 81, 23, false, true, Gui, 0, 0, 0},
    {ctl::CurveViewBlue, K::CheckBox, StringId{43}, "", 58, 335, 126, 23, false, true, Gui, 0, 0,
     0},
    {ctl::CurveViewGreen, K::CheckBox, StringId{43}, "", 586, 335, 126, 23, false, true, Gui, 0, 0,
     0},
    {ctl::Set1, K::Button, StringId{61}, "", 283, 389, 32, 23, true, false, Gui, 0, 0, 0},
    {ctl::Set2, K::Button, StringId{62}, "", 317, 389, 32, 23, true, false, Gui, 0, 0, 0},
    {ctl::Set3, K::Button, StringId{63}, "", 351, 389, 32, 23, true, false, Gui, 0, 0, 0},
    {ctl::StatusBar, K::StatusBar, kNoString, "", 0, 0, 0, 0, true, true, Sys, 0, 0, 0},
};

constexpr MenuItemSpec kMenu[] = {
    {0, menu::OpenBlue, "Open Blue Image...", true, "Ctrl+O"},
    {0, menu::OpenGreen, "Open Green Image...", true, "Ctrl+Shift+O"},
    {0, menu::ImportCalibration, "Import calibration stars...", true, "Ctrl+I"},
    {0, kMenuSeparator, "", true},
    {0, menu::Save, "Save...", false, "Ctrl+S"},
    {0, menu::ExportCsv, "Export CSV table...", true, "Ctrl+E"},
    {0, kMenuSeparator, "", true},
    {0, menu::Exit, "Exit", true, "Ctrl+Q"},
    {1, menu::Display, "Display...", true},
    {1, menu::Algorithm, "Algorithm...", true},
    {1, menu::Colors, "Colors...", true},
    {1, menu::Photometry, "Photometry...", true},
    {2, menu::ColourMagnitudeDiagram, "Colour-magnitude diagram", true, "Ctrl+D"},
};

}  // namespace

std::span<const ControlSpec> mainWindowControls() { return kControls; }

const ControlSpec* findControl(ControlId id) {
  for (const ControlSpec& c : kControls)
    if (c.id == id) return &c;
  return nullptr;
}

std::span<const MenuItemSpec> mainMenu() { return kMenu; }

namespace {

void appendFilters(StringId list, std::vector<FileFilter>& filters) {
  // The table marks each end of a label or pattern with this character.
  constexpr std::string_view kSeparator = "\xC3\xA4";
  std::vector<std::string> parts;
  std::string_view text = stringText(list);
  for (std::size_t at = text.find(kSeparator); at != std::string_view::npos;
       at = text.find(kSeparator)) {
    parts.emplace_back(text.substr(0, at));
    text.remove_prefix(at + kSeparator.size());
  }
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) filters.push_back({parts[i], parts[i + 1]});
}

}  // namespace

std::vector<FileFilter> fileFilters(StringId list) {
  std::vector<FileFilter> filters;
  appendFilters(list, filters);
  // FITS frames come after the five filters of ST-6 files, so that the
  // remembered indices of the blue and green filters keep their meaning.
  if (list == str::OpenFilters) appendFilters(str::FitsFilters, filters);
  return filters;
}

std::string startDirectory() {
  char buffer[PATH_MAX];
  std::string dir = getcwd(buffer, sizeof buffer) ? buffer : ".";
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

}  // namespace orelith
