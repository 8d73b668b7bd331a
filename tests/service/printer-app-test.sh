#!/usr/bin/env bash
# The printer application against the virtual printer: the ipptool suite of this folder, then what
# reached the printer's folder, byte for byte; with QVCTL, two PCs and a third client on one printer
# (printer-app-pcs-test.sh). Usage: printer-app-test.sh PRINTER-APP [QVCTL]
set -euo pipefail

app=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
server=""
helpers=()
cleanup() {
  for pid in "${helpers[@]}"; do kill "$pid" 2>/dev/null || true; done
  if [ -n "$server" ]; then kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; fi
  rm -rf "$work" 2>/dev/null || true
}
trap cleanup EXIT

# The framework's domain socket and state file go to SNAP_COMMON when it runs as root, else to TMPDIR
# and XDG_CONFIG_HOME: all of them into this run's folder, so that runs do not meet.
export SNAP_COMMON="$work/snap" TMPDIR="$work/tmp" XDG_CONFIG_HOME="$work/config" HOME="$work"
# The framework's sub-commands leave a few small allocations at exit.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
mkdir -p "$SNAP_COMMON" "$TMPDIR" "$XDG_CONFIG_HOME" "$work/printer" "$work/spool"
chmod 755 "$work/printer"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
remote=$(hostname -I 2>/dev/null | tr ' ' '\n' | grep -E '^[0-9.]+$' | grep -v '^127\.' | head -n 1 || true)
listen=localhost
[ -n "$remote" ] && listen='*'

fail() {
  echo "FAIL: $*" >&2
  sed -n '1,40p' "$work/server.err" >&2 || true
  cp "$work/log" "${TMPDIR%/tmp}/../printer-app-last.log" 2>/dev/null || true
  exit 1
}

"$app" server -o server-port="$port" -o listen-hostname="$listen" -o spool-directory="$work/spool" \
  -o log-file="$work/log" -o log-level=info >"$work/server.out" 2>"$work/server.err" &
server=$!
# The sub-commands start a server of their own when they find none: wait for this one's socket first.
for _ in $(seq 100); do
  [ -S "$SNAP_COMMON/qvset-printer-app.sock" ] || [ -S "$TMPDIR/qvset-printer-app$(id -u).sock" ] && break
  sleep 0.1
done
"$app" add -d qv1 -m qv640 -v "qvprinter:$work/printer" || fail "add"
uri="ipp://localhost:$port/ipp/print/qv1"

python3 -c 'import sys; sys.stdout.buffer.write(bytes(range(256)))' >"$work/bytes.bin"
printf '\x1b\x42\x02ticket\n\x1b\x4a\x10' >"$work/stream.bin"
printf 'just a line of text\n' >"$work/text.txt"

prn_count() { find "$work/printer" -maxdepth 1 -name '*.prn' | wc -l; }
wait_prns() {
  for _ in $(seq 100); do
    [ "$(prn_count)" -ge "$1" ] && return 0
    sleep 0.1
  done
  ls -la "$work/printer" >&2; grep -E "^[EW]" "$work/log" >&2 || true
  fail "the printer's folder holds $(prn_count) jobs, not $1"
}

ipptool -t "$uri" "$here/printer-attributes.test" || fail "printer attributes"
ipptool -t -d bytes="$work/bytes.bin" -d stream="$work/stream.bin" -d text="$work/text.txt" "$uri" \
  "$here/raw-documents.test" || fail "raw documents"
wait_prns 3
cmp "$work/printer/1.prn" "$work/bytes.bin" || fail "every byte value did not reach the printer unchanged"
cmp "$work/printer/2.prn" "$work/stream.bin" || fail "the octet stream did not reach the printer unchanged"
cmp "$work/printer/3.prn" "$work/stream.bin" || fail "the CUPS raw document did not reach the printer unchanged"

ipptool -t "$uri" "$here/settings.test" "$here/settings-held.test" || fail "settings"
wait_prns 5
[ "$(prn_count)" -eq 5 ] || fail "a refused value reached the printer"
[ "$(od -An -tx1 "$work/printer/4.prn" | tr -d ' \n')" = "1b4203" ] || fail "black mark off is not 1B 42 03"
[ "$(od -An -tx1 "$work/printer/5.prn" | tr -d ' \n')" = "1d2846040004006503" ] ||
  fail "ticket length 152 is not 1D 28 46 04 00 04 00 65 03"

# A change over the local socket (the modify sub-command) passes no check and sends nothing: the
# service puts the printer's values back within seconds.
"$app" modify -d qv1 -o qvset-black-mark-default=maybe -o qvset-paper-default=58 || fail "modify"
sleep 3
ipptool -t "$uri" "$here/settings-held.test" || fail "a change over the local socket was kept"
[ "$(prn_count)" -eq 5 ] || fail "a change over the local socket reached the printer"

# The printer's state says which job set each setting.
state="$work/spool/qvset-state/printer-1.json"
grep -q '"job": "settings #5"' "$state" || fail "the state does not name the setting's document"

if [ -n "$remote" ]; then
  # The refusal comes as HTTP 401 (after the upgrade to TLS), which ipptool reports as a failed
  # request: the status it names must be the refusal.
  answer=$(ipptool -tv "ipp://$remote:$port/ipp/print/qv1" "$here/remote-change.test" 2>&1 || true)
  grep -Eq 'status-code = client-error-(not-authenticated|forbidden)' <<<"$answer" ||
    fail "a change from elsewhere without a login was not refused: $answer"
  [ "$(prn_count)" -eq 5 ] || fail "a change from elsewhere reached the printer"
  answer=$(ipptool -tv -d stream="$work/stream.bin" "ipp://$remote:$port/ipp/print/qv1" "$here/remote-print.test" 2>&1 || true)
  if ! grep -Eq 'status-code = client-error-forbidden' <<<"$answer" || grep -q 'job-id (integer)' <<<"$answer"; then
    fail "a document from elsewhere was not refused while remote printing is off: $answer"
  fi
  [ "$(prn_count)" -eq 5 ] || fail "a document from elsewhere reached the printer"
else
  echo "SKIP: no address but the loopback's, the change from elsewhere is not tried"
fi
# The framework's own devices stay beside ours: a printer whose device is a file.
: >"$work/file-printer.prn"
"$app" add -d file1 -m qv640 -v "file://$work/file-printer.prn" || fail "add a file printer"
ipptool -t -d stream="$work/stream.bin" "ipp://localhost:$port/ipp/print/file1" "$here/one-document.test" ||
  fail "the file printer's job"
cmp "$work/file-printer.prn" "$work/stream.bin" || fail "the file device did not get the document unchanged"

# A printer on a serial line: a pseudo-terminal pair, the printer reading one end.
if command -v socat >/dev/null; then
  socat pty,raw,echo=0,link="$work/host" pty,raw,echo=0,link="$work/line" 2>"$work/socat.log" &
  helpers+=($!)
  for _ in $(seq 50); do [ -e "$work/host" ] && [ -e "$work/line" ] && break; sleep 0.1; done
  cat "$work/line" >"$work/serial.bin" &
  helpers+=($!)
  "$app" add -d serial1 -m qv650 -v "serial:$work/host?baud=19200" || fail "add a serial printer"
  ipptool -t -d stream="$work/stream.bin" "ipp://localhost:$port/ipp/print/serial1" "$here/one-document.test" ||
    fail "the serial printer's job"
  for _ in $(seq 50); do cmp -s "$work/serial.bin" "$work/stream.bin" && break; sleep 0.1; done
  cmp "$work/serial.bin" "$work/stream.bin" || fail "the serial line did not carry the document unchanged"
else
  echo "SKIP: socat is missing, the serial printer is not tried"
fi
if [ $# -ge 2 ]; then
  "$here/printer-app-pcs-test.sh" "$app" "$(realpath "$2")" "$port" "$work" || fail "two PCs and a third client"
fi
echo "printer application: every test passed"
