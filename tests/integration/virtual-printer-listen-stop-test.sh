#!/usr/bin/env bash
# The raw port under SIGTERM, at its connection limit and with connections that send nothing: every
# sender that saw a clean end has its job kept, a sender still sending when it stops is reset, idle
# connections are shed for a new one at the limit, and connections that send nothing are counted in
# one line rather than logged one by one.
#   virtual-printer-listen-stop-test.sh QVPRINTER-LISTEN
set -euo pipefail
listen=$1
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
work=$(mktemp -d /tmp/qvset-listen-stop.XXXXXX)
listener=
cleanup() {
  [ -z "$listener" ] || kill "$listener" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
chmod 0755 "$work"

# start FOLDER OPTIONS...: a listener on a port of the system's choice; its port in $port.
start() {
  local folder=$1
  shift
  mkdir -m 0755 "$folder"
  "$listen" "$folder" --port 0 "$@" >"$folder.out" 2>"$folder.err" &
  listener=$!
  for _ in $(seq 1 100); do [ -s "$folder.out" ] && break; sleep 0.05; done
  port=$(head -1 "$folder.out" | sed -n 's/^qvprinter-listen: serving .* on 127\.0\.0\.1:\([0-9]*\)$/\1/p')
  [ -n "$port" ] || fail "no port announced: $(cat "$folder.out" "$folder.err")"
}
stop() {
  kill "$listener"
  local status=0
  wait "$listener" || status=$?
  listener=
  [ "$status" = 0 ] || fail "qvprinter-listen ended with status $status on SIGTERM"
}
jobs_in() { if [ -f "$1/index" ]; then wc -l <"$1/index"; else echo 0; fi; }

# SIGTERM while senders have sent their job: one closes 1 s later (its job is kept), one never closes
# (it is reset, so its sender sees a failure), and ten in the port's queue that close at once.
start "$work/a" --idle-timeout 30
python3 - "$port" "$work/senders" <<'PY' &
import os, socket, sys, time, threading
port, out = int(sys.argv[1]), sys.argv[2]
results = {}
sent = threading.Barrier(13)
def send(name, linger):
    s = socket.create_connection(("127.0.0.1", port))
    s.sendall(b"\x1bB\x05line " + name.encode() + b"\n")
    sent.wait()
    time.sleep(linger)
    try:
        s.shutdown(socket.SHUT_WR)
        # A clean end is the listener's orderly close: an empty read, not a reset.
        s.settimeout(10)
        results[name] = "ok" if s.recv(1) == b"" else "data"
    except OSError as error:
        results[name] = "failed"
    s.close()
threads = [threading.Thread(target=send, args=("late", 1.0)), threading.Thread(target=send, args=("never", 8.0))]
threads += [threading.Thread(target=send, args=("quick%d" % i, 0.6)) for i in range(10)]
for t in threads: t.start()
# Every sender has sent its job: the listener may be stopped now.
sent.wait()
open(out + ".sent", "w").close()
for t in threads: t.join()
with open(out, "w") as f:
    for name in sorted(results): f.write("%s %s\n" % (name, results[name]))
PY
senders=$!
for _ in $(seq 1 200); do [ -e "$work/senders.sent" ] && break; sleep 0.05; done
[ -e "$work/senders.sent" ] || fail "the senders did not connect"
sleep 0.1
stop
wait "$senders"
ok=$(grep -c ' ok$' "$work/senders" || true)
grep -q '^never failed$' "$work/senders" || fail "the sender that never closed saw: $(cat "$work/senders")"
[ "$ok" = 11 ] || fail "senders that saw a clean end: $ok, not 11: $(cat "$work/senders")"
[ "$(jobs_in "$work/a")" = 11 ] || fail "jobs kept: $(jobs_in "$work/a"), not the 11 whose senders saw success"
grep -q 'was still open when the listener stopped' "$work/a/qvprinter.log" || fail "the reset is not logged"

# At the limit of 3 connections, 3 idle ones do not hold a new job back: the one idle longest is shed.
start "$work/b" --idle-timeout 60 --connections 3
exec 5<>"/dev/tcp/127.0.0.1/$port" 6<>"/dev/tcp/127.0.0.1/$port" 7<>"/dev/tcp/127.0.0.1/$port"
sleep 0.2
printf '\033B\004' | timeout 5 python3 -c "
import socket, sys
s = socket.create_connection(('127.0.0.1', $port)); s.sendall(sys.stdin.buffer.read()); s.shutdown(socket.SHUT_WR)
s.settimeout(5); s.recv(1)" || fail "the new job beside three idle connections was not taken"
for _ in $(seq 1 100); do [ "$(jobs_in "$work/b")" = 1 ] && break; sleep 0.05; done
[ "$(jobs_in "$work/b")" = 1 ] || fail "the job beside three idle connections is not in the folder"
exec 5>&- 6>&- 7>&-

# Connections that send nothing: counted, one line for many.
for _ in $(seq 1 25); do exec 8<>"/dev/tcp/127.0.0.1/$port"; exec 8>&-; done
sleep 0.3
stop
lines=$(grep -c 'sent nothing and' "$work/b/qvprinter.log" || true)
[ "$lines" -le 3 ] || fail "$lines lines for connections that sent nothing: $(cat "$work/b/qvprinter.log")"
grep -qE '[0-9]+ connections sent nothing and were closed' "$work/b/qvprinter.log" ||
  fail "the empty connections are not counted: $(cat "$work/b/qvprinter.log")"
echo "the raw port kept every job whose sender saw success, reset the rest, shed idle connections at its limit and counted empty ones"
