#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the release preset and the Debian package of Driftwise with CPack
# (installing what it needs first, as scripts/setup.sh does), and prints the
# package's path as its last line. DW_JOBS sets the build parallelism
# (default 2). Install the package with: sudo apt install ./driftwise_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
JOBS="${DW_JOBS:-2}"
bash scripts/setup.sh
cmake --preset release >/dev/null
# Only what the package holds: the two programs and the manual pages.
cmake --build --preset release -j "$JOBS" --target driftwise driftwise-cli dw_man_pages
rm -f build/release/package/driftwise_*.deb
cpack --config build/release/CPackConfig.cmake -B "$PWD/build/release/package"
deb=$(ls build/release/package/driftwise_*.deb)
echo "$PWD/$deb"
