#!/usr/bin/env bash
# qvctl decode (listing and JSON) and the virtual printer's drawer take memory bounded by what they keep,
# not by the document's length: a document of 48 MB (line feeds, then unknown bytes) is decoded and
# drawn under a memory limit that the document itself would not fit in three times over.
#   bounded-memory-test.sh QVCTL QVPRINTER-DRAW SANITIZED(ON/OFF)
set -euo pipefail
qvctl=$1 drawer=$2 sanitized=$3
work=$(mktemp -d "${TMPDIR:-/tmp}/qvset-memory.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# The limit: ASan's own RSS limit for a sanitized build (its shadow memory rules out an address space
# limit), else an address space limit: 64 MB for qvctl, 160 MB for the drawer (Qt's libraries are most
# of it).
limited() {
  local megabytes=$1 space=$2; shift 2
  if [ "$sanitized" = ON ]; then
    # (freed memory ASan holds back to catch use after free is not the program's: kept small)
    ASAN_OPTIONS=hard_rss_limit_mb=$megabytes:quarantine_size_mb=8 "$@"
  else
    prlimit --as=$(( space * 1024 * 1024 )) "$@"
  fi
}

mkdir -m 0755 "$work/printer"
{ head -c 32M /dev/zero | tr '\0' '\n'; head -c 16M /dev/zero; printf '\033B\002'; } > "$work/printer/1.prn"
size=$(stat -c %s "$work/printer/1.prn")

limited 200 64 "$qvctl" decode "$work/printer/1.prn" > "$work/listing" || fail "decode ran out of its memory"
head -1 "$work/listing" | grep -q '^     0 33554432  0A .* LF × 33554432 ' || fail "the line feeds are not one entry: $(head -1 "$work/listing")"
tail -1 "$work/listing" | grep -q 'ESC B 02' || fail "the listing does not reach the end: $(tail -1 "$work/listing")"
limited 200 64 "$qvctl" decode --json "$work/printer/1.prn" > "$work/json" || fail "decode --json ran out of its memory"
grep -q "\"length\": $size," "$work/json" || fail "the JSON listing does not give the length"
grep -q '"count": 33554432,' "$work/json" || fail "the JSON listing does not count the line feeds"

printf '1\tT\n' > "$work/printer/.pending"
limited 300 160 "$drawer" "$work/printer" 2>"$work/errors" || fail "the drawer ran out of its memory: $(cat "$work/errors")"
[ "$(cat "$work/printer/index")" = "1	T" ] || fail "the job was not drawn"
grep -q 'LF × 33554432' "$work/printer/1.txt" || fail "the drawer's listing does not count the line feeds"
[ "$(stat -c %s "$work/printer/1.png")" -lt 10000000 ] || fail "the picture is not capped"
echo "a $size-byte document decoded and drawn in bounded memory"
