#!/usr/bin/env bash
# Memory of the decoder on a 2 GB document: qvctl decode (text and --json) under a 64 MB address space
# limit and the virtual printer's drawer under 160 MB (Qt's libraries are most of that), with each
# one's time and peak resident memory. The document is 1 GB of line feeds followed by unknown bytes up
# to the largest document (2147483647 bytes), made sparse where it can be.
#   bench/run-memory-bench.sh [BUILD-DIR]   (default build/release)
set -euo pipefail
build=${1:-build/release}
qvctl=$build/src/cli/qvctl
drawer=$build/src/decode/backend/qvprinter-draw
work=$(mktemp -d "${TMPDIR:-/var/tmp}/qvset-memory-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -m 0755 "$work/printer"
document=$work/printer/1.prn
head -c 1G /dev/zero | tr '\0' '\n' > "$document"
truncate -s 2147483647 "$document"

run() {
  local name=$1 space=$2; shift 2
  local status=0
  /usr/bin/time -f "$name: %e s, peak resident %M KB (address space limit ${space} MB)" \
    prlimit --as=$(( space * 1024 * 1024 )) "$@" > /dev/null 2> "$work/err" || status=$?
  grep -v '^QStandardPaths' "$work/err" >&2 || true
  [ "$status" -eq 0 ] || { echo "$name: failed (status $status) within ${space} MB" >&2; exit 1; }
}

echo "document: $(stat -c %s "$document") bytes"
run "qvctl decode" 64 "$qvctl" decode "$document"
run "qvctl decode --json" 64 "$qvctl" decode --json "$document"
printf '1\tT\n' > "$work/printer/.pending"
run "qvprinter-draw" 160 env QT_QPA_PLATFORM=offscreen "$drawer" "$work/printer"
head -1 "$work/printer/1.txt"
