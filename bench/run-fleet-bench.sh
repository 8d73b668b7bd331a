#!/usr/bin/env bash
# The fleet benchmark: SERVERS private CUPS servers with QUEUES queues each (default 4 x 50); one
# description applied to all of them by one qvctl run, against the same applies one qvctl run per
# printer one after another, and against the slowest server served alone; then a second
# --changed-only run, which sends nothing.
# usage: bench/run-fleet-bench.sh BUILD_DIR [SERVERS] [QUEUES]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
servers=${2:-4} queues=${3:-50}
qvctl=$build/src/cli/qvctl
work=$(mktemp -d "${TMPDIR:-/tmp}/qvset-fleet-bench.XXXXXX")
cleanup() {
  for s in $(seq 1 "$servers"); do "$root/scripts/cups-sandbox" stop "$work/s$s" >/dev/null 2>&1 || true; done
  rm -rf "$work"
}
trap cleanup EXIT
chmod 0755 "$work"

# Capture queues (the measurement is qvctl and the servers, not a drawer beside them on the same cores),
# held so that no backend runs during the measurement either.
names=()
for q in $(seq -w 1 "$queues"); do names+=("Fleet_$q"); done
args=()
for s in $(seq 1 "$servers"); do
  "$root/scripts/cups-sandbox" start "$work/s$s" "${names[@]}" >/dev/null
  for name in "${names[@]}"; do cupsdisable -h "127.0.0.1:$(cat "$work/s$s/port")" "$name"; done
  args+=(--server "127.0.0.1:$(cat "$work/s$s/port")")
done
eval "$("$root/scripts/cups-sandbox" env "$work/s1")"
export XDG_STATE_HOME=$work/state
"$qvctl" ticket new "$work/ticket.txt" --black-mark on --paper 58 --length 100 2>/dev/null

now() { date +%s.%N; }
# The machine's busy processor time so far, in seconds (every process: qvctl and the servers alike).
busy() { awk -v hz="$(getconf CLK_TCK)" '/^cpu / { printf "%.2f", ($2 + $3 + $4 + $7 + $8) / hz }' /proc/stat; }
seconds() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", b - a }'; }
printers=$((servers * queues))

start=$(now)
for s in $(seq 1 "$servers"); do
  for name in "${names[@]}"; do
    "$qvctl" --server "127.0.0.1:$(cat "$work/s$s/port")" --printer "$name" ticket apply "$work/ticket.txt" 2>/dev/null
  done
done
one_by_one=$(seconds "$start" "$(now)")

slowest=0
slowest_busy=0
for s in $(seq 1 "$servers"); do
  start=$(now)
  cpu=$(busy)
  "$qvctl" --server "127.0.0.1:$(cat "$work/s$s/port")" --printer 'Fleet_*' ticket apply "$work/ticket.txt" >/dev/null
  took=$(seconds "$start" "$(now)")
  used=$(seconds "$cpu" "$(busy)")
  slowest_busy=$(awk -v a="$used" -v b="$slowest_busy" 'BEGIN { printf "%.2f", (a > b ? a : b) }')
  slowest=$(awk -v a="$took" -v b="$slowest" 'BEGIN { printf "%.2f", (a > b ? a : b) }')
done

start=$(now)
cpu=$(busy)
/usr/bin/time -f '%U %S' -o "$work/qvctl-time" "$qvctl" "${args[@]}" --printer 'Fleet_*' ticket apply "$work/ticket.txt" > "$work/report"
fleet=$(seconds "$start" "$(now)")
qvctl_busy=$(awk '{ printf "%.2f", $1 + $2 }' "$work/qvctl-time")
fleet_busy=$(seconds "$cpu" "$(busy)")
tail -1 "$work/report"

"$qvctl" "${args[@]}" --printer 'Fleet_*' ticket apply --changed-only "$work/ticket.txt" >/dev/null
start=$(now)
"$qvctl" "${args[@]}" --printer 'Fleet_*' ticket apply --changed-only "$work/ticket.txt" > "$work/report"
unchanged=$(seconds "$start" "$(now)")
tail -1 "$work/report"

echo "fleet of $printers printers on $servers servers:"
echo "  one qvctl per printer, one after another: ${one_by_one} s"
echo "  the slowest server alone:                 ${slowest} s (${slowest_busy} s of processor time, every process)"
echo "  all servers in one run:                   ${fleet} s ($(awk -v a="$fleet" -v b="$slowest" 'BEGIN { printf "%.2f", a / b }') x the slowest server; ${fleet_busy} s of processor time on $(nproc) processors, ${qvctl_busy} s of it qvctl's)"
echo "  a second --changed-only run (sends nothing): ${unchanged} s"
