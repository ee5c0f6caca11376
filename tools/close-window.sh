#!/usr/bin/env bash
# Starts a window program on the current X display, waits for its window by
# title and closes it as a user would, through "File" > "Exit": a click on
# the first title of the menu bar, Up to the menu's last item, Return. Fails
# unless the program then ends by itself with status 0. Every wait is bounded.
# Usage: close-window.sh PROGRAM TITLE
set -uo pipefail
program=$1 title=$2

"$program" &
pid=$!
stop() {
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
}

win=$(timeout 30 xdotool search --sync --onlyvisible --name "^$title\$" | head -n 1)
if [ -z "$win" ]; then
  echo "no window \"$title\" appeared"
  stop
  exit 1
fi

# Without a window manager the window sits at the screen's origin; the menu
# bar's first title lies a few pixels into it.
xdotool windowfocus --sync "$win" 2>/dev/null
xdotool mousemove --window "$win" 14 10 click 1
sleep 0.5
xdotool key Up Return

for _ in $(seq 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
  echo "the window did not close through File > Exit"
  stop
  exit 1
fi
wait "$pid"
status=$?
[ "$status" -eq 0 ] || { echo "the program ended with status $status"; exit 1; }
