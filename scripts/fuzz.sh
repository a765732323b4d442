#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each for the given number of seconds
# (default 60). Seeds come from fuzz/corpus/<target> and examples/; the
# growing corpora stay in build/fuzz/corpus. Exits non-zero on a finding.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_PER_TARGET="${1:-60}"
shift || true
TARGETS=("$@")
[ ${#TARGETS[@]} -gt 0 ] || TARGETS=(fuzz_c1a1 fuzz_atlas fuzz_params fuzz_eval)

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target "${TARGETS[@]}"

status=0
for t in "${TARGETS[@]}"; do
  corpus="build/fuzz/corpus/$t"
  artifacts="build/fuzz/artifacts/$t"
  mkdir -p "$corpus" "$artifacts"
  seeds=()
  [ -d "fuzz/corpus/$t" ] && seeds+=("fuzz/corpus/$t")
  case "$t" in
    fuzz_c1a1|fuzz_atlas) seeds+=(examples) ;;
  esac
  echo "== $t: ${SECONDS_PER_TARGET} s"
  if ! "build/fuzz/fuzz/$t" -max_total_time="$SECONDS_PER_TARGET" -timeout=20 -rss_limit_mb=2048 \
      -max_len=1048576 -print_final_stats=1 -artifact_prefix="$artifacts/" \
      "$corpus" "${seeds[@]}" 2>"build/fuzz/$t.log"; then
    echo "!! $t found a problem; see build/fuzz/$t.log and $artifacts"
    tail -n 40 "build/fuzz/$t.log"
    status=1
  fi
  grep -E '^stat::number_of_executed_units|^#[0-9]+ *DONE' "build/fuzz/$t.log" | tail -n 2 || true
done
exit $status
