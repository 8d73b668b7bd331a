#!/usr/bin/env bash
# Raster and picture documents through the printer application to the virtual printer: a PWG raster
# file's rows are the bit images the printer drew; a JPEG after the paper switch went to 58 mm comes
# out 464 dots wide. Usage: printer-app-raster-test.sh PRINTER-APP RASTER-PICTURE
set -euo pipefail

app=$(realpath "$1")
picture=$(realpath "$2")
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
server=""
cleanup() {
  if [ -n "$server" ]; then kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; fi
  rm -rf "$work" 2>/dev/null || true
}
trap cleanup EXIT
export SNAP_COMMON="$work/snap" TMPDIR="$work/tmp" XDG_CONFIG_HOME="$work/config" HOME="$work"
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
mkdir -p "$SNAP_COMMON" "$TMPDIR" "$XDG_CONFIG_HOME" "$work/printer" "$work/spool"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')

fail() {
  echo "FAIL: $*" >&2
  grep -E "^[EW]" "$work/log" >&2 || true
  exit 1
}

"$app" server -o server-port="$port" -o spool-directory="$work/spool" -o log-file="$work/log" \
  -o log-level=info >"$work/server.out" 2>"$work/server.err" &
server=$!
for _ in $(seq 100); do
  [ -S "$SNAP_COMMON/qvset-printer-app.sock" ] || [ -S "$TMPDIR/qvset-printer-app$(id -u).sock" ] && break
  sleep 0.1
done
"$app" add -d qv1 -m qv640 -v "qvprinter:$work/printer" || fail "add"
uri="ipp://localhost:$port/ipp/print/qv1"

wait_prn() {
  for _ in $(seq 100); do
    [ -e "$work/printer/$1.prn" ] && return 0
    sleep 0.1
  done
  ls -la "$work/printer" >&2
  fail "the printer's folder holds no job $1"
}

"$picture" pwg "$work/pages.pwg"
"$picture" jpeg "$work/halves.jpg"
ipptool -t -d file="$work/pages.pwg" -d format=image/pwg-raster -d media=om_qv6-76mm_76x152mm "$uri" \
  "$here/raster-document.test" || fail "the PWG raster job"
wait_prn 1
"$picture" compare "$work/pages.pwg" "$work/printer/1.prn" 608 || fail "the bit images are not the raster's rows"

ipptool -t "$uri" "$here/paper-58.test" || fail "the paper switch"
wait_prn 2
ipptool -t -d file="$work/halves.jpg" -d format=image/jpeg -d media=om_qv6-58mm_58x152mm "$uri" \
  "$here/raster-document.test" || fail "the JPEG job"
wait_prn 3
"$picture" halves "$work/printer/3.prn" 464 || fail "the JPEG is not drawn 58 mm wide, black above and white below"
echo "raster documents: every test passed"
