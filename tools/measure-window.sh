#!/usr/bin/env bash
# Measures the orelith window under a virtual X server: the time from start
# to the first painted window (three starts), and the resident memory of the
# running program after a full measurement of the sample frames driven with
# the pointer and the keyboard (the drive test's steps).
# Usage: bash tools/measure-window.sh [ORELITH]   (default build/bin/orelith)
set -euo pipefail
cd "$(dirname "$0")/.."
source tests/drive/xdrive.sh
xd_have_tools || exit 1
if [ -z "${XD_INNER:-}" ]; then
  XD_INNER=1 exec timeout 300 tools/with-xvfb.sh 1280x1024x24 bash "$0" "$@"
fi
program=$(realpath "${1:-build/bin/orelith}")
samples=$(realpath samples)
scratch=$(mktemp -d)
trap 'kill "${XD_PID:-}" 2>/dev/null || true; rm -rf "$scratch"' EXIT

# Milliseconds since the epoch.
now() { echo $((${EPOCHREALTIME/./} / 1000)); }

# Painted: the middle of the blue panel shows the light or grey of the
# program's own drawing, no longer the black of a fresh window.
painted() {
  local pixel
  pixel=$(import -window "$1" -crop "1x1+190+$((33 + 121 + $2))" txt:- 2>/dev/null | tail -n 1)
  [ -n "$pixel" ] && ! grep -q "#000000" <<<"$pixel"
}

first_paint() {
  local start win="" WIDTH HEIGHT X Y SCREEN WINDOW
  start=$(now)
  QT_QPA_PLATFORM=xcb "$program" 2>"$scratch/stderr.txt" &
  local pid=$!
  local give_up=$((SECONDS + 30))
  while [ -z "$win" ] && ((SECONDS < give_up)); do win=$(xd_visible "$XD_TITLE"); done
  [ -n "$win" ] || { echo "no window within 30 s" >&2; cat "$scratch/stderr.txt" >&2; exit 1; }
  eval "$(xdotool getwindowgeometry --shell "$win")"
  until painted "$win" $((HEIGHT - XD_CLIENT_HEIGHT)); do
    ((SECONDS < give_up)) || { echo "no painted window within 30 s" >&2; exit 1; }
  done
  echo $(($(now) - start))
  kill "$pid"
  wait "$pid" 2>/dev/null || true
}

echo "start to first painted window:"
for run in 1 2 3; do
  ms=$(first_paint)
  echo "  run $run: $ms ms"
done

cd "$scratch"
xd_start "$program"
xd_measure "$samples" "$scratch/report.html"
echo "after a full measurement of the samples:"
grep -E "^(VmRSS|VmHWM)" "/proc/$XD_PID/status" | sed 's/^/  /'
xd_exit
