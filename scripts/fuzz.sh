#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each, one after the other, for the
# given number of seconds (default 60): scripts/fuzz.sh SECONDS [targets...].
# Seeds come from fuzz/corpus/<target> (and examples/ for the two readers),
# dictionaries from fuzz/dict/<target>.dict; the growing corpora stay in
# build/fuzz/corpus. Undefined behaviour stops a run like a crash. Prints the
# executions of each target and exits non-zero on a finding.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_PER_TARGET="${1:-60}"
shift || true
TARGETS=("$@")
[ ${#TARGETS[@]} -gt 0 ] || TARGETS=(fuzz_c1a1 fuzz_atlas fuzz_params fuzz_eval)
JOBS="${DW_JOBS:-2}"

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$JOBS" --target "${TARGETS[@]}"

export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
export ASAN_OPTIONS="detect_leaks=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"

status=0
passed=0
failed=0
for t in "${TARGETS[@]}"; do
  corpus="build/fuzz/corpus/$t"
  artifacts="build/fuzz/artifacts/$t"
  mkdir -p "$corpus" "$artifacts"
  seeds=()
  [ -d "fuzz/corpus/$t" ] && seeds+=("fuzz/corpus/$t")
  case "$t" in
    fuzz_c1a1|fuzz_atlas) seeds+=(examples) ;;
  esac
  # The evaluation's bounded searches may take up to 10^8 steps each (about a
  # second in a release build, many under the fuzzing instrumentation): a
  # slow unit there is work within the bounds, not a hang.
  timeout=10
  [ "$t" = fuzz_eval ] && timeout=120
  options=(-max_total_time="$SECONDS_PER_TARGET" -timeout="$timeout" -report_slow_units=1 -rss_limit_mb=2048
           -max_len=1048576 -print_final_stats=1 -artifact_prefix="$artifacts/")
  [ -f "fuzz/dict/$t.dict" ] && options+=(-dict="fuzz/dict/$t.dict")
  echo "== $t: ${SECONDS_PER_TARGET} s"
  if ! "build/fuzz/fuzz/$t" "${options[@]}" "$corpus" "${seeds[@]}" >"build/fuzz/$t.log" 2>&1; then
    echo "!! $t found a problem; see build/fuzz/$t.log and $artifacts"
    grep -E 'ERROR|runtime error|invariant|SUMMARY|Test unit written' "build/fuzz/$t.log" | head -n 20 || true
    tail -n 15 "build/fuzz/$t.log"
    status=1
    failed=$((failed + 1))
  else
    passed=$((passed + 1))
  fi
  grep -E '^stat::(number_of_executed_units|slowest_unit_time_sec)' "build/fuzz/$t.log" || true
done
echo "fuzz: $passed passed, $failed failed"
exit $status
