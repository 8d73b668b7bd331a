#!/usr/bin/env bash
# Runs every libFuzzer target of the fuzz preset over its seed corpus for a bounded time and fails on
# any finding (a crash, a sanitizer report, a leak, a broken property, a run slower than 10 s).
#   fuzz/run-fuzzers.sh [SECONDS] [TARGET...]   SECONDS per target (default 60); all targets by default
# The corpus each run grows is kept in build/fuzz/corpus/TARGET (the seeds in fuzz/corpus stay as they
# are); a finding is written to build/fuzz/findings/ and reproduced with `build/fuzz/fuzz/TARGET FILE`.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(ticket_reader hex_codec numeric_text command_line command_stream)

build=$PWD/build/fuzz
mkdir -p "$build/findings" "$build/logs"
# Two targets run at once (QVSET_FUZZ_JOBS), each for its own SECONDS; each libFuzzer run is one
# process on one core. The results are reported in the targets' order.
jobs=${QVSET_FUZZ_JOBS:-2}
fuzz_target() {  # fuzz_target TARGET: runs it, writes its one-line result to logs/TARGET.result
  local target=$1 binary=$build/fuzz/fuzz_$1 corpus=$build/corpus/$1 log=$build/logs/$1.log
  mkdir -p "$corpus"
  # A document longer than the largest a builder writes (about 3 KB, a tuning sample) finds nothing new
  # and slows every run down.
  local limits=()
  case $target in
    command_stream) limits=(-max_len=8192) ;;
  esac
  local status=0
  # The first folder takes the new inputs; the seeds are read from the second.
  "$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 "${limits[@]}" \
    -artifact_prefix="$build/findings/$target-" "$corpus" "$PWD/fuzz/corpus/$target" >"$log" 2>&1 || status=$?
  local runs
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  if [ "$status" -ne 0 ]; then
    {
      echo "fuzz $target: FINDING (exit $status) after ${runs:-?} executions; see $log"
      grep -E '^(==[0-9]+==ERROR|SUMMARY|.*runtime error)' "$log" | head -5 || true
    } >"$build/logs/$target.result"
    return 1
  fi
  echo "fuzz $target: ${runs:-?} executions in ${seconds} s, no finding (corpus $(find "$corpus" -type f | wc -l) inputs)" \
    >"$build/logs/$target.result"
}

for target in "${targets[@]}"; do
  [ -x "$build/fuzz/fuzz_$target" ] || { echo "fuzz: $build/fuzz/fuzz_$target is missing (cmake --build --preset fuzz)" >&2; exit 1; }
  rm -f "$build/logs/$target.result"
done
failed=0
running=0
for target in "${targets[@]}"; do
  if [ "$running" -ge "$jobs" ]; then
    wait -n || failed=1
    running=$((running - 1))
  fi
  fuzz_target "$target" &
  running=$((running + 1))
done
while [ "$running" -gt 0 ]; do
  wait -n || failed=1
  running=$((running - 1))
done
for target in "${targets[@]}"; do
  result=$build/logs/$target.result
  if [ ! -f "$result" ]; then
    echo "fuzz $target: no result" >&2
    failed=1
  elif grep -q '^fuzz [a-z_]*: FINDING' "$result"; then
    cat "$result" >&2
  else
    cat "$result"
  fi
done
exit "$failed"
