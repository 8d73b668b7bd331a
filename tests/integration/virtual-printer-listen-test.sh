#!/usr/bin/env bash
# The virtual printer on a TCP port: a connection's bytes become a job with its listing, picture, state
# and index line; connections become jobs in the order they end; a stalled or oversized connection is
# closed, logged and no job, and the port goes on serving; a CUPS queue with CUPS' own socket backend in
# the private server reaches it; a command line it cannot serve is refused.
#   virtual-printer-listen-test.sh QVPRINTER-LISTEN QVCTL SANDBOX-SCRIPT SANDBOX-DIR
set -euo pipefail
listen=$1 qvctl=$2 script=$3 sandbox=$4
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

work=$(mktemp -d /tmp/qvset-listen.XXXXXX)
queue=QV640_Socket_$$
listener=
cleanup() {
  [ -z "$listener" ] || kill "$listener" 2>/dev/null || true
  lpadmin -x "$queue" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
chmod 0755 "$work"
folder=$work/printer
mkdir -m 0755 "$folder"

# Refused command lines: usage (2) before anything is opened, a folder it must not write in (1).
mkdir -m 0777 "$work/open-to-all"
while IFS='|' read -r expected_status expected_text args; do
  status=0
  read -ra words <<<"$args"
  output=$("$listen" "${words[@]}" 2>&1) || status=$?
  [ "$status" = "$expected_status" ] || fail "qvprinter-listen $args: exit $status, not $expected_status"
  [[ $output == *"$expected_text"* ]] || fail "qvprinter-listen $args: no \"$expected_text\" in: $output"
done <<EOF
2|the folder of the virtual printer is missing|--port 0
2|--port takes a port number of 0 to 65535|$folder --port 65536
2|--idle-timeout takes seconds above 0|$folder --idle-timeout 0
2|--job-limit takes a number of bytes above 0|$folder --job-limit 1k
2|--port is given twice|$folder --port 1 --port=2
2|one folder only|$folder $work
1|is missing|$work/nothing --port 0
1|may be written by every user|$work/open-to-all --port 0
EOF

"$listen" "$folder" --port 0 --idle-timeout 1 --job-limit 4096 >"$work/out" 2>"$work/err" &
listener=$!
for _ in $(seq 1 100); do [ -s "$work/out" ] && break; sleep 0.05; done
port=$(head -1 "$work/out" | sed -n 's/^qvprinter-listen: serving .* on 127\.0\.0\.1:\([0-9]*\)$/\1/p')
[ -n "$port" ] || fail "no port announced: $(cat "$work/out" "$work/err")"

# wait_for_jobs N: until the index holds N lines.
wait_for_jobs() {
  for _ in $(seq 1 200); do
    [ "$(wc -l 2>/dev/null <"$folder/index" || echo 0)" -ge "$1" ] && return 0
    sleep 0.05
  done
  fail "the index has not $1 lines: $(cat "$folder/index" "$folder/qvprinter.log" "$work/err" 2>/dev/null)"
}
hex() { od -An -tx1 "$1" | tr -d ' \n'; }
paper_job() { sed -n '/"paper"/,/}/s/.*"job": "\([0-9]*\)".*/\1/p' "$folder/state.json"; }

# One job: ESC B 05 (paper 58 mm) and a line of text.
exec 5<>"/dev/tcp/127.0.0.1/$port"
printf '\033B\005QV640\n' >&5
exec 5>&-
wait_for_jobs 1
[ "$(hex "$folder/1.prn")" = 1b420551563634300a ] || fail "job 1's bytes: $(hex "$folder/1.prn")"
grep -q 'ESC B 05 .*paper 58 mm' "$folder/1.txt" || fail "job 1's listing: $(cat "$folder/1.txt")"
[ "$(head -c 8 "$folder/1.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "job 1 has no picture"
grep -qx '1	127\.0\.0\.1:[0-9]*' "$folder/index" || fail "job 1's index line: $(cat "$folder/index")"
[ "$(paper_job)" = 1 ] || fail "state.json does not name job 1 for the paper"

# Two connections at once, the first opened ends last: jobs follow the order they end, and the state
# the order of the jobs (paper 76 mm by the connection that ended last).
exec 5<>"/dev/tcp/127.0.0.1/$port"
exec 6<>"/dev/tcp/127.0.0.1/$port"
printf '\033B\004' >&5
printf '\033B\005' >&6
exec 6>&-
wait_for_jobs 2
exec 5>&-
wait_for_jobs 3
[ "$(hex "$folder/2.prn")/$(hex "$folder/3.prn")" = 1b4205/1b4204 ] ||
  fail "jobs 2 and 3 are not in the order their connections ended: $(hex "$folder/2.prn")/$(hex "$folder/3.prn")"
[ "$(cut -f1 "$folder/index" | tr '\n' ' ')" = "1 2 3 " ] || fail "index order: $(cat "$folder/index")"
[ "$(paper_job)" = 3 ] || fail "the paper's state is not job 3's: $(cat "$folder/state.json")"

# A sender that stalls is closed after the idle timeout (1 s here), one that sends more than the job
# limit at once; neither is a job, both are logged, and the port goes on taking jobs.
exec 7<>"/dev/tcp/127.0.0.1/$port"
printf '\033B' >&7
exec 8<>"/dev/tcp/127.0.0.1/$port"
head -c 5000 /dev/zero >&8 2>/dev/null || true
started=$SECONDS
timeout 5 cat <&7 >/dev/null || fail "the stalled connection was not closed within 5 s"
[ $((SECONDS - started)) -le 3 ] || fail "the stalled connection was closed only after $((SECONDS - started)) s"
exec 7>&- 8>&-
grep -q 'sent nothing for 1 s; closed after 2 bytes, which are no job' "$folder/qvprinter.log" ||
  fail "the stall is not logged: $(cat "$folder/qvprinter.log" 2>/dev/null)"
grep -q 'sent more than the job limit of 4096 bytes' "$folder/qvprinter.log" ||
  fail "the oversized job is not logged: $(cat "$folder/qvprinter.log" 2>/dev/null)"
grep -q 'sent nothing for 1 s' "$work/err" || fail "the stall is not on standard error"
[ "$(wc -l <"$folder/index")" -eq 3 ] || fail "a closed connection became a job: $(cat "$folder/index")"

# A CUPS queue of the private server with CUPS' own socket backend, and qvctl through it.
eval "$("$script" env "$sandbox")"
lpadmin -p "$queue" -E -v "socket://127.0.0.1:$port"
QVSET_RECORD=off "$qvctl" --printer "$queue" set paper 76
wait_for_jobs 4
[ "$(hex "$folder/4.prn")" = 1b4204 ] || fail "qvctl's document through the socket queue: $(hex "$folder/4.prn")"
grep -q 'paper 76 mm' "$folder/4.txt" || fail "job 4's listing: $(cat "$folder/4.txt")"
[ "$(paper_job)" = 4 ] || fail "the paper's state is not job 4's"

kill "$listener"
status=0
wait "$listener" || status=$?
listener=
[ "$status" = 0 ] || fail "qvprinter-listen ended with status $status on SIGTERM"
! compgen -G "$folder/.qv-*" >/dev/null || fail "temporary files left: $(ls -A "$folder")"
echo "the raw port took 4 jobs in the order they ended, closed a stalled and an oversized connection, and served a CUPS socket queue"
