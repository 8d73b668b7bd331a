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
failed=0
for target in "${targets[@]}"; do
  binary=$build/fuzz/fuzz_$target
  [ -x "$binary" ] || { echo "fuzz: $binary is missing (cmake --build --preset fuzz)" >&2; exit 1; }
  corpus=$build/corpus/$target
  mkdir -p "$corpus"
  log=$build/logs/$target.log
  # A document longer than the largest a builder writes (about 3 KB, a tuning sample) finds nothing new
  # and slows every run down.
  limits=()
  case $target in
    command_stream) limits=(-max_len=8192) ;;
  esac
  status=0
  # The first folder takes the new inputs; the seeds are read from the second.
  "$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 "${limits[@]}" \
    -artifact_prefix="$build/findings/$target-" "$corpus" "$PWD/fuzz/corpus/$target" >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  if [ "$status" -ne 0 ]; then
    echo "fuzz $target: FINDING (exit $status) after ${runs:-?} executions; see $log" >&2
    grep -E '^(==[0-9]+==ERROR|SUMMARY|.*runtime error)' "$log" | head -5 >&2 || true
    failed=1
  else
    echo "fuzz $target: ${runs:-?} executions in ${seconds} s, no finding (corpus $(find "$corpus" -type f | wc -l) inputs)"
  fi
done
exit "$failed"
