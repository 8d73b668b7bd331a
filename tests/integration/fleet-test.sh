#!/usr/bin/env bash
# One qvctl command on the QV6 printers of three private print servers at once: each printer gets the
# description's document exactly once; a rejecting queue, a frozen server, a server that is gone and a
# pattern that matches nothing are each one failed row of the report while the rest are served; the
# Ansible module's check mode sends nothing, its run sends, and its second run sends nothing.
#   fleet-test.sh SANDBOX-SCRIPT MAIN-SANDBOX-DIR QVCTL ANSIBLE-LIBRARY PLAYBOOK
set -euo pipefail
script=$1 main=$2 qvctl=$3 library=$4 playbook=$5
fail() { echo "FAIL: $*" >&2; exit 1; }
work=$(mktemp -d "${TMPDIR:-/tmp}/qvset-fleet.XXXXXX")
a=$work/a b=$work/b
cleanup() {
  if [ -f "$b/cupsd.pid" ]; then kill -CONT "$(cat "$b/cupsd.pid")" 2>/dev/null || true; fi
  "$script" stop "$a" >/dev/null 2>&1 || true
  "$script" stop "$b" >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
chmod 0755 "$work"
"$script" start "$a" QV640_F1 QV650_F1 Office_Laser >/dev/null
"$script" start "$b" QV640_F2 >/dev/null
eval "$("$script" env "$main")"
export XDG_STATE_HOME=$work/state QVSET_SPOOLER_DEADLINE=2
server() { echo "127.0.0.1:$(cat "$1/port")"; }
M=$(server "$main") A=$(server "$a") B=$(server "$b")
# A server that is gone: a loopback port nothing listens on.
G=127.0.0.1:$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')

json() { python3 -c "import json,sys; d=json.load(sys.stdin); print($1)"; }
# The report's rows as "server printer result documents", one per line.
rows() { json '"\n".join("%s %s %s %d" % (r["server"] or "-", r["printer"] or "-", r["result"], r["documents"]) for r in d["printers"])'; }
jobs_of() { local index=$1/capture/$2/index; [ -f "$index" ] && wc -l < "$index" || echo 0; }
# Waits for a queue's job count to reach $3 and prints its last job's bytes in hex.
last_job() {
  local dir=$1 queue=$2 count=$3
  for _ in $(seq 1 150); do [ "$(jobs_of "$dir" "$queue")" -ge "$count" ] && break; sleep 0.1; done
  [ "$(jobs_of "$dir" "$queue")" -eq "$count" ] || fail "$queue has $(jobs_of "$dir" "$queue") jobs, expected $count"
  od -An -tx1 -v "$dir/capture/$queue/$(tail -1 "$dir/capture/$queue/index" | cut -f1).prn" | tr -d ' \n' | tr a-f A-F
}

"$qvctl" ticket new "$work/ticket.txt" --black-mark on --paper 58 --length 100 2>/dev/null
sends=$("$qvctl" --json --printer QV640_Virtual ticket plan "$work/ticket.txt" | json 'd["sends"]')
[ -n "$sends" ] || fail "the plan sends nothing"

# Three servers at once; QV640_F1 is named and matched: it is sent the document once.
before=$(jobs_of "$main" QV640_Virtual)
report=$("$qvctl" --json --server "$M" --server "$A" --server "$B" --printer 'QV640*' --printer 'QV650_F*' \
  --printer QV640_F1 ticket apply "$work/ticket.txt") || fail "ticket apply on three servers failed: $report"
expected="$M QV640_Virtual ok 1
$A QV640_F1 ok 1
$A QV650_F1 ok 1
$B QV640_F2 ok 1"
[ "$(rows <<<"$report")" = "$expected" ] || fail "report rows: $(rows <<<"$report")"
for capture in "$main QV640_Virtual $((before + 1))" "$a QV640_F1 1" "$a QV650_F1 1" "$b QV640_F2 1"; do
  read -r dir queue count <<<"$capture"
  [ "$(last_job "$dir" "$queue" "$count")" = "$sends" ] || fail "$queue was not sent the description's bytes"
done

# Faults, each one row: a rejecting queue, a frozen server, a server gone, a pattern matching nothing.
cupsreject -h "$A" QV640_F1
kill -STOP "$(cat "$b/cupsd.pid")"
status=0
report=$("$qvctl" --json --server "$A" --server "$B" --server "$G" --printer 'QV6*' --printer 'Nothing*' \
  hex 1B40) || status=$?
kill -CONT "$(cat "$b/cupsd.pid")"
cupsaccept -h "$A" QV640_F1
[ "$status" = 1 ] || fail "a fleet with failed printers exits $status"
expected="$A QV640_F1 failed 0
$A QV650_F1 ok 1
$B - failed 0
$G - failed 0
- Nothing* failed 0"
[ "$(rows <<<"$report")" = "$expected" ] || fail "fault rows: $(rows <<<"$report")"
[ "$(last_job "$a" QV650_F1 2)" = 1B40 ] || fail "QV650_F1 beside the rejecting queue was not served"

# The Ansible module: check mode sends nothing, the run sends, the second run sends nothing.
export ANSIBLE_LIBRARY=$library ANSIBLE_LOCAL_TEMP=$work/ansible ANSIBLE_NOCOLOR=1 ANSIBLE_RETRY_FILES_ENABLED=0
play() {
  ansible-playbook -i localhost, -c local "$playbook" -e "qvctl=$qvctl server_a=$A server_b=$B" "$@" \
    > "$work/play.log" 2>&1 || { cat "$work/play.log" >&2; fail "ansible-playbook $*"; }
}
play --check -e expect_changed=true
if [ "$(jobs_of "$a" QV640_F1)" != 1 ] || [ "$(jobs_of "$b" QV640_F2)" != 1 ]; then fail "check mode sent documents"; fi
play -e expect_changed=true
[ "$(jobs_of "$b" QV640_F2)" = 2 ] || last_job "$b" QV640_F2 2 >/dev/null
play -e expect_changed=false
[ "$(jobs_of "$b" QV640_F2)" = 2 ] || fail "the second run sent documents"
echo "fleet: three servers, fault rows and the Ansible module as expected"
