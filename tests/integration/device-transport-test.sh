#!/usr/bin/env bash
# qvctl to printers without a spooler, against the private CUPS server's capture queue: for each
# command, the bytes a file, a raw TCP port (qvprinter-listen) and a serial line (a socat pseudo-terminal
# pair read by a printer at the chosen rate) receive are the bytes the queue receives; a printer whose
# baud rate is changed gets the next document at the new rate once its device follows it; a device that
# refuses, resets or vanishes is a failed row and nothing is recorded as taken; a driverless queue
# refuses RAW documents.
#   device-transport-test.sh QVCTL QVPRINTER-LISTEN SANDBOX-SCRIPT SANDBOX-DIR
set -euo pipefail
qvctl=$1 listen=$2 script=$3 sandbox=$4
here=$(cd "$(dirname "$0")" && pwd)
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
command -v socat >/dev/null || fail "socat is missing (scripts/install-deps.sh installs it)"

work=$(mktemp -d /tmp/qvset-devices.XXXXXX)
chmod 0755 "$work"
pids=()
driverless=QV6_Driverless_$$
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  lpadmin -x "$driverless" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
eval "$("$script" env "$sandbox")"
export XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state
capture=$sandbox/capture/Office_Laser
hex() { od -An -tx1 -v | tr -d ' \n'; }
lines() { wc -l <"$1" 2>/dev/null || echo 0; }

# wait_until TEST...: up to 10 s.
wait_until() {
  for _ in $(seq 1 200); do "$@" && return 0; sleep 0.05; done
  return 1
}
bigger_than() { [ "$(wc -c <"$1" 2>/dev/null || echo 0)" -ge "$2" ]; }
has_lines() { [ "$(lines "$1")" -ge "$2" ]; }

# queue_bytes ARGS...: the bytes of the documents the capture queue got for one command, in order.
queue_bytes() {
  local before documents
  documents=$("$qvctl" --dry-run "$@" | grep -c '^document ')
  before=$(lines "$capture/index")
  "$qvctl" --printer Office_Laser "$@" >/dev/null 2>&1 || fail "the capture queue refused: $*"
  wait_until has_lines "$capture/index" $((before + documents)) || fail "the capture queue has not its $documents documents: $*"
  tail -n "+$((before + 1))" "$capture/index" | cut -f1 | while read -r job; do cat "$capture/$job.prn"; done | hex
}

# The raw port and the serial line.
mkdir -m 0755 "$work/port"
"$listen" "$work/port" --port 0 --job-limit 16384 >"$work/listen.out" 2>&1 &
pids+=($!)
wait_until test -s "$work/listen.out" || fail "qvprinter-listen did not start"
port=$(sed -n '1s/^qvprinter-listen: serving .* on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$work/listen.out")
[ -n "$port" ] || fail "no port: $(cat "$work/listen.out")"
start_line() {
  socat pty,raw,echo=0,link="$work/host" pty,raw,echo=0,link="$work/printer" 2>"$work/socat.log" &
  socat_pid=$!
  pids+=("$socat_pid")
  wait_until test -e "$work/printer" -a -e "$work/host" || fail "socat made no pseudo-terminals"
}
# start_printer BAUD: the printer reads its end of the line at BAUD.
start_printer() {
  "$here/serial-printer.py" "$work/printer" "$work/host" "$1" "$work/serial.bin" "$work/garbled.bin" >"$work/printer.out" &
  printer_pid=$!
  pids+=("$printer_pid")
  wait_until test -s "$work/printer.out" || fail "the serial printer did not start"
}
stop_printer() { kill "$printer_pid"; wait "$printer_pid" 2>/dev/null || true; }
start_line
start_printer 19200
: >"$work/serial.bin"
: >"$work/garbled.bin"

qvset_ticket=$work/shop.txt
"$qvctl" ticket new "$qvset_ticket" --black-mark on --paper 58 --length 100 --mark 27 >/dev/null 2>&1
jobs=0
for command in "pin-test" "ticket apply $qvset_ticket" "hex 1B40" "text 打印测试" "feed-forward"; do
  read -ra words <<<"$command"
  expected=$(queue_bytes "${words[@]}")
  [ -n "$expected" ] || fail "the queue got nothing for $command"
  documents=$("$qvctl" --dry-run "${words[@]}" | grep -c '^document ')

  rm -f "$work/file.prn"
  "$qvctl" --device "$work/file.prn" "${words[@]}" >/dev/null 2>&1 || fail "the file device refused $command"
  [ "$(hex <"$work/file.prn")" = "$expected" ] || fail "$command to a file: $(hex <"$work/file.prn") not $expected"

  "$qvctl" --device "socket://127.0.0.1:$port" "${words[@]}" >/dev/null 2>&1 || fail "the raw port refused $command"
  wait_until has_lines "$work/port/index" $((jobs + documents)) || fail "$command: the raw port has not $documents jobs"
  got=$(tail -n "+$((jobs + 1))" "$work/port/index" | cut -f1 | while read -r job; do cat "$work/port/$job.prn"; done | hex)
  jobs=$((jobs + documents))
  [ "$got" = "$expected" ] || fail "$command to the raw port: $got not $expected"

  : >"$work/serial.bin"
  "$qvctl" --device "serial:$work/host?baud=19200" "${words[@]}" >/dev/null 2>"$work/err" || fail "the serial line refused $command: $(cat "$work/err")"
  wait_until bigger_than "$work/serial.bin" $((${#expected} / 2)) || fail "$command: the serial printer got $(hex <"$work/serial.bin")"
  [ "$(hex <"$work/serial.bin")" = "$expected" ] || fail "$command on the serial line: $(hex <"$work/serial.bin") not $expected"
done
[ ! -s "$work/garbled.bin" ] || fail "bytes arrived at another rate than 19200: $(hex <"$work/garbled.bin")"
echo "pin-test, ticket apply, hex, text and feed-forward: a file, the raw port and the serial line got the queue's bytes"

# A baud change: the printer answers at the new rate once restarted; its device follows when asked.
stop_printer
start_printer 9600
: >"$work/serial.bin"
"$qvctl" device add counter "serial:$work/host?baud=9600" >/dev/null
"$qvctl" --follow-baud --device counter set baud 2 >/dev/null 2>"$work/err" || fail "set baud: $(cat "$work/err")"
grep -q "device counter follows its printer to 19200 baud" "$work/err" || fail "no word of the change: $(cat "$work/err")"
grep -qx "counter serial:$work/host?baud=19200" "$work/config/qvset/devices" || fail "the devices file: $(cat "$work/config/qvset/devices")"
wait_until bigger_than "$work/serial.bin" 3 || fail "the baud switch did not arrive"
[ "$(hex <"$work/serial.bin")" = 1b420f ] || fail "the baud switch: $(hex <"$work/serial.bin")"
stop_printer
start_printer 19200
: >"$work/serial.bin"
"$qvctl" --device counter self-test >/dev/null 2>&1 || fail "self-test after the change"
wait_until bigger_than "$work/serial.bin" 5 || fail "the self-test did not arrive at 19200"
[ "$(hex <"$work/serial.bin")" = 1b3a000050 ] || fail "the self-test at 19200: $(hex <"$work/serial.bin")"
[ ! -s "$work/garbled.bin" ] || fail "garbled before the old rate was tried: $(hex <"$work/garbled.bin")"
# The old rate is what the printer no longer reads: the reader does tell the rates apart.
"$qvctl" --device "serial:$work/host?baud=9600" hex 0A >/dev/null 2>&1
wait_until bigger_than "$work/garbled.bin" 1 || fail "a document at the old rate was read as good"
echo "the printer's new baud rate: the devices file followed, and the next document went at 19200"

# Devices that fail: a refused connection, a reset mid-document (over the port's job limit), a serial
# line that vanishes mid-document. Each is a failed row; none is recorded as taken.
stop_printer
head -c 300000 /dev/zero | tr '\0' '\n' >"$work/big.prn"
refused_port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
status=0
"$qvctl" --json --device "socket://127.0.0.1:$refused_port" --device "socket://127.0.0.1:$port" \
  --device "serial:$work/host?baud=19200" --device "$work/ok.prn" file "$work/big.prn" >"$work/report.json" 2>&1 &
fleet=$!
# Nobody reads the line: the serial document fills it and waits; then the line goes.
sleep 1
kill "$socat_pid"
wait "$fleet" || status=$?
[ "$status" = 1 ] || fail "the failing devices gave exit $status: $(cat "$work/report.json")"
rows=$(python3 -c 'import json,sys; d=json.load(open(sys.argv[1])); print(" ".join(r["result"] for r in d["printers"]))' "$work/report.json")
[ "$rows" = "failed failed failed ok" ] || fail "rows: $rows: $(cat "$work/report.json")"
grep -q "Connection refused" "$work/report.json" || fail "the refusal is not said: $(cat "$work/report.json")"
grep -q "reset the connection" "$work/report.json" || fail "the reset is not said: $(cat "$work/report.json")"
grep -q "Input/output error" "$work/report.json" || fail "the vanished line is not said: $(cat "$work/report.json")"
for device in "socket%3A%2F%2F127.0.0.1%3A$refused_port" "socket%3A%2F%2F127.0.0.1%3A$port" "serial%3A${work//\//%2F}%2Fhost"; do
  record=$(tail -1 "$work/state/qvset/records/$device@.jsonl")
  # The last line is the document's outcome: its entry, or the line that completes its pending entry.
  [[ $record == *'"command":"file","taken":false'* || $record == *'"fate":"answered","taken":false'* ]] ||
    fail "recorded as taken: $record"
done
[ "$(wc -c <"$work/ok.prn")" = 300000 ] || fail "the file beside them did not get the document"
echo "a refused connection, a reset and a vanished serial line: failed rows, exit 1, nothing recorded as taken"

# A driverless queue whose printer is no QV6 printer application refuses RAW documents.
lpadmin -p "$driverless" -E -v file:///dev/null -m drv:///cupsfilters.drv/pwgrast.ppd 2>/dev/null
"$qvctl" printers | grep -q "^  $driverless,.*\[driverless IPP: refuses RAW documents" || fail "printers: $("$qvctl" printers)"
"$qvctl" printers | grep -q '^  Office_Laser,.*\[raw queue\]' || fail "printers: $("$qvctl" printers)"
status=0
"$qvctl" --printer "$driverless" hex 1B40 2>"$work/err" || status=$?
[ "$status" = 1 ] || fail "the driverless queue gave exit $status"
grep -q "是免驱动（IPP Everywhere）队列" "$work/err" || fail "no refusal: $(cat "$work/err")"
[ -z "$(lpstat -o "$driverless" 2>/dev/null)" ] || fail "a job reached the driverless queue"
echo "a driverless queue refuses RAW documents and printers names each queue's kind"
