#!/usr/bin/env bash
# Two PCs and a third client on one printer of a running printer application: each PC (a qvctl with
# a state folder of its own) and ipptool send a setting; ticket plan from either PC then sees all
# three, and ticket apply --changed-only sends exactly the items that differ from the service's state.
# Usage: printer-app-pcs-test.sh PRINTER-APP QVCTL PORT WORK (the server of printer-app-test.sh).
set -euo pipefail

app=$1 qvctl=$2 port=$3 work=$4
here=$(cd "$(dirname "$0")" && pwd)
fail() { echo "FAIL: $*" >&2; exit 1; }

mkdir -p "$work/pcs/printer" "$work/pcs/pc1" "$work/pcs/pc2"
chmod 755 "$work/pcs/printer"
"$app" add -d pcs -m qv640 -v "qvprinter:$work/pcs/printer" || fail "add the printer of the PCs"
printer=$work/pcs/printer
prns() { find "$printer" -maxdepth 1 -name '*.prn' | wc -l; }
hex() { od -An -tx1 "$printer/$1.prn" | tr -d ' \n'; }
pc() {
  local home=$work/pcs/$1
  shift
  HOME="$home" XDG_STATE_HOME="$home/state" XDG_CONFIG_HOME="$home/config" \
    "$qvctl" --server "localhost:$port" --printer pcs "$@"
}

# PC 1 describes the ticket and applies it whole: black mark on, paper 58, length 120.
pc pc1 ticket new "$work/pcs/ticket" --black-mark on --paper 58 --length 120 || fail "ticket new"
pc pc1 ticket apply "$work/pcs/ticket" || fail "PC 1's ticket apply"
# PC 2 turns the black mark off; a third client sets the paper back to 76 over IPP.
pc pc2 set black-mark off || fail "PC 2's switch"
ipptool -t "ipp://localhost:$port/ipp/print/pcs" "$here/paper-76.test" || fail "the third client's paper"
[ "$(prns)" -eq 3 ] || fail "the printer got $(prns) documents, not 3"

# Either PC's plan sees PC 2's and the third client's changes, and PC 2 sees PC 1's length.
for who in pc1 pc2; do
  plan=$(pc "$who" --json ticket plan "$work/pcs/ticket") || fail "$who's ticket plan"
  reasons=$(python3 -c 'import json,sys; print(" ".join(i["reason"] for i in json.load(sys.stdin)["items"]))' <<<"$plan")
  [ "$reasons" = "differs differs same" ] || fail "$who's plan says \"$reasons\", not: black mark differs, paper differs, length same"
done

# --changed-only from PC 2 (whose own record knows only its black mark) sends the black mark and the
# paper, not the length PC 1 sent: one document, the two commands in item order.
pc pc2 ticket apply --changed-only "$work/pcs/ticket" || fail "PC 2's --changed-only"
[ "$(prns)" -eq 4 ] || fail "--changed-only sent $(($(prns) - 3)) documents, not 1"
[ "$(hex 4)" = "1b42021b4205" ] || fail "--changed-only sent $(hex 4), not black mark on and paper 58 (1B 42 02 1B 42 05)"
# Then nothing differs, from either PC.
for who in pc1 pc2; do
  pc "$who" ticket apply --changed-only "$work/pcs/ticket" || fail "$who's second --changed-only"
done
[ "$(prns)" -eq 4 ] || fail "a --changed-only with nothing changed sent a document"

# A device that takes nothing (a full disk): the job is aborted, not completed, so qvctl fails it, and
# the printer's state keeps none of it.
"$app" add -d full -m qv640 -v file:///dev/full || fail "add the printer on /dev/full"
status=0
HOME="$work/pcs/pc1" XDG_STATE_HOME="$work/pcs/pc1/state" "$qvctl" --server "localhost:$port" --printer full \
  set black-mark on 2>"$work/pcs/full.err" || status=$?
[ "$status" = 1 ] || fail "a document the device did not take gave exit $status: $(cat "$work/pcs/full.err")"
grep -q "was aborted by the printer application" "$work/pcs/full.err" ||
  fail "qvctl does not say the job was aborted: $(cat "$work/pcs/full.err")"
state=$(HOME="$work/pcs/pc1" XDG_STATE_HOME="$work/pcs/pc1/state" "$qvctl" --server "localhost:$port" --printer full \
  printer-state 2>&1) || true
if grep -q "black-mark.*on\|黑标设置.*打开" <<<"$state"; then fail "the state holds the black mark the device did not take: $state"; fi
echo "two PCs and a third client, a device that takes nothing: every test passed"
