// The main window's event handling without the window: the command table
// (buttons, check boxes, text fields, menu items), the slider and list
// notifications, the two auto-update timers and the shutdown. The window maps
// each toolkit event to one of these calls and does nothing else.
#pragma once

#include <string_view>

#include "image/WindowPort.h"
#include "image/Workspace.h"

namespace orelith {

enum class CommandCode {
  Clicked,      // a button click, a check-box change, a menu item
  TextChanged,  // the text of an edit field changed
  Other         // any other notification of a control
};

struct CommandEvent {
  int id;  // control or menu identifier
  CommandCode code = CommandCode::Clicked;
  bool checked = false;   // check boxes: the state after the click
  std::string_view text;  // edit fields: the whole new text
};

// One row of the command table. False when the table has no action for the
// event (the window then does its default handling).
bool dispatchCommand(Workspace& ws, WindowPort& port, const CommandEvent& event);

// A slider's thumb moved while dragged: the renderer reads the position live,
// so a running auto update shows it; nothing is redrawn here.
void sliderMoved(Workspace& ws, int controlId, int position);
// A slider's thumb was released at `position`: range sliders 5 and 6 keep
// their range bit and redraw; background sliders 7 and 8 fold into the field.
void sliderReleased(Workspace& ws, WindowPort& port, int controlId, int position);

// Timer 14 or 17 fired. False for any other timer.
bool timerFired(Workspace& ws, WindowPort& port, int timerId);

// Starts or stops the auto update of `image` from its option bit; at most one
// timer runs, so starting one unticks and stops the other.
void setAutoUpdate(Workspace& ws, WindowPort& port, int image);
// Period of the auto-update timers in ms at the current frequency.
int autoUpdatePeriod(const Workspace& ws);

// "Exit" and closing the window: stops the running timer and quits.
void shutdown(Workspace& ws, WindowPort& port);

// The Open and Save menu commands around their file dialogs.
void openCommand(Workspace& ws, WindowPort& port, int image);
void saveCommand(Workspace& ws, WindowPort& port);

// Whether the window offers comparing and calculating now; the batch tool
// refuses by the same rules.
bool canCompare(const Workspace& ws);
bool canCalculate(const Workspace& ws);

}  // namespace orelith
