// The main window's event handling without the window: the command table
// (buttons, check boxes, text fields, menu items), the slider
// notifications, the two auto-update timers and the shutdown. The window maps
// each toolkit event to one of these calls and does nothing else.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "image/Workspace.h"
#include "interaction/WindowPort.h"
#include "interaction/Workflow.h"
#include "photometry/Science.h"

namespace orelith {

enum class CommandCode {
  Clicked,      // a button click, a check-box change
  TextChanged,  // the text of an edit field changed
  Other         // any other notification of a control
};

struct CommandEvent {
  ControlId id;
  CommandCode code = CommandCode::Clicked;
  bool checked = false;   // check boxes: the state after the click
  std::string_view text;  // edit fields: the whole new text
};

// One row of the command table. False when the table has no action for the
// event (the window then does its default handling).
bool dispatchCommand(Workspace& ws, WindowPort& port, const CommandEvent& event);
// A menu item was chosen; menu items act on every notification.
void menuCommand(Workspace& ws, WindowPort& port, MenuId item);

// A slider's thumb moved while dragged: the renderer reads the position live,
// so a running auto update shows it; nothing is redrawn here.
void sliderMoved(Workspace& ws, ControlId slider, int position);
// The tooltip of a slider dragged to `position`: the position, or for a
// floating-point frame's range slider the span of values it gives.
std::string sliderTip(const Workspace& ws, ControlId slider, int position);
// A slider's thumb was released at `position`: the range sliders keep their
// range bit and redraw; the background sliders fold into the field.
void sliderReleased(Workspace& ws, WindowPort& port, ControlId slider, int position);

// An auto-update timer fired: the panel showing its image is redrawn.
void timerFired(Workspace& ws, WindowPort& port, TimerId timer);

// Starts or stops the auto update of `image` from its option bit; at most one
// timer runs, so starting one unticks and stops the other.
void setAutoUpdate(Workspace& ws, WindowPort& port, int image);
// Period of the auto-update timers in ms at the current frequency.
int autoUpdatePeriod(const Workspace& ws);

// "Exit" and closing the window: stops the running timer and quits.
void shutdown(Workspace& ws, WindowPort& port);

inline constexpr char kRefusalCaption[] = "Calculate magnitudes";
inline constexpr char kWarningsCaption[] = "Photometry warnings";

struct Calculation {
  CalculateStatus status = CalculateStatus::NoCalibrationStars;
  std::optional<ScienceResults> science;  // finished, when the calculation ran
  std::string refusal;                    // why, when too few calibration stars were usable
};

// "Calculate magnitudes" with the workspace's science settings: the frames
// measured first, so that flagged calibration stars enter the curves by
// their fits or stay out; fewer usable calibration stars than coefficients
// refused with a note; then, whatever the outcome, the list refill and a
// repaint of each panel showing its curve; after a calculation the science
// finished and its warnings shown in a note.
Calculation calculateCommand(Workspace& ws, WindowPort& port);

// The Open and Save menu commands around their file dialogs.
void openCommand(Workspace& ws, WindowPort& port, int image);
void saveCommand(Workspace& ws, WindowPort& port);

// Loads `path` into `image` as the Open command does once its dialog chose
// it: the message of a refused file, or the image's controls enabled, "Save..."
// greyed while the other image has no stars, the panel redrawn and the list
// refilled. False when the file was refused.
bool openImageFile(Workspace& ws, WindowPort& port, int image, const std::string& path);

// The background field of `image` now holds `text` (typed, or written by the
// program): the value is taken, a value beyond 65535 beeps and puts the bound
// back, and the panel showing the image is redrawn.
void backgroundFieldChanged(Workspace& ws, WindowPort& port, int image, std::string_view text);

// "Manually" switched on: the offset label shows the offset as the arrows
// moved the green image on screen.
std::string offsetLabelText(const Workspace& ws);

}  // namespace orelith
