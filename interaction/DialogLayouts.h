// The dialogs as data: title, size and every control with its kind,
// identifier, caption and place in dialog units, in creation order (which is
// also the tab order). The window converts the units to pixels and creates
// the widgets from these tables and nothing else.
#pragma once

#include <string>
#include <vector>

#include "resources/ControlIds.h"

namespace orelith {

enum class DialogItemKind {
  DefaultButton,  // push button that Enter presses
  Button,
  GroupBox,
  RadioButton,  // automatic, exclusive with the other radio buttons
  CheckBox,     // automatic check box
  Label,        // static text, left-aligned
  RightLabel,   // static text, right-aligned
  TextBlock,    // multi-line static text filled in when the dialog opens
  DigitsEdit,   // edit field that takes digits only
  TextEdit,     // edit field for a decimal number with sign and point
  Swatch        // the colour of one colour-table entry
};

struct DialogItem {
  DialogItemKind kind;
  int id;            // the control's number (idNumber of its identifier); 0 for none
  std::string text;  // caption; empty for edits
  std::string name;  // accessible name: the caption, or what an edit holds
  int x, y, width, height;
  int colour = -1;  // swatches: the colour-table entry shown
};

struct DialogLayout {
  DialogId id;
  std::string title;
  int width, height;
  std::vector<DialogItem> items;
};

// The layout of a dialog.
const DialogLayout* dialogLayout(DialogId dialog);

// Pixels of `units` dialog units: a horizontal unit is a quarter of the
// font's average character width, a vertical one an eighth of its height.
int dialogUnitsToPixelsX(int units, int averageCharWidth);
int dialogUnitsToPixelsY(int units, int charHeight);

}  // namespace orelith
