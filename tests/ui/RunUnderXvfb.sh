#!/bin/sh
# Runs a test program on a fresh Xvfb server with Qt's xcb platform.
# Usage: RunUnderXvfb.sh WIDTHxHEIGHT PROGRAM [ARGUMENTS...]
# Exits with 77 (the test counts as skipped) where xvfb-run is missing.
screen="$1"
shift
if ! command -v xvfb-run >/dev/null 2>&1; then
  echo "xvfb-run is not installed: the tests on an X server are skipped."
  exit 77
fi
QT_QPA_PLATFORM=xcb
export QT_QPA_PLATFORM
exec xvfb-run -a -s "-screen 0 ${screen}x24" "$@"
