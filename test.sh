#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. Exits non-zero on any failure.
#   ./test.sh                 everything: sanitizer build, release build with benchmark, Windows build under Wine
#   ./test.sh --no-windows    skip the Windows cross build and its Wine tests (say so explicitly)
# QVSET_FUZZ_SECONDS sets how long each fuzz target runs (default 5; the long campaign: see README).
set -euo pipefail
cd "$(dirname "$0")"

windows=1
for arg in "$@"; do
  case "$arg" in
    --no-windows) windows=0 ;;
    *) echo "usage: ./test.sh [--no-windows]" >&2; exit 2 ;;
  esac
done

# Each stage's header starts its clock; the seconds of every stage are listed at the end (also after a
# failure), to see where the run's time goes.
stage_names=()
stage_seconds=()
stage_started=$SECONDS
run_started=$SECONDS
stage() {
  finish_stage
  stage_names+=("$1")
  stage_started=$SECONDS
  echo "== $1"
}
finish_stage() {
  [ ${#stage_names[@]} -eq ${#stage_seconds[@]} ] || stage_seconds+=($((SECONDS - stage_started)))
}
report_times() {
  finish_stage
  echo "== Time per stage (seconds)"
  for i in "${!stage_names[@]}"; do printf '%6d  %s\n' "${stage_seconds[$i]}" "${stage_names[$i]}"; done
  printf '%6d  in all\n' $((SECONDS - run_started))
}
# The release and Windows builds, the fuzz targets' build and clang-tidy run beside the other stages (see
# below); a run that ends early stops them.
release_build_pid=
windows_build_pid=
fuzz_build_pid=
tidy_pid=
stop_background() {
  local pid
  for pid in "$release_build_pid" "$windows_build_pid" "$fuzz_build_pid" "$tidy_pid"; do
    [ -z "$pid" ] || kill -- "-$pid" 2>/dev/null || true
  done
}
# wait_for_background PID LOG WHAT: waits for a build started beside the other stages; shows its log
# and fails the run when it failed.
wait_for_background() {
  local status=0
  wait "$1" || status=$?
  if [ "$status" != 0 ]; then
    cat "$2"
    echo "$3 failed (exit status $status)" >&2
    exit 1
  fi
  tail -1 "$2"
}
trap 'stop_background; report_times' EXIT

stage "Packages (scripts/install-deps.sh)"
scripts/install-deps.sh

stage "Shell scripts (shellcheck)"
mapfile -t shell_scripts < <(git ls-files | while read -r file; do
  case $file in
    *.sh | *.bash) echo "$file" ;;
    *) head -1 "$file" 2>/dev/null | grep -Eq '^#!.*(ba)?sh' && echo "$file" ;;
  esac
done)
shellcheck "${shell_scripts[@]}"
echo "${#shell_scripts[@]} scripts clean"

stage "Include floors (scripts/check-floors against src/floors.txt) and formatting (scripts/check-format)"
scripts/check-floors
scripts/check-format

# Every build here starts from nothing on a fresh machine: each library's sources are compiled in
# batches (QVSET_UNITY_BUILD), which parses the common headers once per batch instead of once per file.
unity=-DQVSET_UNITY_BUILD=ON
stage "Debug build with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake --preset dev "$unity" >/dev/null
cmake --build --preset dev
# From here on the other builds run beside the stages that mostly wait (the tests against the private
# servers, the Wine tests), at lower priorities than the tests, in the order their stages need them:
# the release build (for the package, the benchmark and the Windows stage's virtual printer; its tests
# would repeat, without the sanitizers, every test the debug build runs), then the Windows cross build,
# then the fuzz targets (clang) and clang-tidy on the files the change touches (scripts/check-tidy).
mkdir -p build
setsid nice -n 10 bash -c "cmake --preset release $unity >/dev/null && cmake --build --preset release" \
  >build/release-build.log 2>&1 &
release_build_pid=$!
if [ "$windows" = 1 ] && [ -f cmake/mingw-w64-x86_64.cmake ]; then
  setsid nice -n 15 bash -c "cmake --preset win $unity >/dev/null && cmake --build --preset win" \
    >build/windows-build.log 2>&1 &
  windows_build_pid=$!
fi
setsid nice -n 19 bash -c "cmake --preset fuzz $unity >/dev/null && cmake --build --preset fuzz" \
  >build/fuzz-build.log 2>&1 &
fuzz_build_pid=$!
setsid nice -n 19 scripts/check-tidy build/dev >build/tidy.log 2>&1 &
tidy_pid=$!

stage "Debug build's tests (ctest --preset dev)"
# The private servers' virtual printer and the printer application are the debug build's: the release
# build beside this stage is not finished.
QVSET_QVPRINTER=$PWD/build/dev/src/decode/backend/qvprinter QVSET_PRINTER_APP=$PWD/build/dev/src/service/qvset-printer-app \
  ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1} ctest --preset dev

stage "Release build (programs and benchmarks; built beside the tests, which ran in the sanitizer build)"
wait_for_background "$release_build_pid" build/release-build.log "the release build"
release_build_pid=

stage "The Debian package (cpack --preset deb), unpacked and tried"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/release/CMakeCache.txt)
rm -f build/packages/qvset_*.deb
cpack --preset deb >/dev/null
tests/packaging/test-deb.sh "build/packages/qvset_${version}_$(dpkg --print-architecture).deb"

stage "Benchmark: documents through CupsSpooler against lp -o raw"
bench/run-channel-bench.sh build/release 100


if [ "$windows" = 1 ] && [ -f cmake/mingw-w64-x86_64.cmake ]; then
  stage "Windows build (MinGW-w64, built beside the stages above), tests under Wine"
  wait_for_background "$windows_build_pid" build/windows-build.log "the Windows build"
  windows_build_pid=
  scripts/test-windows.sh
  stage "The Windows zip (cpack --preset win)"
  rm -f build/packages/qvset-*-win64.zip
  cpack --preset win >/dev/null
  tests/packaging/test-zip.sh "build/packages/qvset-${version}-win64.zip" "$version"
elif [ "$windows" = 0 ]; then
  stage "Windows build skipped (--no-windows)"
fi

stage "clang-tidy on the files the change touches (ran at low priority beside the stages above)"
tidy_status=0
wait "$tidy_pid" || tidy_status=$?
tidy_pid=
cat build/tidy.log
[ "$tidy_status" = 0 ] || exit 1

fuzz_seconds=${QVSET_FUZZ_SECONDS:-3}
stage "Fuzzing: the libFuzzer targets built (clang, ASan and UBSan; built at low priority beside the stages above)"
wait_for_background "$fuzz_build_pid" build/fuzz-build.log "the fuzz build"
fuzz_build_pid=
stage "Fuzz runs: each target for $fuzz_seconds s"
fuzz/run-fuzzers.sh "$fuzz_seconds"
