#!/usr/bin/env bash
# The printer application's throughput: N small documents (default 200) sent one after another over
# IPP (one ipptool run) to a printer whose device is a file (file:///dev/null, so that no drawer runs
# beside it), as documents per second; then the time from one Print-Job to the end of its job
# (the job-state polled until completed), median of RUNS (default 21); then the service's resident
# memory with 50 printers; then, for comparison, the same N documents with `lp -o raw` to a capture
# queue of the private CUPS server (scripts/cups-sandbox), documents per second until the last is
# captured.
# usage: bench/run-printer-app-bench.sh BUILD_DIR [N [RUNS]]
set -euo pipefail
build=$(cd "$1" && pwd)
app=$build/src/service/qvset-printer-app
count=${2:-200}
runs=${3:-21}
work=$(mktemp -d)
server=""
here=$(cd "$(dirname "$0")/.." && pwd)
trap '[ -n "$server" ] && kill "$server" 2>/dev/null; "$here/scripts/cups-sandbox" stop "$work/cups" >/dev/null 2>&1 || true; sleep 0.5; rm -rf "$work" 2>/dev/null || true' EXIT
export SNAP_COMMON="$work/run" TMPDIR="$work/run" XDG_CONFIG_HOME="$work/run" ASAN_OPTIONS=detect_leaks=0
mkdir -p "$work/run" "$work/spool"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
"$app" server -o server-port="$port" -o spool-directory="$work/spool" -o log-level=debug -o log-file="${BENCH_LOG:-/dev/null}" >/dev/null 2>&1 &
server=$!
for _ in $(seq 100); do
  [ -S "$work/run/qvset-printer-app.sock" ] || [ -S "$work/run/qvset-printer-app$(id -u).sock" ] && break
  sleep 0.1
done
"$app" add -d bench -m qv640 -v file:///dev/null
uri="ipp://localhost:$port/ipp/print/bench"
printf '\033B\002ticket\n' >"$work/doc.prn"
job() {
  cat <<TEST
{ OPERATION Print-Job
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri \$uri
  ATTR name requesting-user-name \$user
  ATTR mimeMediaType document-format application/vnd.qvset.qv6
  FILE $work/doc.prn
  STATUS successful-ok }
TEST
}
: >"$work/many.test"
for _ in $(seq "$count"); do job >>"$work/many.test"; done
start=$(date +%s.%N)
ipptool -T 60 "$uri" "$work/many.test" >/dev/null
end=$(date +%s.%N)
python3 -c "print('%d documents taken over IPP in %.2f s: %.0f documents/s' % ($count, $end - $start, $count / ($end - $start)))"

{ job; cat <<'TEST'
{ OPERATION Get-Job-Attributes
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri $uri
  ATTR integer job-id $job-id
  ATTR name requesting-user-name $user
  STATUS successful-ok
  DELAY "0,0.002"
  EXPECT job-state WITH-VALUE 9 REPEAT-LIMIT 5000 REPEAT-NO-MATCH }
TEST
} >"$work/one.test"
times=()
for _ in $(seq "$runs"); do
  start=$(date +%s%N)
  ipptool -tv -T 60 "$uri" "$work/one.test" >"$work/one.out" 2>&1 || { cat "$work/one.test" "$work/one.out" >&2; exit 1; }
  times+=($(( ($(date +%s%N) - start) / 1000000 )))
done
printf '%s\n' "${times[@]}" | sort -n | awk -v n="$runs" 'NR == int((n + 1) / 2) { print "Print-Job to the job completed (polled): median " $1 " ms of " n }'

for i in $(seq 2 50); do "$app" add -d "bench$i" -m qv650 -v file:///dev/null >/dev/null; done
echo "resident memory with 50 printers: $(awk '/VmRSS/ { print $2 " kB" }' "/proc/$server/status")"

# The same documents through CUPS: lp -o raw to a capture queue, until its index lists them all.
chmod 755 "$work"  # its backends run as lp, which must reach the capture folder
"$here/scripts/cups-sandbox" start "$work/cups" CAPTURE >/dev/null
(
  eval "$("$here/scripts/cups-sandbox" env "$work/cups")"
  start=$(date +%s.%N)
  for _ in $(seq "$count"); do lp -d CAPTURE -o raw "$work/doc.prn" >/dev/null; done
  until [ "$(wc -l <"$work/cups/capture/CAPTURE/index")" -ge "$count" ]; do sleep 0.02; done
  end=$(date +%s.%N)
  python3 -c "print('%d documents with lp -o raw to a CUPS capture queue, all captured in %.2f s: %.0f documents/s' % ($count, $end - $start, $count / ($end - $start)))"
)
