#!/usr/bin/env bash
# Ordinary documents and the raw port through the printer application to the virtual printer: a PWG
# raster file's rows are the bit images the printer drew; a JPEG after the paper switch went to 58 mm
# comes out 464 dots wide; the printer's raw port takes a connection from an allowed address as one
# job, folded into the printer's state, and resets one from another address.
# Then the printer's pages in headless Chromium (pages-test.mjs), and a change page asked for from
# another address without a login is refused.
# Usage: printer-app-documents-test.sh PRINTER-APP RASTER-PICTURE [NODE-MODULES]
# With QVSET_SCREENSHOTS=FOLDER the browser test leaves its screenshots there.
set -euo pipefail

app=$(realpath "$1")
picture=$(realpath "$2")
modules="${3:-}"
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
free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
port=$(free_port)
raw=$(free_port)
remote=$(hostname -I 2>/dev/null | tr ' ' '\n' | grep -E '^[0-9.]+$' | grep -v '^127\.' | head -n 1 || true)
listen=localhost
[ -n "$remote" ] && listen='*'

fail() {
  echo "FAIL: $*" >&2
  grep -E "^[EW]" "$work/log" >&2 || true
  [ -z "${KEEP_LOG:-}" ] || cp "$work/log" "$KEEP_LOG"
  exit 1
}

"$app" server -o server-port="$port" -o listen-hostname="$listen" -o spool-directory="$work/spool" -o log-file="$work/log" \
  -o log-level=info -o raw-ports="qv1=$raw" -o raw-listen=127.0.0.1 -o raw-allow=127.0.0.1 >"$work/server.out" 2>"$work/server.err" &
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

# The raw port: one connection from 127.0.0.2 (not allowed), then one from 127.0.0.1.
send_raw() {
  python3 - "$1" "$raw" "$2" <<'PY'
import socket, sys
source, port, data = sys.argv[1], int(sys.argv[2]), bytes.fromhex(sys.argv[3])
s = socket.socket()
s.bind((source, 0))
s.connect(("127.0.0.1", port))
try:
    s.sendall(data)
    s.shutdown(socket.SHUT_WR)
    answer = s.recv(1)
    print("closed" if answer == b"" else "answered")
except ConnectionResetError:
    print("reset")
PY
}
[ "$(send_raw 127.0.0.2 1b4203)" = reset ] || fail "a connection from 127.0.0.2 was not reset"
[ "$(send_raw 127.0.0.1 1b42027469636b65740a)" = closed ] || fail "the allowed connection was not taken"
wait_prn 4
[ "$(od -An -tx1 "$work/printer/4.prn" | tr -d ' \n')" = 1b42027469636b65740a ] ||
  fail "the raw port's job did not reach the printer unchanged (or the refused one did)"
sleep 0.5
[ ! -e "$work/printer/5.prn" ] || fail "the refused connection made a job"
state="$work/spool/qvset-state/printer-1.json"
python3 - "$state" <<'PY' || fail "the state does not hold the raw port's black mark from 127.0.0.1"
import json, sys
state = json.load(open(sys.argv[1]))
text = json.dumps(state)
assert "raw@127.0.0.1" in text, text
PY
grep -q "refused 127.0.0.2" "$work/log" || fail "the refused address is not in the log"

if [ -n "$modules" ] && [ -e "$modules/playwright-core/package.json" ] && [ -x /usr/bin/chromium ]; then
  node "$here/pages-test.mjs" "$modules" "http://localhost:$port/qv1" "$work/printer" ${QVSET_SCREENSHOTS:+"$QVSET_SCREENSHOTS"} ||
    fail "the pages in the browser"
else
  echo "SKIP: playwright-core or chromium is missing (scripts/install-deps.sh), the pages are not tried in a browser"
fi
# A change posted without the form's session token (from another site's page) is refused.
count=$(find "$work/printer" -maxdepth 1 -name '*.prn' | wc -l)
curl -s -o "$work/page.html" -d 'setting=qvset-black-mark&value=off' "http://localhost:$port/qv1/qvset-settings" || true
grep -q 'data-good="no"' "$work/page.html" || fail "a change without the form's session token was not refused"
sleep 0.3
[ "$(find "$work/printer" -maxdepth 1 -name '*.prn' | wc -l)" -eq "$count" ] || fail "a change without the session token reached the printer"
if [ -n "$remote" ]; then
  for page in qvset-settings qvset-tests; do
    code=$(curl -s -o "$work/page.html" -w '%{http_code}' "http://$remote:$port/qv1/$page" || true)
    if [ "$code" = 200 ] || grep -q '<form' "$work/page.html"; then
      fail "the page $page was shown to another address without a login ($code)"
    fi
  done
  count=$(find "$work/printer" -maxdepth 1 -name '*.prn' | wc -l)
  code=$(curl -s -o /dev/null -w '%{http_code}' -d 'setting=qvset-black-mark&value=on' "http://$remote:$port/qv1/qvset-settings" || true)
  [ "$code" != 200 ] || fail "a change from another address without a login was answered 200"
  sleep 0.3
  [ "$(find "$work/printer" -maxdepth 1 -name '*.prn' | wc -l)" -eq "$count" ] || fail "a change from another address reached the printer"
else
  echo "SKIP: no address but the loopback's, the pages are not asked for from elsewhere"
fi
echo "ordinary documents, the raw port and the pages: every test passed"
