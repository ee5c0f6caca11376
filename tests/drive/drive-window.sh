#!/usr/bin/env bash
# Drives the orelith window under a virtual X server through a whole
# measurement of the sample frames, with the pointer and the keyboard only,
# and checks the result against orelith-batch doing the same steps: the saved
# HTML report byte for byte, and the blue panel on screen pixel for pixel
# against --render-blue; then the science of the window (photometry
# settings, calibration file, warnings, diagram) and its CSV table byte for
# byte against --csv.
# Usage: drive-window.sh ORELITH ORELITH_BATCH SAMPLES_DIR
# Exit status 77 (skipped) when the X tools are missing.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/xdrive.sh"
xd_have_tools || exit 77
if [ -z "${XD_INNER:-}" ]; then
  XD_INNER=1 exec timeout 300 "$here/../../tools/with-xvfb.sh" 1280x1024x24 bash "$0" "$@"
fi

program=$(realpath "$1") batch=$(realpath "$2") samples=$(realpath "$3")
scratch=$(mktemp -d)
trap 'kill "$XD_PID" 2>/dev/null; rm -rf "$scratch"' EXIT
# Pictures of a failure are kept in a fresh folder of our own, never under a
# fixed name in a shared one.
keep=
keep_folder() { [ -n "$keep" ] || keep=$(mktemp -d); }
fail() {
  echo "FAIL: $*"
  keep_folder
  import -window root "$keep/screen.png" 2>/dev/null && echo "the screen is kept in $keep/screen.png"
  [ -s "${XD_LOG:-}" ] && { echo "the program's standard error:"; tail -n 20 "$XD_LOG"; }
  exit 1
}

# The same measurement as the window's below (see xd_measure).
xd_calibration_csv >"$scratch/calibration.csv"
"$batch" --blue "$samples/cluster.b" --green "$samples/cluster.g" --rect "$XD_RECT" \
  --background-blue 1130 --background-green 1130 --search --compare \
  --calibration "$scratch/calibration.csv" --calculate --complex \
  --html "$scratch/batch.html" --render-blue "$scratch/batch.png" ||
  fail "orelith-batch failed"

cd "$scratch" || exit 1
XD_LOG=$scratch/stderr.txt
xd_start "$program" || fail "the window did not start"
xd_measure "$samples" "$scratch/window.html" || fail "the measurement through the window"

cmp "$scratch/batch.html" "$scratch/window.html" ||
  { diff "$scratch/batch.html" "$scratch/window.html" | head -20; fail "the saved report differs"; }
echo "the saved report equals orelith-batch's"

# The last painting may still be on its way: a few looks, each after the
# events before it were taken.
for attempt in 1 2 3 4 5; do
  xd_panel "$scratch/screen.png"
  differing=$(compare -metric AE "$scratch/screen.png" "$scratch/batch.png" null: 2>&1)
  [ "$differing" = 0 ] && break
  sleep 0.2
done
if [ "$differing" != 0 ]; then
  keep_folder
  cp "$scratch/screen.png" "$keep/panel.png"
  fail "the blue panel on screen differs from --render-blue in $differing pixels" \
    "(picture kept in $keep/panel.png)"
fi
echo "the blue panel on screen equals --render-blue"

# The science with the same choices as the window's below: aperture
# photometry, the standard transformation, the sample calibration stars
# inside the search rectangle (the batch tool refuses a row it cannot place;
# the window would only report it). A warning box is due exactly when the
# batch tool warns.
awk -F, 'NR == 1 || ($1 >= 20 && $1 < 360 && $2 >= 10 && $2 < 230)' \
  "$samples/calibration.csv" >"$scratch/inside.csv"
"$batch" --blue "$samples/cluster.b" --green "$samples/cluster.g" --rect "$XD_RECT" \
  --background-blue 1130 --background-green 1130 --search --compare \
  --calibration "$scratch/inside.csv" --photometry aperture --model transform --calculate \
  --csv "$scratch/batch.csv" 2>"$scratch/batch-warnings.txt" ||
  fail "orelith-batch failed on the science"
warned=0
grep -q '^WARNING' "$scratch/batch-warnings.txt" && warned=1
xd_science "$scratch/inside.csv" "$scratch/window.csv" "$warned" || fail "the science through the window"
cmp "$scratch/batch.csv" "$scratch/window.csv" ||
  { diff "$scratch/batch.csv" "$scratch/window.csv" | head -20; fail "the CSV tables differ"; }
echo "the exported CSV table equals orelith-batch's"

xd_exit || fail "Exit"
echo "closed through File > Exit"
