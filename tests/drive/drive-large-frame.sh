#!/usr/bin/env bash
# Drives the orelith window under a virtual X server through a generated
# 2048 x 2048 FITS pair, opened and searched from the command line: the wheel
# and "+" zoom in on the blue panel, a middle drag and a scroll bar arrow pan,
# and a click on a star selects a row of the star list and draws the star in
# the selection colour. Each step must change what the screen shows.
# Usage: drive-large-frame.sh ORELITH ORELITH_GENFIELD
# Exit status 77 (skipped) when the X tools are missing.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/xdrive.sh"
xd_have_tools || exit 77
if [ -z "${XD_INNER:-}" ]; then
  XD_INNER=1 exec timeout 150 "$here/../../tools/with-xvfb.sh" 1280x1024x24 bash "$0" "$@"
fi

program=$(realpath "$1") genfield=$(realpath "$2")
scratch=$(mktemp -d)
trap 'kill "$XD_PID" 2>/dev/null; rm -rf "$scratch"' EXIT
# Pictures of a failure are kept in a fresh folder of our own, never under a
# fixed name in a shared one.
keep=
fail() {
  echo "FAIL: $*"
  [ -n "$keep" ] || keep=$(mktemp -d)
  import -window root "$keep/screen.png" 2>/dev/null &&
    echo "the screen is kept in $keep/screen.png"
  [ -s "${XD_LOG:-}" ] && { echo "the program's standard error:"; tail -n 20 "$XD_LOG"; }
  exit 1
}

# xd_panel cuts the blue panel; the list's rows lie below its header, left of
# its scroll bar (client 4,416 762 x 184).
list_rows() { import -window "$XD_WIN" -crop "700x158+10+$((440 + XD_TOP))" +repage -strip "$1"; }
# Pixels of a picture with a colour of their own (saturation above a half):
# the list draws black text on white and grey, only the selected row in the
# highlight colour.
coloured() { convert "$1" -colorspace HSL -channel G -separate -threshold 50% "${count[@]}"; }
dark() { convert "$1" -colorspace Gray -threshold 50% -negate "${count[@]}"; }
count=(-format "%[fx:round(mean*w*h)]" info:)

# until_changed BEFORE SECONDS: waits until the blue panel on screen differs
# from the picture BEFORE; the new picture is left in $scratch/now.png.
until_changed() {
  local i
  for ((i = 0; i < $2 * 5; ++i)); do
    xd_panel "$scratch/now.png"
    [ "$(compare -metric AE "$1" "$scratch/now.png" null: 2>&1)" != 0 ] && return 0
    sleep 0.2
  done
  return 1
}
# step NAME: the panel as it is now becomes the picture the next step changes.
step() { echo "step: $1"; xd_panel "$scratch/before.png"; }

cd "$scratch" || exit 1
"$genfield" --seed 11 --fits --size 2048x2048 --stars 800 --fwhm 4 --hot-pixels 0 \
  --out-blue blue.fits --out-green green.fits || fail "orelith-genfield failed"
XD_LOG=$scratch/stderr.txt
xd_start "$program" blue.fits green.fits --background-blue 1200 --background-green 1200 \
  --search || fail "the window did not start"

# The frames are read and searched before the window takes its first
# events; the list fills once it paints.
echo "step: wait for the searched frames"
for ((i = 0; i < XD_WAIT * 5; ++i)); do
  list_rows "$scratch/list.png"
  [ "$(dark "$scratch/list.png")" -gt 0 ] && break
  sleep 0.2
done
[ "$(dark "$scratch/list.png")" -gt 0 ] || fail "the star list stayed empty after the search"
[ "$(coloured "$scratch/list.png")" = 0 ] || fail "a list row is selected before any click"

step "wheel over the blue panel"
xd_blue 187 121 && xdotool click --repeat 8 --delay 40 4
until_changed before.png 20 || fail "eight wheel notches left the blue panel as it was"

# A press of the middle button gives the panel the keyboard as well.
step "middle drag"
xd_blue 250 160 && xdotool mousedown 2
xd_blue 200 130 && xd_blue 150 100 && xdotool mouseup 2
until_changed before.png 20 || fail "the middle drag left the blue panel as it was"

# Keys typed before the panel has the focus are lost: a person who sees
# nothing happen presses the middle button on the panel and tries again.
step "+ key"
moved=
for _ in 1 2 3; do
  xdotool key plus plus plus plus
  until_changed before.png 7 && { moved=1; break; }
  xd_blue 187 121 && xdotool click 2
done
[ -n "$moved" ] || fail "\"+\" left the blue panel as it was"

# The horizontal scroll bar lies over the panel's bottom edge; its arrow
# buttons sit at either end, the right one left of the vertical bar. A view
# already at the right edge moves with the left arrow.
step "scroll bar arrow"
moved=
for x in 355 15; do
  xd_blue "$x" 235 && xdotool click --repeat 3 --delay 80 1
  until_changed before.png 7 && { moved=1; break; }
done
[ -n "$moved" ] || fail "the horizontal scroll bar's arrows left the blue panel as it was"

# A star is the middle of the largest bright patch of the panel away from
# the scroll bars: a 3 x 3 erosion leaves only patches at least that large,
# where a lone bright pixel of noise would be gone.
echo "step: click a star"
list_rows "$scratch/list.png"
[ "$(coloured "$scratch/list.png")" = 0 ] || fail "a list row was selected before the star click"
xd_panel "$scratch/panel.png"
convert "$scratch/panel.png" -crop 340x210+8+8 +repage -colorspace Gray \
  -morphology Erode Square:1 "$scratch/inner.png"
read -r sx sy < <(identify -precision 5 -define identify:locate=maximum -define identify:limit=1 \
  "$scratch/inner.png" | awk '/Gray:/ { split($NF, p, ","); print p[1], p[2] }')
[ -n "${sy:-}" ] || fail "no bright patch found in the blue panel"
echo "clicking the star at panel ($((sx + 8)), $((sy + 8)))"
# A click lost on a busy machine is clicked again; the list and the panel
# are redrawn one after the other.
for _ in 1 2 3; do
  xd_blue $((sx + 8)) $((sy + 8)) && xdotool click 1
  for ((i = 0; i < 25; ++i)); do
    list_rows "$scratch/list.png"
    xd_panel "$scratch/panel.png"
    [ "$(coloured "$scratch/list.png")" -gt 0 ] && [ "$(coloured "$scratch/panel.png")" -gt 0 ] &&
      break 2
    sleep 0.2
  done
done
[ "$(coloured "$scratch/list.png")" -gt 0 ] ||
  fail "the click on a star selected no row of the list"
echo "a row of the star list is selected"
# The selected star is drawn in the selection colour, where it was clicked:
# the coloured pixels of the panel lie around the click.
read -r w h x y < <(convert "$scratch/panel.png" -colorspace HSL -channel G -separate \
  -threshold 50% -format "%@" info: | tr 'x+' '  ')
echo "the coloured part of the panel: ${w}x$h+$x+$y"
((x - 3 <= sx + 8 && sx + 8 <= x + w + 3 && y - 3 <= sy + 8 && sy + 8 <= y + h + 3)) ||
  fail "the star drawn as selected is not the one clicked"

xd_exit || fail "Exit"
echo "closed through File > Exit"
