#!/usr/bin/env bash
# Sets the machine up, builds the default preset and runs every test; builds
# the Debian package and checks it (scripts/package.sh,
# scripts/check-package.sh); then builds the debug preset (AddressSanitizer,
# LeakSanitizer and UndefinedBehaviorSanitizer) and runs the whole suite again
# under the sanitizers, and finally runs every fuzz target for a minute
# (scripts/fuzz.sh 60). DW_JOBS sets the build parallelism (default 2).
# Both builds treat compiler warnings as errors (DW_WERROR).
set -euo pipefail
cd "$(dirname "$0")/.."
JOBS="${DW_JOBS:-2}"
bash scripts/setup.sh
cmake --preset default -DDW_WERROR=ON >/dev/null
cmake --build --preset default -j "$JOBS"
export QT_QPA_PLATFORM=offscreen
ctest --preset default --output-on-failure | tee build/ctest-default.log

# The Debian package: a release build, then its contents and the unpacked tool.
echo "== Debian package"
bash scripts/package.sh | tee build/package.log
bash scripts/check-package.sh "$(tail -n 1 build/package.log)"

# The same tests under the sanitizers. Leaks that the font libraries below Qt
# keep on purpose until the process ends are suppressed (scripts/lsan.supp);
# our own code has no entry there.
echo "== sanitizer suite (debug preset)"
cmake --preset debug -DDW_WERROR=ON >/dev/null
cmake --build --preset debug -j "$JOBS"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
ctest --preset debug --output-on-failure | tee build/ctest-debug.log

echo "== fuzzing"
bash scripts/fuzz.sh 60

# One closing line for both suites (every test passed, or the script stopped above).
total=0
for f in build/ctest-default.log build/ctest-debug.log; do
  n=$(sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' "$f" | tail -n 1)
  total=$((total + ${n:-0}))
done
echo "Tests: ${total} passed, 0 failed"
