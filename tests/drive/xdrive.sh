# Shell functions that use the orelith window as a person would: pointer and
# keyboard through xdotool on the visible windows of an X display, nothing
# else. Sourced by the drive test, the random walk and measure-window.sh.
#
# Every wait is for a window by its title and is bounded; a step that needs
# the program to have taken the previous events in waits for the window that
# those events open or close.

readonly XD_TITLE="Windows-Kelvara"
# The client area (status bar bottom at 626) fills the window below the menu
# bar, whose height depends on the font.
readonly XD_CLIENT_HEIGHT=626
XD_WAIT=${XD_WAIT:-30}
XD_HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# xd_have_tools: true when every program the drive needs is installed.
xd_have_tools() {
  local t
  for t in Xvfb xdotool import compare; do
    command -v "$t" >/dev/null || { echo "SKIP: $t is not installed"; return 1; }
  done
}

# xd_wait_title TITLE: waits for a visible window named exactly TITLE and
# prints its id. A search that meets a window as it closes fails; the next
# one is asked.
xd_wait_title() {
  local i w
  for ((i = 0; i < XD_WAIT * 20; ++i)); do
    w=$(xd_visible "$1")
    [ -n "$w" ] && { echo "$w"; return 0; }
    sleep 0.05
  done
}

# xd_visible TITLE: prints the id of a visible window named exactly TITLE.
xd_visible() {
  xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | tail -n 1
}

# xd_ready WIN: waits (at most 5 s) until the new window WIN has the
# keyboard, as a person waits for a dialog to be ready before typing; keys
# sent to it earlier would go to the window below.
xd_ready() {
  local i
  for ((i = 0; i < 100; ++i)); do
    [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ] && return 0
    sleep 0.05
  done
}

# xd_popup_settle: a popup is on screen before it takes the keyboard; a slow
# build needs a moment more.
xd_popup_settle() { sleep "${XD_SETTLE:-0.25}"; }

# xd_wait_gone TITLE: waits until no visible window is named TITLE.
xd_wait_gone() {
  local i
  for ((i = 0; i < XD_WAIT * 20; ++i)); do
    [ -z "$(xd_visible "$1")" ] && return 0
    sleep 0.05
  done
  echo "window \"$1\" did not close"
  return 1
}

# xd_windows: the program's visible windows, one id a line. Its popups (menus,
# the items of a type box) carry only the class, not a title xdotool matches.
# A search that meets a closing window comes back empty or short: only a list
# holding the main window, which is always there, is taken.
xd_windows() {
  local i list
  for ((i = 0; i < 100; ++i)); do
    list=$(xdotool search --onlyvisible --class orelith 2>/dev/null)
    grep -qx "$XD_WIN" <<<"$list" && break
    sleep 0.02
  done
  echo "$list"
}

# xd_wait_new BEFORE [SECONDS]: waits for a visible window of the program that
# is not in the list BEFORE (from xd_windows) and prints its id.
xd_wait_new() {
  local i w
  for ((i = 0; i < ${2:-$XD_WAIT} * 50; ++i)); do
    for w in $(xd_windows); do
      [ "$w" = "$XD_WIN" ] || grep -qx "$w" <<<"$1" || { echo "$w"; return 0; }
    done
    sleep 0.02
  done
  return 1
}

# xd_start PROGRAM [ARG...]: starts the program with its standard error in
# $XD_LOG, waits for the main window; sets XD_PID, XD_WIN and XD_TOP (the
# client area's top in window coordinates).
xd_start() {
  XD_LOG=${XD_LOG:-/dev/null}
  # In a sanitizer build the leak check at exit passes over what the system
  # libraries keep (tests/lsan.supp).
  local lsan="suppressions=$XD_HERE/../lsan.supp:print_suppressions=0"
  QT_QPA_PLATFORM=xcb LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}$lsan" \
    "$@" 2>"$XD_LOG" &
  XD_PID=$!
  XD_WIN=$(xd_wait_title "$XD_TITLE")
  [ -n "$XD_WIN" ] || { echo "no window \"$XD_TITLE\" appeared"; return 1; }
  local WIDTH HEIGHT X Y SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$XD_WIN")"
  XD_TOP=$((HEIGHT - XD_CLIENT_HEIGHT))
}

# xd_at X Y: pointer to client coordinates (X, Y) of the main window.
xd_at() { xdotool mousemove --window "$XD_WIN" "$1" $(($2 + XD_TOP)); }
xd_click() { xd_at "$1" "$2" && xdotool click 1; }
# Two presses well inside the double-click interval.
xd_double() { xd_at "$1" "$2" && xdotool click --repeat 2 --delay 60 1; }
xd_drag() {
  xd_at "$1" "$2" && xdotool mousedown 1 && xd_at $((($1 + $3) / 2)) $((($2 + $4) / 2)) &&
    xd_at "$3" "$4" && xdotool mouseup 1
}
# xd_field X Y TEXT: a click into a text field, everything selected, TEXT typed.
xd_field() { xd_click "$1" "$2" && xdotool key ctrl+a && xdotool type --delay 5 "$3"; }
# Blue panel pixel (X, Y) in client coordinates.
xd_blue() { xd_at $((6 + $1)) $((33 + $2)); }

# xd_menu MENU KEY...: opens "File" (MENU 0) or "Configuration" (MENU 1) by a
# click on the menu bar's first title (and Right for the second), then the
# keys. Right opens "Configuration" with its first item active, so Return
# alone there is "Display...". In "File" nothing is active at first; its items
# are reached from the bottom where greyed items could shift them: Up is
# "Exit", Up Up "Export CSV table...", Up Up Up "Save..." (or, while that is
# greyed, "Import calibration stars...").
# A click on the title soon after a menu closed may be taken as closing it
# again: a person whose menu does not open clicks once more.
xd_menu() {
  local menu=$1 before attempt
  shift
  before=$(xd_windows)
  for attempt in 1 2 3; do
    xdotool mousemove --window "$XD_WIN" 14 $((XD_TOP / 2)) click 1
    xd_wait_new "$before" $((XD_WAIT / 3)) >/dev/null && break
  done
  xd_popup_settle
  if [ "$menu" -eq 1 ]; then
    before=$(xd_windows)
    xdotool key Right
    xd_wait_new "$before" >/dev/null
    xd_popup_settle
  fi
  xdotool key "$@"
}

# xd_file_dialog TITLE PATH: types PATH into the file dialog titled TITLE
# (its file name field has the focus) and accepts it with Return. The field's
# completion list can take the Return, and a busy machine can lose the first
# keys typed into a dialog that has only just taken the keyboard: a person
# whose dialog stays open clears the field and types the name again.
xd_file_dialog() {
  local d attempt
  d=$(xd_wait_title "$1")
  [ -n "$d" ] || { echo "no file dialog \"$1\""; return 1; }
  xd_ready "$d"
  for attempt in 1 2 3; do
    [ -n "$(xd_visible "$1")" ] || return 0
    ((attempt == 1)) || xdotool key ctrl+a BackSpace
    xdotool type --delay 2 "$2"
    xd_popup_settle
    xdotool key Return
    XD_WAIT=$((XD_WAIT / 3)) xd_wait_gone "$1" >/dev/null && return 0
  done
  xd_wait_gone "$1"
}

# xd_open IMAGE PATH: "File" > "Open Blue Image..." (0) or "Open Green
# Image..." (1) and the file dialog.
xd_open() {
  if [ "$1" -eq 0 ]; then
    xd_menu 0 Down Return
    xd_file_dialog "Open blue image" "$2"
  else
    xd_menu 0 Down Down Return
    xd_file_dialog "Open green image" "$2"
  fi
}

# xd_dialog_click WIN DX DY WIDTH HEIGHT: a click at dialog unit (DX, DY) of a
# dialog laid out WIDTH x HEIGHT units; the window is the dialog's client area
# (no window manager), so units scale linearly to its pixels.
xd_dialog_click() {
  local WIDTH HEIGHT X Y SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove --window "$1" $(($2 * WIDTH / $4)) $(($3 * HEIGHT / $5)) click 1
}

# xd_calibrate X Y V BV: double click on blue pixel (X, Y), then in "Star
# properties" (186 x 168 units) tick "Calibration star", type V and B-V, OK.
# On a busy machine the two clicks may reach the program too far apart to
# count as a double click: a person whose dialog does not open clicks again.
xd_calibrate() {
  local p attempt
  for attempt in 1 2 3; do
    xd_blue "$1" "$2" && xdotool click --repeat 2 --delay 60 1
    p=$(XD_WAIT=$((XD_WAIT / 3)) xd_wait_title "Star properties")
    [ -n "$p" ] && break
  done
  [ -n "$p" ] || { echo "no \"Star properties\" for pixel ($1, $2)"; return 1; }
  xd_ready "$p"
  xd_dialog_click "$p" 12 80 186 168                                  # "Calibration star"
  xd_dialog_click "$p" 57 62 186 168 && xdotool type --delay 5 "$3"  # V-Mag.
  xd_dialog_click "$p" 152 62 186 168 && xdotool type --delay 5 "$4" # B-V.
  xd_dialog_click "$p" 100 97 186 168                                 # OK
  xd_wait_gone "Star properties"
}

# xd_save PATH: "File" > "Save...", the "Html-Tabel" filter picked from the
# type box, PATH typed into the name field, Return.
xd_save() {
  local s before WIDTH HEIGHT X Y SCREEN WINDOW
  xd_menu 0 Up Up Up Return
  s=$(xd_wait_title "Save output")
  [ -n "$s" ] || { echo "no save dialog"; return 1; }
  xd_ready "$s"
  eval "$(xdotool getwindowgeometry --shell "$s")"
  # The type box spans the middle of the bottom row, the name field the row
  # above it.
  before=$(xd_windows)
  xdotool mousemove --window "$s" $((WIDTH / 2)) $((HEIGHT - 24)) click 1
  xd_wait_new "$before" >/dev/null
  xd_popup_settle
  xdotool key Home Return
  xdotool mousemove --window "$s" $((WIDTH / 2)) $((HEIGHT - 54)) click 1
  xdotool type --delay 2 "$1"
  xdotool key Return
  xd_wait_gone "Save output" || return 1
  xd_wait_file "$1"
}

# xd_wait_file PATH: waits until PATH exists (a file is written once its
# dialog has closed, under another name first).
xd_wait_file() {
  local i
  for ((i = 0; i < XD_WAIT * 20; ++i)); do
    [ -e "$1" ] && return 0
    sleep 0.05
  done
  echo "no file $1 was written"
  return 1
}

# xd_close_box TITLE [SECONDS]: waits for the message box TITLE (at most
# SECONDS, default XD_WAIT) and closes it with Return as a person who has
# read it; fails when no such box came.
xd_close_box() {
  local b
  b=$(XD_WAIT=${2:-$XD_WAIT} xd_wait_title "$1")
  [ -n "$b" ] || return 1
  xd_ready "$b"
  xdotool key Return
  xd_wait_gone "$1"
}

# xd_science STARS CSV WARNED: after xd_measure, the science of the
# window: "Configuration" > "Photometry..." with aperture photometry and the
# standard transformation, "File" > "Import calibration stars..." of the
# star file STARS, "Calculate magnitudes" (with its warning box
# when WARNED is 1, none when 0), "View" > "Colour-magnitude diagram" by
# Ctrl+D and a click on a calibration star of it, which must select that
# star in the blue panel, and "File" > "Export CSV table..." to CSV.
xd_science() {
  local d b i
  echo "step: Photometry configuration"
  # "Configuration" opens with "Display..." active; "Photometry..." is the
  # fourth item. The dialog is 200 x 218 units.
  xd_menu 1 Down Down Down Return
  d=$(xd_wait_title "Photometry configuration")
  [ -n "$d" ] || { echo "no photometry dialog"; return 1; }
  xd_ready "$d"
  xd_dialog_click "$d" 120 23 200 218 # "Aperture"
  xd_dialog_click "$d" 30 169 200 218 # "Standard transformation"
  xd_dialog_click "$d" 115 206 200 218 # OK
  xd_wait_gone "Photometry configuration" || return 1
  echo "step: import the calibration stars"
  xd_menu 0 Down Down Down Return
  d=$(xd_wait_title "Import calibration stars")
  [ -n "$d" ] || { echo "no import dialog"; return 1; }
  xd_ready "$d"
  xdotool type --delay 2 "$1"
  xdotool key Return
  # The import's report carries the dialog's title: the next window of that
  # name that is not the dialog.
  for ((i = 0; i < XD_WAIT * 20; ++i)); do
    b=$(xd_visible "Import calibration stars")
    [ -n "$b" ] && [ "$b" != "$d" ] && break
    sleep 0.05
  done
  if [ -z "$b" ] || [ "$b" = "$d" ]; then
    echo "no report of the import"
    return 1
  fi
  xd_ready "$b"
  xdotool key Return
  xd_wait_gone "Import calibration stars" || return 1
  echo "step: calculate"
  xd_click 442 400 # "Calculate magnitudes"
  if [ "$3" = 1 ]; then
    xd_close_box "Photometry warnings" || { echo "no warning box"; return 1; }
  elif xd_close_box "Photometry warnings" 3; then
    echo "a warning box where orelith-batch warned of nothing"
    return 1
  fi
  xd_diagram_click || return 1
  echo "step: export the CSV table"
  xd_menu 0 Up Up Return
  xd_file_dialog "Export CSV table" "$2" || return 1
  xd_wait_file "$2"
}

# xd_diagram_click: Ctrl+D opens the diagram, which is moved off the main
# window's menu bar and buttons; a calibration star's red mark (204, 0, 0) is
# found in a picture of it and clicked, and the blue panel must change (the
# star drawn as selected). The legend's red mark selects nothing, so a few
# marks are tried.
xd_diagram_click() {
  local c before after xy x y i shot=${TMPDIR:-/tmp}/xd-diagram.$$.png
  echo "step: the colour-magnitude diagram"
  xd_click 333 616 # the status bar: the main window has the keyboard
  xdotool key ctrl+d
  c=$(xd_wait_title "Colour-magnitude diagram")
  [ -n "$c" ] || { echo "no diagram window"; return 1; }
  xdotool windowmove "$c" 560 420
  # The picture shows the diagram once the window has moved and painted
  # itself there; until then it may show what lay below.
  for ((i = 0; i < XD_WAIT * 2; ++i)); do
    # grep -c reads to the end: an early exit would fail the pipe (pipefail).
    import -window "$c" "$shot" && [ "$(convert "$shot" txt:- | grep -ci '#CC0000')" -gt 0 ] && break
    sleep 0.5
  done
  before=$(xd_panel_sum)
  # The middle pixel of each run of red in the picture, a few marks apart.
  for xy in $(convert "$shot" txt:- | grep -i '#CC0000' | sed 's/:.*//' | awk -F, '
        { if ($2 != row || $1 != last + 1) { if (n) print mid; row = $2; n = 0 }
          last = $1; n++; if (n == 3) mid = $1 "," $2 }
        END { if (n) print mid }' | sort -t, -k2n -u | awk 'NR % 3 == 1' | head -n 6); do
    x=${xy%,*} y=${xy#*,}
    xdotool mousemove --window "$c" "$x" "$y" click 1
    for ((i = 0; i < 20; ++i)); do
      after=$(xd_panel_sum)
      [ "$after" != "$before" ] && { rm -f "$shot"; echo "star at ($x, $y) selected"; return 0; }
      sleep 0.1
    done
  done
  rm -f "$shot"
  echo "no calibration star of the diagram could be clicked"
  return 1
}

# xd_panel_sum: a checksum of the blue panel as it is on screen.
xd_panel_sum() {
  import -window "$XD_WIN" -crop "375x242+6+$((33 + XD_TOP))" +repage -strip rgb:- | md5sum
}

# xd_exit: "File" > "Exit"; waits for the program to end and returns its
# status (1 when it does not end).
xd_exit() {
  local i
  xd_menu 0 Up Return
  for ((i = 0; i < XD_WAIT * 10; ++i)); do
    kill -0 "$XD_PID" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$XD_PID" 2>/dev/null; then
    echo "the window did not close through File > Exit"
    kill "$XD_PID"
    wait "$XD_PID"
    return 1
  fi
  wait "$XD_PID"
}

# xd_panel FILE: the blue panel as it is on screen, cut from a picture of the
# main window.
xd_panel() {
  import -window "$XD_WIN" -crop "375x242+6+$((33 + XD_TOP))" +repage -strip "$1"
}

# The measurement of the sample frames that the drive test compares with
# orelith-batch: the search rectangle is a drag from blue pixel (20, 10) to
# (359, 229); the three calibration stars, each named by a pixel of it, are
# entered in this order with the values of samples/calibration.csv.
readonly XD_RECT=20,10,360,230
readonly XD_STARS=("223 126 9.1640 0.0687" "79 143 9.4359 0.0419" "290 16 9.9615 0.0986")

# xd_calibration_csv: the three stars as orelith-batch's --calibration file.
xd_calibration_csv() {
  local s
  echo "x,y,V,BV"
  for s in "${XD_STARS[@]}"; do tr ' ' , <<<"$s"; done
}

# xd_measure SAMPLES_DIR HTML: the whole measurement through the window: both
# frames opened, "Complex output" ticked, backgrounds 1130 typed, the
# rectangle dragged, both searches, the comparison, the calibration stars,
# the calculation, and the report saved as HTML.
xd_measure() {
  local d s
  echo "step: open both frames"
  xd_open 0 "$1/cluster.b" || return 1
  xd_open 1 "$1/cluster.g" || return 1
  echo "step: Complex output"
  # "Configuration" > "Display...": "Complex output", OK (192 x 135 units).
  xd_menu 1 Return
  d=$(xd_wait_title "Display configuration")
  [ -n "$d" ] || { echo "no display dialog"; return 1; }
  xd_ready "$d"
  xd_dialog_click "$d" 22 90 192 135
  xd_dialog_click "$d" 100 122 192 135
  xd_wait_gone "Display configuration" || return 1
  echo "step: backgrounds, rectangle, searches, comparison"
  xd_field 29 345 1130  # blue background field
  xd_field 741 345 1130 # green background field
  xd_drag $((6 + 20)) $((33 + 10)) $((6 + 359)) $((33 + 229))
  xd_click 191 400 # "Search stars", blue
  xd_click 574 400 # "Search stars", green
  xd_click 333 400 # "Compare images"
  for s in "${XD_STARS[@]}"; do
    echo "step: calibration star $s"
    # shellcheck disable=SC2086
    xd_calibrate $s || return 1
  done
  echo "step: calculate and save"
  xd_click 442 400 # "Calculate magnitudes"
  # The science's warnings come in a box of their own (extrapolated stars
  # on these frames); OK closes it, as a person reads and closes it. A busy
  # machine may take seconds to show it, and Save must not meet it.
  d=$(XD_WAIT=15 xd_wait_title "Photometry warnings")
  if [ -n "$d" ]; then
    xd_ready "$d"
    xdotool key Return
    xd_wait_gone "Photometry warnings" || return 1
  fi
  xd_save "$2"
}
