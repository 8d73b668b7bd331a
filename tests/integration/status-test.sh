#!/usr/bin/env bash
# qvctl status on three private print servers at once: a stopped queue, a queue with a held (stuck)
# job and a rejecting queue each stand out as a failed row with what is wrong, the healthy queues are
# ok, and the row of a printer that was sent documents shows its last one and the paper and ticket
# length its record implies.
#   status-test.sh SANDBOX-SCRIPT QVCTL
set -euo pipefail
script=$1 qvctl=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
work=$(mktemp -d "${TMPDIR:-/tmp}/qvset-status.XXXXXX")
a=$work/a b=$work/b c=$work/c
cleanup() {
  for dir in "$a" "$b" "$c"; do "$script" stop "$dir" >/dev/null 2>&1 || true; done
  rm -rf "$work"
}
trap cleanup EXIT
chmod 0755 "$work"
"$script" start "$a" QV640_S1 QV650_S1 >/dev/null
"$script" start "$b" QV640_S2 >/dev/null
"$script" start "$c" QV640_S3 Office_Laser >/dev/null
eval "$("$script" env "$c")"
export XDG_STATE_HOME=$work/state
server() { echo "127.0.0.1:$(cat "$1/port")"; }
A=$(server "$a") B=$(server "$b") C=$(server "$c")

"$qvctl" --server "$A" --printer QV640_S1 set paper 58
"$qvctl" --server "$A" --printer QV640_S1 length 152
cupsdisable -h "$A" QV650_S1
lp -h "$B" -d QV640_S2 -H indefinite -o raw -t stuck <<<'stuck' >/dev/null
cupsreject -h "$C" Office_Laser

status=0
"$qvctl" --json --server "$A" --server "$B" --server "$C" --printer 'QV6*' --printer Office_Laser status \
  >"$work/report.json" 2>"$work/err" || status=$?
[ "$status" = 1 ] || fail "status gave exit $status: $(cat "$work/report.json" "$work/err")"
rows=$(python3 -c '
import json, sys
d = json.load(open(sys.argv[1]))
for r in d["printers"]:
    o = r.get("output") or {}
    q = o.get("queue", {})
    print(r["printer"], r["result"], q.get("state"), q.get("accepting"), q.get("waiting"), q.get("held"),
          o.get("paper"), "|".join(o.get("problems", [])))' "$work/report.json" | sed "s/ True / true /; s/ False / false /")
expected="QV640_S1 ok idle true 0 0 paper 58 mm 
QV650_S1 failed stopped true 0 0 None the queue is stopped
QV640_S2 failed idle true 1 1 None 1 job is held
QV640_S3 ok idle true 0 0 None 
Office_Laser failed idle false 0 0 None the queue rejects new jobs"
[ "$rows" = "$expected" ] || fail "rows:
$rows
expected:
$expected"
# The text row of the printer that was sent documents: its last document and the implied ticket.
row=$("$qvctl" --server "$A" --printer QV640_S1 status)
[[ $row == "  QV640_S1  idle  0 waiting  last sent "*" (length)  paper 58 mm, ticket length 151.900 to 152.074 mm, black mark unknown" ]] ||
  fail "QV640_S1's row: $row"
echo "status: a stopped queue, a held job and a rejecting queue stand out on three servers"
