#!/usr/bin/env bash
# Takes the screenshots in docs/screenshots/: runs the desktop program under
# Xvfb (a 1366 x 768 laptop screen) on the bundled samples in its screenshot
# mode, which saves each tab of the last imported series at the size the
# window opens with (after the characteristic function and the model fit)
# and the four small dialogs with the program's own window grab; then once
# more on a 2732x1536 screen scaled by 2, for the diagram in device pixels
# (diagram-scale-2.png).
# Settings and Log.txt go to a temporary folder, never to the user's.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD="${BUILD:-build/default}"
OUT="${1:-docs/screenshots}"

if [ ! -x "$BUILD/src/ui/driftwise" ]; then
  bash scripts/setup.sh
  cmake --preset default >/dev/null
  cmake --build --preset default --target driftwise
fi

shopt -s nullglob
samples=(examples/*.log examples/*.dat)
if [ ${#samples[@]} -eq 0 ]; then
  echo "No sample logs in examples/." >&2
  exit 1
fi

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$OUT" "$scratch/runtime"
chmod 700 "$scratch/runtime"
XDG_DATA_HOME="$scratch/data" XDG_CONFIG_HOME="$scratch/config" XDG_RUNTIME_DIR="$scratch/runtime" \
  xvfb-run -a -s "-screen 0 1366x768x24" \
  "$BUILD/src/ui/driftwise" --screenshots "$OUT" "${samples[@]}"

mkdir -p "$scratch/scale-2"
XDG_DATA_HOME="$scratch/data-2" XDG_CONFIG_HOME="$scratch/config-2" XDG_RUNTIME_DIR="$scratch/runtime" \
  QT_SCALE_FACTOR=2 xvfb-run -a -s "-screen 0 2732x1536x24" \
  "$BUILD/src/ui/driftwise" --screenshots "$scratch/scale-2" "${samples[@]}"
cp "$scratch/scale-2/diagram-scale-2.png" "$OUT/"
