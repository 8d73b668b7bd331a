#!/usr/bin/env bash
# 200 jobs sent at once to a virtual printer of the private server: every one is kept with its bytes,
# listing and picture, the index lists them in the order they were sent, and the state is the last
# one's; a drawer killed in the middle of the flood loses none of them.
#   virtual-printer-flood-test.sh SANDBOX-SCRIPT SANDBOX-DIR
set -euo pipefail
script=$1 sandbox=$2
jobs=200
fail() { echo "FAIL: $*" >&2; exit 1; }
work=$(mktemp -d "${TMPDIR:-/tmp}/qvset-flood.XXXXXX")
queue=QV640_Flood_$$
trap 'rm -rf "$work"; lpadmin -x "$queue" 2>/dev/null || true' EXIT
chmod 0755 "$work"
eval "$("$script" env "$sandbox")"
"$script" add-queue "$sandbox" "$queue" >/dev/null
folder=$sandbox/capture/$queue

# Job n turns the black mark on (ESC B 02) when n is odd, off (ESC B 03) when even, and says its number.
for n in $(seq 1 $jobs); do
  if [ $(( n % 2 )) -eq 1 ]; then mark=$'\002'; else mark=$'\003'; fi
  printf '\033B%s%s\n' "$mark" "$n" > "$work/$n"
  chmod 0644 "$work/$n"
done

# The drawers of this queue's folder: qvprinter-draw with the folder as its argument.
drawers() {
  local pid
  for pid in $(pgrep -x qvprinter-draw || true); do
    if tr '\0' '\n' < "/proc/$pid/cmdline" 2>/dev/null | grep -qxF "$folder"; then echo "$pid"; fi
  done
}

send() { lp -d "$queue" -o raw -t "F$1" "$work/$1" | sed -n 's/^request id is [^ ]*-\([0-9]*\) .*/\1/p'; }

: > "$work/ids"
killed=0
for n in $(seq 1 $jobs); do
  send "$n" >> "$work/ids"
  # In the middle of the flood, a drawer at work is killed outright.
  if [ "$n" -ge $(( jobs / 2 )) ] && [ $killed -eq 0 ]; then
    for pid in $(drawers); do kill -KILL "$pid" 2>/dev/null && killed=$(( killed + 1 )); done
  fi
done
[ "$(wc -l < "$work/ids")" -eq $jobs ] || fail "the spooler did not take every job"

# Drawn until every job is in the index, or nothing more is drawn for 20 seconds.
seen=-1 still=0
while [ $still -lt 100 ]; do
  count=$(wc -l < "$folder/index" 2>/dev/null || echo 0)
  [ "$count" -ge $jobs ] && break
  if [ "$count" -eq "$seen" ]; then still=$(( still + 1 )); else seen=$count still=0; fi
  sleep 0.2
done
lines=$(wc -l < "$folder/index")
[ "$lines" -eq $jobs ] || fail "$lines jobs of $jobs in the index (drawers killed: $killed); log: $(cat "$folder/qvprinter.log" 2>/dev/null)"
# The index lists the jobs in the order they were sent, each once, with its title.
n=0
while IFS=$'\t' read -r id title; do
  n=$(( n + 1 ))
  expected=$(sed -n "${n}p" "$work/ids")
  [ "$id" = "$expected" ] || fail "index line $n is job $id, sent as job $expected"
  [ "$title" = "F$n" ] || fail "job $id is titled $title, not F$n"
  cmp -s "$folder/$id.prn" "$work/$n" || fail "the bytes of job $id are not those sent"
  { [ -s "$folder/$id.txt" ] && [ -s "$folder/$id.png" ]; } || fail "job $id has no listing or picture"
  grep -q " text  *\"$n\"\$" "$folder/$id.txt" || fail "the listing of job $id is not its own"
done < "$folder/index"
last=$(tail -1 "$work/ids")
grep -A6 '"black-mark"' "$folder/state.json" | grep -q "\"job\": \"$last\"" || fail "the state is not the last job's"
grep -A6 '"black-mark"' "$folder/state.json" | grep -q '"choice": "off"' || fail "the black mark is not off, as the last job left it"
[ $killed -gt 0 ] || echo "note: no drawer was at work when the flood was half sent"
echo "$jobs jobs kept in order ($killed drawer(s) killed in the middle)"
