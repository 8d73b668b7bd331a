#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. Exits non-zero on any failure.
#   ./test.sh                 everything: sanitizer build, release build with benchmark, Windows build under Wine
#   ./test.sh --no-windows    skip the Windows cross build and its Wine tests (say so explicitly)
# QVSET_FUZZ_SECONDS sets how long each fuzz target runs (default 60).
set -euo pipefail
cd "$(dirname "$0")"

windows=1
for arg in "$@"; do
  case "$arg" in
    --no-windows) windows=0 ;;
    *) echo "usage: ./test.sh [--no-windows]" >&2; exit 2 ;;
  esac
done

scripts/install-deps.sh

echo "== Debug build with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake --preset dev >/dev/null
cmake --build --preset dev
ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1} ctest --preset dev

echo "== Release build"
cmake --preset release >/dev/null
cmake --build --preset release
ctest --preset release

echo "== Benchmark: documents through CupsSpooler against lp -o raw"
bench/run-channel-bench.sh build/release 100

fuzz_seconds=${QVSET_FUZZ_SECONDS:-60}
echo "== Fuzzing: each libFuzzer target for $fuzz_seconds s (clang, ASan and UBSan)"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
fuzz/run-fuzzers.sh "$fuzz_seconds"

if [ "$windows" = 1 ] && [ -f cmake/mingw-w64-x86_64.cmake ]; then
  echo "== Windows build (MinGW-w64), tests under Wine"
  scripts/test-windows.sh
elif [ "$windows" = 0 ]; then
  echo "== Windows build skipped (--no-windows)"
fi
