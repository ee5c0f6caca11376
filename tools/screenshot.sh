#!/usr/bin/env bash
# Takes docs/window.png: the window under a virtual X server after a
# measurement of the sample frames driven with the pointer and the keyboard.
#   bash tools/screenshot.sh [PROGRAM] [OUTPUT]
set -euo pipefail
cd "$(dirname "$0")/.."
program=${1:-build/bin/orelith}
output=${2:-docs/window.png}

if [ -z "${ORELITH_SCREENSHOT_INNER:-}" ]; then
  export ORELITH_SCREENSHOT_INNER=1
  exec timeout 120 tools/with-xvfb.sh 1024x768x24 bash "$0" "$program" "$output"
fi

"$program" samples/cluster.b samples/cluster.g &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
wid=$(timeout 20 xdotool search --sync --name "^Windows-Kelvara$" | head -n 1)
sleep 1
eval "$(xdotool getwindowgeometry --shell "$wid")"
# The client area fills the window below the menu bar.
top=$((HEIGHT - 626))
at() { xdotool mousemove --window "$wid" "$1" $(($2 + top)); }
click() { at "$1" "$2"; xdotool click 1; sleep 0.3; }
type_into() { click "$1" "$2"; xdotool key ctrl+a; xdotool type --delay 20 "$3"; sleep 0.3; }
drag() { at "$1" "$3"; xdotool mousedown 1; sleep 0.1; at "$2" "$3"; sleep 0.1; xdotool mouseup 1; sleep 0.3; }

type_into 29 345 1130            # blue background field
type_into 741 345 1130           # green background field
drag 9 150 292                   # blue range slider to about 400
drag 392 535 292                 # green range slider
click 191 400                    # "Search stars", blue
click 574 400                    # "Search stars", green
click 333 400                    # "Compare images"
# The first calibration star of the samples, clicked in the blue panel,
# is highlighted in both panels and its row selected in the list.
IFS=, read -r x y _ < <(sed -n 2p samples/calibration.csv)
click $((6 + x)) $((33 + y))
at 6 290
sleep 1
import -window "$wid" -strip "$output"
xdotool windowclose "$wid" 2>/dev/null || kill $pid
wait $pid || true
trap - EXIT
echo "wrote $output"
