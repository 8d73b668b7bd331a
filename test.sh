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

echo "== Shell scripts (shellcheck)"
mapfile -t shell_scripts < <(git ls-files | while read -r file; do
  case $file in
    *.sh | *.bash) echo "$file" ;;
    *) head -1 "$file" 2>/dev/null | grep -Eq '^#!.*(ba)?sh' && echo "$file" ;;
  esac
done)
shellcheck "${shell_scripts[@]}"
echo "${#shell_scripts[@]} scripts clean"

echo "== Debug build with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake --preset dev >/dev/null
cmake --build --preset dev
ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1} ctest --preset dev

echo "== Release build"
cmake --preset release >/dev/null
cmake --build --preset release
ctest --preset release

echo "== The Debian package (cpack --preset deb), unpacked and tried"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/release/CMakeCache.txt)
rm -f build/packages/qvset_*.deb
cpack --preset deb >/dev/null
tests/packaging/test-deb.sh "build/packages/qvset_${version}_$(dpkg --print-architecture).deb"

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
  echo "== The Windows zip (cpack --preset win)"
  rm -f build/packages/qvset-*-win64.zip
  cpack --preset win >/dev/null
  tests/packaging/test-zip.sh "build/packages/qvset-${version}-win64.zip" "$version"
elif [ "$windows" = 0 ]; then
  echo "== Windows build skipped (--no-windows)"
fi
