#!/usr/bin/env bash
# qvctl.exe under Wine to the printer application's raw port, as a Windows PC without a RAW queue
# reaches a shop's printer: each document is one connection and one job, which reaches the printer as
# the private server's capture queue gets it for the same command, and is folded into the printer's
# state under the client's address. Started again with only another client address allowed, the
# service refuses qvctl.exe: a failed row, exit status 1, nothing printed, the refusal in the log.
#   qvctl-exe-printer-app-test.sh QVCTL.EXE PRINTER-APP
set -euo pipefail
qvctl=$1 app=$(realpath "$2")
capture=$QVSET_SANDBOX_DIR/capture/Office_Laser
work=$(mktemp -d "${TMPDIR:-/tmp}/qvset-wine-app.XXXXXX")
server=
stop_server() {
  if [ -n "$server" ]; then
    kill "$server" 2>/dev/null || true
    wait "$server" 2>/dev/null || true
  fi
  server=
}
cleanup() {
  stop_server
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  grep -E "^[EW]" "$work/log" >&2 2>/dev/null || true
  exit 1
}
hex() { od -An -tx1 -v | tr -d ' \n'; }
lines() { wc -l <"$1" 2>/dev/null || echo 0; }
jobs_in() { find "$1" -maxdepth 1 -name '*.prn' | wc -l; }
wait_lines() {  # wait_lines FILE COUNT
  for _ in $(seq 1 200); do [ "$(lines "$1")" -ge "$2" ] && return 0; sleep 0.05; done
  fail "$1 has not $2 lines"
}
free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
export QVSET_RECORD=off
# The service is the Linux build, its state and sockets in this test's folder.
mkdir -p "$work/snap" "$work/tmp" "$work/config" "$work/printer" "$work/spool"
service_env=(env SNAP_COMMON="$work/snap" TMPDIR="$work/tmp" XDG_CONFIG_HOME="$work/config" HOME="$work"
  ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0")
port=$(free_port)
raw=$(free_port)
start_server() {  # start_server ALLOWED-CLIENTS
  "${service_env[@]}" "$app" server -o server-port="$port" -o listen-hostname=localhost \
    -o spool-directory="$work/spool" -o log-file="$work/log" -o log-level=info \
    -o raw-ports="qv1=$raw" -o raw-listen=127.0.0.1 -o raw-allow="$1" >>"$work/server.out" 2>&1 &
  server=$!
  for _ in $(seq 1 100); do
    python3 -c "import socket,sys; socket.create_connection(('127.0.0.1', int(sys.argv[1])), 1)" "$raw" \
      2>/dev/null && return 0
    sleep 0.1
  done
  fail "the printer application's raw port $raw did not open: $(cat "$work/server.out")"
}

start_server 127.0.0.1
"${service_env[@]}" "$app" add -d qv1 -m qv640 -v "qvprinter:$work/printer" >/dev/null || fail "add the printer"

shop=$(winepath -w "$work/shop.txt")
wine "$qvctl" ticket new "$shop" --black-mark on --paper 58 --length 100 >/dev/null 2>&1 || fail "ticket new"
jobs=$(jobs_in "$work/printer")
for command in "set paper 76" "ticket apply $shop" "hex 1B40"; do
  read -ra words <<<"$command"
  documents=$(wine "$qvctl" --dry-run "${words[@]}" 2>/dev/null | tr -d '\r' | grep -c '^document ')
  before=$(lines "$capture/index")
  wine "$qvctl" --printer Office_Laser "${words[@]}" >/dev/null 2>&1 || fail "the capture queue: $command"
  wait_lines "$capture/index" $((before + documents))
  expected=$(tail -n "+$((before + 1))" "$capture/index" | cut -f1 | while read -r job; do cat "$capture/$job.prn"; done | hex)

  wine "$qvctl" --device "socket://127.0.0.1:$raw" "${words[@]}" >/dev/null 2>"$work/err" ||
    fail "qvctl.exe --device socket:// to the service, $command: $(tr -d '\r' <"$work/err")"
  for _ in $(seq 1 200); do [ "$(jobs_in "$work/printer")" -ge $((jobs + documents)) ] && break; sleep 0.05; done
  got=$(for job in $(seq $((jobs + 1)) $((jobs + documents))); do cat "$work/printer/$job.prn" 2>/dev/null; done | hex)
  jobs=$((jobs + documents))
  [ "$got" = "$expected" ] || fail "$command through the service's raw port: $got, the queue got $expected"
done

# The last paper switch the printer got is the description's 58 mm, in a job from 127.0.0.1's raw port.
python3 - "$work/spool/qvset-state/printer-1.json" <<'PY' || fail "the printer's state does not hold qvctl.exe's jobs"
import json, sys
held = json.load(open(sys.argv[1]))
paper = held["state"]["switches"]["paper"]
assert paper["choice"] == "58", paper
senders = {entry["job"]: entry["sender"] for entry in held["journal"]}
assert senders[paper["job"]] == "raw@127.0.0.1", (paper, senders)
PY

stop_server
start_server 127.0.0.2
before=$(jobs_in "$work/printer")
status=0
wine "$qvctl" --json --device "socket://127.0.0.1:$raw" hex 0A >"$work/report" 2>&1 || status=$?
[ "$status" = 1 ] || fail "qvctl.exe from an address not allowed gave exit $status: $(tr -d '\r' <"$work/report")"
grep -q '"result": "failed"' "$work/report" || fail "no failed row for the refused connection: $(tr -d '\r' <"$work/report")"
sleep 0.3
[ "$(jobs_in "$work/printer")" = "$before" ] || fail "the refused connection reached the printer"
grep -q "refused 127.0.0.1" "$work/log" || fail "the refusal of 127.0.0.1 is not in the service's log"
echo "qvctl.exe: the service's raw port took its documents as the capture queue got them, into the printer's state; a client not allowed is refused"
