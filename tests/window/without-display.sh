#!/bin/sh
# without-display.sh ORELITH VERSION: with no display, --help and --version
# answer with status 0, and a start says so in one line with status 1 (no
# display set, or one that does not answer).
set -u
program=$1 version=$2
fail() { echo "FAIL: $*"; exit 1; }
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
"$program" --help | grep -q '^Usage: orelith' || fail "--help prints no usage"
[ "$("$program" --version)" = "orelith $version" ] || fail "--version"
for display in "" ":987"; do
  err=$(DISPLAY=$display "$program" 2>&1 >/dev/null)
  status=$?
  [ "$status" = 1 ] || fail "a start with DISPLAY='$display' ended with status $status"
  [ "$(printf '%s\n' "$err" | wc -l)" = 1 ] && [ "${err#orelith: no display}" != "$err" ] ||
    fail "a start with DISPLAY='$display' said: $err"
done
echo "without a display: --help, --version and one line for a start"
