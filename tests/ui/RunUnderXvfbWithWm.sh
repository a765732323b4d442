#!/bin/sh
# Runs a test program on a fresh Xvfb server with the openbox window manager
# and Qt's xcb platform.
# Usage: RunUnderXvfbWithWm.sh WIDTHxHEIGHT PROGRAM [ARGUMENTS...]
# Exits with 77 (the test counts as skipped) where xvfb-run or openbox is
# missing (scripts/setup.sh installs both).
screen="$1"
shift
for tool in xvfb-run openbox; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "$tool is not installed: the tests with a window manager are skipped."
    exit 77
  fi
done
QT_QPA_PLATFORM=xcb
export QT_QPA_PLATFORM
exec xvfb-run -a -s "-screen 0 ${screen}x24" sh -c '
  openbox >/dev/null 2>&1 &
  wm=$!
  sleep 1
  "$@"
  status=$?
  kill "$wm" 2>/dev/null
  exit "$status"' run-with-wm "$@"
