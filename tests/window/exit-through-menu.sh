#!/usr/bin/env bash
# Run under xvfb-run: starts PROGRAM, waits for its window, chooses
# File > Exit with the pointer and the keyboard, and exits with the program's
# status; 124 when no window came, 125 when the program did not end.
set -u
QT_QPA_PLATFORM=xcb "$1" &
pid=$!
wid=$(timeout 20 xdotool search --sync --name '^Windows-Kelvara$' | head -n 1)
if [ -z "$wid" ]; then
  kill "$pid"
  exit 124
fi
sleep 0.5
xdotool mousemove --window "$wid" 20 9 click 1   # "File"
sleep 0.5
xdotool key Up Return                            # its last item, "Exit"
for _ in $(seq 50); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.2
done
if kill -0 "$pid" 2>/dev/null; then
  kill "$pid"
  exit 125
fi
wait "$pid"
