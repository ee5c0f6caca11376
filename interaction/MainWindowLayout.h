// The main window as data: every control with its identifier, kind, caption,
// place and state at creation, in creation order (which is also the tab
// order), the menu, the file filters and the start directory. The window
// builds itself from these tables and nothing else.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/Rect.h"
#include "resources/ControlIds.h"
#include "resources/StringTable.h"

namespace orelith {

inline constexpr std::string_view kMainWindowTitle = "Windows-Kelvara";
inline constexpr std::string_view kMainWindowClass = "MyOrelithWndClass";
inline constexpr int kClientWidth = 770;
// Right edges of the three status-bar parts.
inline constexpr int kStatusPartEdges[3] = {671, 734, 769};

// Panels in client coordinates.
inline constexpr Rect kPanelRect[2] = {{6, 33, 381, 275}, {389, 33, 764, 275}};

enum class ControlKind {
  Frame,       // sunken static that holds a panel
  Caption,     // centred static text
  Trackbar,    // horizontal, no ticks, value tooltips
  StatusBar,   // docks itself at the bottom
  CheckBox,    // automatic check box
  DigitsEdit,  // digits only, sunken edge
  Button,      // push button, centred text
  ListView,    // report view, single selection, header not clickable
  ArrowButton  // push button showing a 12 x 12 arrow bitmap
};

enum class ControlFont { System, DefaultGui };

struct ControlSpec {
  ControlId id;
  ControlKind kind;
  StringId captionString;   // kNoString for none
  std::string_view text;    // fixed caption where there is no string ("0", "0|0")
  int x, y, width, height;  // client coordinates
  bool enabled;
  bool visible;
  ControlFont font;
  int rangeMin, rangeMax;  // trackbars only
  int bitmap;              // arrow bitmap resource (110, 112, 113, 114), else 0
};

// The 32 controls in the order they are created.
std::span<const ControlSpec> mainWindowControls();
// The entry of control `id`, or nullptr.
const ControlSpec* findControl(ControlId id);

inline constexpr MenuId kMenuSeparator{0};

struct MenuItemSpec {
  int menu;               // 0 "File", 1 "Configuration", 2 "View"
  MenuId id;              // kMenuSeparator for a separator
  std::string_view text;  // empty for a separator
  bool enabledAtStart;
  std::string_view shortcut = {};  // key sequence, as "Ctrl+D"; empty for none
};
// "View" and the items beside the specified ones carry the science results.
inline constexpr std::string_view kMenuTitles[3] = {"File", "Configuration", "View"};
std::span<const MenuItemSpec> mainMenu();

// Star list columns: header strings from str::ColumnFirst on, widths 45 then 100.
inline constexpr int kListColumns = 8;
inline constexpr int kListColumnWidth[kListColumns] = {45, 100, 100, 100, 100, 100, 100, 100};

struct FileFilter {
  std::string label;
  std::string pattern;
};
// The filter list of the open (the five filters of ST-6 files, then FITS
// files) or the save dialog (three): the text split at each separator
// character into label/pattern pairs.
std::vector<FileFilter> fileFilters(StringId list);

// The absolute path of the working directory, ending in a separator.
std::string startDirectory();

}  // namespace orelith
