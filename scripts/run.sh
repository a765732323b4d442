#!/usr/bin/env bash
# Sets the machine up, builds, and runs Driftwise on the bundled samples:
# the desktop program when a display is present, else the batch tool.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default
BIN=build/default/src
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x "$BIN/ui/driftwise" ] && [ "${DW_BATCH:-0}" != 1 ]; then
  exec "$BIN/ui/driftwise" examples/*.log examples/*.dat
else
  exec "$BIN/cli/driftwise-cli" --seed 1 examples/c1a1_two_series.log
fi
