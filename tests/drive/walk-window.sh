#!/usr/bin/env bash
# A seeded random walk of pointer and keyboard events over the orelith window
# and its dialogs under a virtual X server: clicks, double clicks, drags,
# digits typed into fields, menus, Escape. Afterwards the program must still
# answer (a menu opens its dialog) and end through "File" > "Exit" with status
# 0, and its standard error must hold no sanitizer report. Meant for the
# AddressSanitizer build.
# Usage: [SEED=n] walk-window.sh ORELITH SAMPLES_DIR [SECONDS]
# A failure prints SEED=n; the same seed replays the same events.
# Exit status 77 (skipped) when the X tools are missing.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/xdrive.sh"
xd_have_tools || exit 77
seconds=${3:-60}
export SEED=${SEED:-$(($(date +%s%N) / 1000 % 1000000))}
if [ -z "${XD_INNER:-}" ]; then
  XD_INNER=1 exec timeout $((seconds + 240)) "$here/../../tools/with-xvfb.sh" 1280x1024x24 bash "$0" "$@"
fi

program=$(realpath "$1") samples=$(realpath "$2")
scratch=$(mktemp -d)
trap 'kill "$XD_PID" 2>/dev/null; rm -rf "$scratch"' EXIT
echo "SEED=$SEED"
fail() {
  echo "FAIL: $* (replay with SEED=$SEED)"
  [ -s "${XD_LOG:-}" ] && { echo "the program's standard error:"; tail -n 60 "$XD_LOG"; }
  exit 1
}
RANDOM=$SEED
rnd() { echo $((RANDOM % $1)); }
# Anything a sanitizer or the C++ runtime writes when it finds a fault.
faults() { grep -E "Sanitizer|runtime error:|terminate called|Segmentation" "$XD_LOG"; }

# Places worth a click more often than a random point: the buttons, boxes and
# fields of the main window (client coordinates of their middles).
targets=(191,400 574,400 333,400 442,400 236,346 299,400 333,400 367,400 20,373 601,373
  146,373 727,373 121,346 649,346 351,346 420,343 437,360 420,377 403,360 29,345 741,345)
# Digits drawn from the walk's own sequence, so that a seed replays them.
number() {
  local n=$((1 + $(rnd 6))) s=""
  for ((; n > 0; --n)); do s+=$(rnd 10); done
  echo "$s"
}
key() {
  local keys=(Tab Tab space Return Left Right Up Down Home End Page_Up Page_Down BackSpace
    period 1 5 9 0 shift+Tab)
  xdotool key "${keys[$(rnd ${#keys[@]})]}"
}

# One event on the main window.
main_step() {
  local r=$(rnd 100) t x y
  if ((r < 25)); then
    xd_click $(rnd 770) $(rnd 626)
  elif ((r < 45)); then
    t=${targets[$(rnd ${#targets[@]})]}
    xd_click "${t%,*}" "${t#*,}"
  elif ((r < 55)); then
    # Mostly on the panels, where a double click opens the star properties.
    if (($(rnd 4) == 0)); then xd_double $(rnd 770) $((420 + $(rnd 180))); else
      xd_double $((6 + $(rnd 758))) $((33 + $(rnd 242)))
    fi
  elif ((r < 65)); then
    x=$((6 + $(rnd 375))) y=$((33 + $(rnd 242)))
    if (($(rnd 3) == 0)); then xd_drag $(rnd 770) $((281 + $(rnd 50))) $(rnd 770) $((281 + $(rnd 50)))
    else xd_drag "$x" "$y" $((6 + $(rnd 375))) $((33 + $(rnd 242))); fi
  elif ((r < 75)); then
    if (($(rnd 2) == 0)); then xd_field 29 345 "$(number)"; else xd_field 741 345 "$(number)"; fi
  elif ((r < 85)); then
    menu_step
  elif ((r < 90)); then
    xdotool key Escape
  else
    key
  fi
}

# A menu item, never "Exit": the open dialogs, "Save..." and the three
# configuration dialogs. Waits for the window it opens, so that the next
# events go to it.
menu_step() {
  local before
  before=$(xd_windows)
  case $(rnd 6) in
    0) xd_menu 0 Down Return ;;
    1) xd_menu 0 Down Down Return ;;
    2) xd_menu 0 Up Up Up Return ;;
    3) xd_menu 1 Return ;;
    4) xd_menu 1 Down Return ;;
    5) xd_menu 1 Down Down Return ;;
  esac
  XD_WAIT=10 xd_wait_new "$before" >/dev/null
}

# One event on the dialog WIN titled NAME. The file dialogs get a path or
# Escape and nothing else, so the walk never wanders the file system; a
# message box gets Return; the configuration and star dialogs get clicks,
# digits and keys, and Escape after a few events. The science's boxes
# ("Photometry warnings", "Calculate magnitudes") are message boxes too.
dialog_steps=0
dialog_step() {
  local win=$1 name=$2 WIDTH HEIGHT X Y SCREEN WINDOW
  case $name in
    "Open blue image" | "Open green image")
      if (($(rnd 3) == 0)); then xdotool key Escape; else
        local f=(cluster.b cluster.g)
        xdotool type --delay 2 "$samples/${f[$(rnd 2)]}"
        xdotool key Return
      fi
      xd_wait_gone "$name"
      return ;;
    "Save output")
      if (($(rnd 3) == 0)); then xdotool key Escape; else
        xdotool type --delay 2 "$scratch/saved-$step"
        xdotool key Return
      fi
      xd_wait_gone "$name"
      return ;;
    ERROR | "Photometry warnings" | "Calculate magnitudes")
      xdotool key Return
      return ;;
  esac
  if ((++dialog_steps > 8)); then
    dialog_steps=0
    xdotool key Escape
    return
  fi
  eval "$(xdotool getwindowgeometry --shell "$win")"
  case $(rnd 5) in
    0 | 1) xdotool mousemove --window "$win" $(rnd "$WIDTH") $(rnd "$HEIGHT") click 1 ;;
    2) xdotool mousemove --window "$win" $(rnd "$WIDTH") $(rnd "$HEIGHT") click 1 \
      type --delay 5 "$(number)" ;;
    3) key ;;
    4) xdotool mousemove --window "$win" $((WIDTH / 2)) $((HEIGHT - 12)) click 1 ;;
  esac
}

# The walk's next event goes to the window on top: the newest of the
# program's windows other than the main window, else the main window. An
# open popup (a menu, a list of choices) is closed first.
step_once() {
  local w top="" name
  for w in $(xd_windows); do [ "$w" != "$XD_WIN" ] && top=$w; done
  if [ -z "$top" ]; then
    dialog_steps=0
    main_step
    return
  fi
  name=$(xdotool getwindowname "$top" 2>/dev/null)
  if [ "$name" = orelith ] || [ -z "$name" ]; then
    xdotool key Escape
  else
    dialog_step "$top" "$name"
  fi
}

# Escape until only the main window is left.
close_dialogs() {
  local i w top
  for ((i = 0; i < 40; ++i)); do
    top=""
    for w in $(xd_windows); do [ "$w" != "$XD_WIN" ] && top=$w; done
    [ -z "$top" ] && return 0
    case $(xdotool getwindowname "$top" 2>/dev/null) in
      ERROR | "Photometry warnings" | "Calculate magnitudes") xdotool key Return ;;
      *) xdotool key Escape ;;
    esac
    sleep 0.2
  done
  return 1
}

cd "$scratch" || exit 1
XD_LOG=$scratch/stderr.txt
XD_WAIT=60 xd_start "$program" "$samples/cluster.b" "$samples/cluster.g" || fail "the window did not start"
end=$((SECONDS + seconds))
step=0
while ((SECONDS < end)); do
  ((++step))
  step_once
  kill -0 "$XD_PID" 2>/dev/null || { wait "$XD_PID"; fail "the program ended (status $?) at step $step"; }
  [ -z "$(faults)" ] || fail "a fault was reported at step $step"
done
echo "$step steps"

close_dialogs || fail "the dialogs did not close"
# Still answering: the display dialog opens from the menu and closes again.
xd_menu 1 Return
[ -n "$(XD_WAIT=60 xd_wait_title "Display configuration")" ] || fail "the window no longer answers"
xdotool key Escape
XD_WAIT=60 xd_wait_gone "Display configuration" || fail "the display dialog did not close"
XD_WAIT=60 xd_exit || fail "Exit (status $?)"
[ -z "$(faults)" ] || fail "a fault was reported at the end"
echo "the window still answered and closed through File > Exit"
