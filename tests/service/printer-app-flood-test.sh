#!/usr/bin/env bash
# The printer application under load and after a crash, against the virtual printer:
#   - 200 jobs from four clients at once: every one reaches the printer, each client's in its order;
#   - the service killed while a job is still arriving, then started again: the printer's state is the
#     state of the documents that reached the printer, none lost and none counted twice.
# Usage: printer-app-flood-test.sh PRINTER-APP
set -euo pipefail

app=$(realpath "$1")
work=$(mktemp -d)
server=""
stop_server() {
  if [ -n "$server" ]; then kill "$1" "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; fi
  server=""
}
cleanup() {
  stop_server -TERM
  [ -n "${KEEP:-}" ] || rm -rf "$work" 2>/dev/null || true
}
trap cleanup EXIT
export SNAP_COMMON="$work/snap" TMPDIR="$work/tmp" XDG_CONFIG_HOME="$work/config" HOME="$work"
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
mkdir -p "$SNAP_COMMON" "$TMPDIR" "$XDG_CONFIG_HOME" "$work/printer" "$work/spool" "$work/jobs"
chmod 755 "$work/printer"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
uri="ipp://localhost:$port/ipp/print/qv1"
state="$work/spool/qvset-state/printer-1.json"

fail() {
  echo "FAIL: $* (in $work)" >&2
  grep -v 'DNS-SD\|Driver does not' "$work/server.err" | sed -n '1,40p' >&2 || true
  exit 1
}
start_server() {
  rm -f "$SNAP_COMMON/qvset-printer-app.sock" "$TMPDIR/qvset-printer-app$(id -u).sock"
  "$app" server -o server-port="$port" -o spool-directory="$work/spool" -o log-file="$work/log" \
    -o log-level=info >>"$work/server.err" 2>&1 &
  server=$!
  for _ in $(seq 100); do
    [ -S "$SNAP_COMMON/qvset-printer-app.sock" ] || [ -S "$TMPDIR/qvset-printer-app$(id -u).sock" ] && return 0
    sleep 0.1
  done
  fail "the service did not start"
}
prn_count() { find "$work/printer" -maxdepth 1 -name '*.prn' | wc -l; }
wait_prns() {
  for _ in $(seq 300); do
    [ "$(prn_count)" -ge "$1" ] && return 0
    sleep 0.1
  done
  fail "the printer's folder holds $(prn_count) jobs, not $1"
}
# One Print-Job per file named, in that order.
write_test() {
  local out=$1
  shift
  : >"$out"
  for file in "$@"; do
    cat >>"$out" <<TEST
{
  OPERATION Print-Job
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri \$uri
  ATTR name requesting-user-name \$user
  ATTR mimeMediaType document-format application/vnd.qvset.qv6
  FILE $file
  STATUS successful-ok
}
TEST
  done
}

start_server
"$app" add -d qv1 -m qv640 -v "qvprinter:$work/printer" || fail "add"

# Four clients, 50 jobs each: "client C job N" after a stored switch (so each one is a QV6 command stream).
pids=()
for client in 1 2 3 4; do
  files=()
  for n in $(seq 50); do
    printf '\033B\002client %s job %s\n' "$client" "$n" >"$work/jobs/$client-$n.prn"
    files+=("$work/jobs/$client-$n.prn")
  done
  write_test "$work/client$client.test" "${files[@]}"
  ipptool -T 30 "$uri" "$work/client$client.test" >"$work/client$client.out" 2>&1 &
  pids+=($!)
done
for pid in "${pids[@]}"; do wait "$pid" || fail "a client's job was refused"; done
wait_prns 200
for client in 1 2 3 4; do
  order=$(grep -al "^.*client $client job " "$work"/printer/*.prn | xargs -n1 basename | sort -n |
    while read -r job; do sed -n "s/.*client $client job \([0-9]*\)/\1/p" "$work/printer/$job"; done | tr '\n' ' ')
  [ "$order" = "$(seq 50 | tr '\n' ' ')" ] || fail "client $client's jobs reached the printer out of order: $order"
done

# The crash: a first document reaches the printer; a second (black mark off at its end) is still
# arriving when the service is killed, so it never reaches the printer.
printf '\033B\005' >"$work/paper58.prn"
write_test "$work/first.test" "$work/paper58.prn"
ipptool -T 30 "$uri" "$work/first.test" >/dev/null || fail "the first document was refused"
wait_prns 201
# The document comes through a FIFO that is still open when the service is killed.
mkfifo "$work/large.prn"
{
  printf '\033B\002'
  sleep 3
  printf '\033B\003'
} >"$work/large.prn" &
feeder=$!
write_test "$work/large.test" "$work/large.prn"
ipptool -T 30 "$uri" "$work/large.test" >/dev/null 2>&1 &
sender=$!
sleep 1
stop_server -KILL
wait "$sender" "$feeder" 2>/dev/null || true
start_server
printf '\033B\013' >"$work/quiet.prn"
write_test "$work/after.test" "$work/quiet.prn"
ipptool -T 30 "$uri" "$work/after.test" >/dev/null || fail "the document after the restart was refused"
wait_prns 202
[ "$(prn_count)" -eq 202 ] || fail "the killed document reached the printer"
python3 - "$state" <<'PY' || fail "the state after the restart is not the state of what reached the printer"
import json, sys
whole = json.load(open(sys.argv[1]))
jobs = [entry["job"] for entry in whole["journal"]]
assert len(jobs) == len(set(jobs)), "a document counted twice"
assert whole["sequence"] == 202, "%d documents counted, not 202" % whole["sequence"]
text = json.dumps(whole["state"])
assert "paper 58" in text, "the paper width sent before the crash is lost"
assert "noise-reduced" in text or "quiet" in text, "the print head sent after the restart is missing"
assert "black mark off" not in text, "the killed document's black mark off is in the state"
PY
echo "printer application under load and after a crash: every test passed"
