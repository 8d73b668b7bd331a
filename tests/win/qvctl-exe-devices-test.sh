#!/usr/bin/env bash
# qvctl.exe under Wine to printers without a spooler, as scripts/test-windows.sh sets them up: the
# virtual printer's raw port (socket://) and a COM port that Wine's Ports key maps to one end of a socat
# pseudo-terminal pair, read at 19200 baud by a printer on the other end. Each gets the bytes the
# private server's capture queue gets for the same command through qvctl.exe; a refused port is a
# failed row.
#   qvctl-exe-devices-test.sh QVCTL.EXE LISTEN-FOLDER PORT COMPORT PRINTER-END SENDER-END
set -euo pipefail
qvctl=$1 folder=$2 port=$3 com=$4 printer_end=$5 sender_end=$6
here=$(cd "$(dirname "$0")" && pwd)
capture=$QVSET_SANDBOX_DIR/capture/Office_Laser
work=$(mktemp -d "${TMPDIR:-/tmp}/qvset-wine-devices.XXXXXX")
reader=
cleanup() {
  [ -z "$reader" ] || kill "$reader" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
hex() { od -An -tx1 -v | tr -d ' \n'; }
lines() { wc -l <"$1" 2>/dev/null || echo 0; }
wait_lines() {  # wait_lines FILE COUNT
  for _ in $(seq 1 200); do [ "$(lines "$1")" -ge "$2" ] && return 0; sleep 0.05; done
  fail "$1 has not $2 lines"
}
export QVSET_RECORD=off

"$here/../integration/serial-printer.py" "$printer_end" "$sender_end" 19200 "$work/serial.bin" "$work/garbled.bin" \
  >"$work/reader.out" &
reader=$!
for _ in $(seq 1 100); do [ -s "$work/reader.out" ] && break; sleep 0.05; done

shop=$(winepath -w "$work/shop.txt")
wine "$qvctl" ticket new "$shop" --black-mark on --paper 58 --length 100 --baud 2 >/dev/null 2>&1 || fail "ticket new"
jobs=$(lines "$folder/index")
for command in "pin-test" "ticket apply $shop" "hex 1B40"; do
  read -ra words <<<"$command"
  documents=$(wine "$qvctl" --dry-run "${words[@]}" 2>/dev/null | tr -d '\r' | grep -c '^document ')
  before=$(lines "$capture/index")
  wine "$qvctl" --printer Office_Laser "${words[@]}" >/dev/null 2>&1 || fail "the capture queue: $command"
  wait_lines "$capture/index" $((before + documents))
  expected=$(tail -n "+$((before + 1))" "$capture/index" | cut -f1 | while read -r job; do cat "$capture/$job.prn"; done | hex)

  wine "$qvctl" --device "socket://127.0.0.1:$port" "${words[@]}" >/dev/null 2>"$work/err" ||
    fail "qvctl.exe --device socket:// $command: $(cat "$work/err")"
  wait_lines "$folder/index" $((jobs + documents))
  got=$(tail -n "+$((jobs + 1))" "$folder/index" | cut -f1 | while read -r job; do cat "$folder/$job.prn"; done | hex)
  jobs=$((jobs + documents))
  [ "$got" = "$expected" ] || fail "$command to the raw port: $got, the queue got $expected"

  : >"$work/serial.bin"
  wine "$qvctl" --device "serial:$com?baud=19200" "${words[@]}" >/dev/null 2>"$work/err" ||
    fail "qvctl.exe --device serial:$com $command: $(tr -d '\r' <"$work/err")"
  for _ in $(seq 1 200); do [ "$(wc -c <"$work/serial.bin")" -ge $((${#expected} / 2)) ] && break; sleep 0.05; done
  [ "$(hex <"$work/serial.bin")" = "$expected" ] || fail "$command on $com: $(hex <"$work/serial.bin"), the queue got $expected"
done
[ ! -s "$work/garbled.bin" ] || fail "bytes reached the printer at another rate than 19200: $(hex <"$work/garbled.bin")"

status=0
wine "$qvctl" --json --device socket://127.0.0.1:1 --device "socket://127.0.0.1:$port" hex 0A >"$work/report" 2>&1 || status=$?
[ "$status" = 1 ] || fail "a refused port gave exit $status: $(cat "$work/report")"
grep -q '"result": "failed"' "$work/report" || fail "no failed row: $(cat "$work/report")"
grep -q '"result": "ok"' "$work/report" || fail "the other device did not take its document: $(cat "$work/report")"
echo "qvctl.exe: the raw port and $com (19200 baud) got the capture queue's bytes; a refused port is a failed row"
