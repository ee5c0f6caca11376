#!/usr/bin/env bash
# with-xvfb.sh WxHxD COMMAND [ARG...]: runs COMMAND on a virtual X server of
# its own and returns its status. Xvfb picks a free display number itself and
# writes it only once it takes connections (-displayfd), so servers started
# at once by several tests or build trees never share a number, and a slow
# start is waited for (up to XVFB_WAIT seconds, default 120) rather than raced.
set -uo pipefail
screen=$1
shift
dir=$(mktemp -d)
# Made here: the background job opens it only when it gets to run.
: >"$dir/display"
Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$dir/display" 2>"$dir/log" &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null; rm -rf "$dir"' EXIT
for ((i = 0; i < ${XVFB_WAIT:-120} * 20; ++i)); do
  [ "$(wc -l <"$dir/display")" -ge 1 ] && break
  kill -0 "$xvfb" 2>/dev/null || { echo "Xvfb ended at its start:"; cat "$dir/log"; exit 1; }
  sleep 0.05
done
display=$(head -n 1 "$dir/display")
[ -n "$display" ] || { echo "Xvfb gave no display within ${XVFB_WAIT:-120} s"; exit 1; }
DISPLAY=:$display "$@"
