#!/usr/bin/env bash
# qvctl.exe under Wine against the private CUPS server (QVSET_SANDBOX_DIR, CUPS_SERVER and WINEPREFIX
# as scripts/test-windows.sh sets them): the same commands and messages as on Linux.
#   qvctl-exe-test.sh PATH/TO/qvctl.exe
set -uo pipefail
qvctl=$1
: "${QVSET_SANDBOX_DIR:?run scripts/test-windows.sh: QVSET_SANDBOX_DIR is not set}"
failures=0
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT

check() {  # check DESCRIPTION EXPECTED ACTUAL
  if [ "$2" == "$3" ]; then
    echo "ok: $1"
  else
    echo "FAILED: $1"; echo "  expected: $2"; echo "  actual:   $3"; failures=$((failures + 1))
  fi
}
# Windows text-mode output ends its lines with CR LF; compared without the CR.
run() {
  local status=0
  wine "$qvctl" "$@" >"$out" 2>"$err" || status=$?
  sed -i 's/\r$//' "$out" "$err"
  return "$status"
}
jobs_of() { wc -l < "$QVSET_SANDBOX_DIR/capture/$1/index"; }
wait_for_jobs() {  # wait_for_jobs QUEUE COUNT
  for _ in $(seq 1 200); do [ "$(jobs_of "$1")" -ge "$2" ] && return; sleep 0.1; done
}
last_job_hex() {
  local id
  id=$(tail -n 1 "$QVSET_SANDBOX_DIR/capture/$1/index" | cut -f1)
  od -An -tx1 -v "$QVSET_SANDBOX_DIR/capture/$1/$id.prn" | tr -d ' \n'
}

run printers
check "printers: exit status" 0 $?
for queue in QV640_Virtual Office_Laser QV650_Offline; do
  check "printers lists $queue" 1 "$(grep -c "^[* ] $queue,$queue,CUPS:$queue\$" "$out")"
done

before=$(jobs_of QV640_Virtual)
run --printer QV640_Virtual text "打印A"
check "text: exit status" 0 $?
run --printer QV640_Virtual hex 1b 4A 15
check "hex: exit status" 0 $?
wait_for_jobs QV640_Virtual $((before + 2))
check "text and hex: two documents" $((before + 2)) "$(jobs_of QV640_Virtual)"
check "hex: the decoded bytes arrive" 1b4a15 "$(last_job_hex QV640_Virtual)"
check "documents are titled AAAAAA" "AAAAAA" "$(tail -n 2 "$QVSET_SANDBOX_DIR/capture/QV640_Virtual/index" | cut -f2 | sort -u)"
id=$(tail -n 2 "$QVSET_SANDBOX_DIR/capture/QV640_Virtual/index" | head -n 1 | cut -f1)
check "text: Chinese arguments arrive in GBK" b4f2d3a141 \
  "$(od -An -tx1 -v "$QVSET_SANDBOX_DIR/capture/QV640_Virtual/$id.prn" | tr -d ' \n')"

# "file" with no path sends file.prn from the folder that holds qvctl.exe, whatever the working folder.
folder=$(mktemp -d)
cp "$qvctl" "$folder/qvctl.exe"
printf '\x1b\x40\r\n\x00\xff' > "$folder/file.prn"
before=$(jobs_of QV640_Virtual)
(cd / && wine "$folder/qvctl.exe" --printer QV640_Virtual file >/dev/null 2>&1)
check "file: exit status" 0 $?
wait_for_jobs QV640_Virtual $((before + 1))
check "file: file.prn beside qvctl.exe arrives unchanged" 1b400d0a00ff "$(last_job_hex QV640_Virtual)"
rm -rf "$folder"

run --printer No_Such_Printer hex 0C
check "missing printer: exit status" 1 $?
check "missing printer: the message on stderr" "The Printer Name you typed wasn't recognized." "$(cat "$err")"

run use No_Such_Printer
check "use of an unknown printer: exit status" 2 $?
check "use of an unknown printer: the message in UTF-8" "没有名为 No_Such_Printer 的打印机" "$(cat "$err")"

run hex 1G
check "bad hex: refused" 2 $?

# A print server by name, with a pattern: Wine serves its own machine's printers as \\HOST\NAME.
host=$(wine cmd /c 'echo %COMPUTERNAME%' 2>/dev/null | tr -d '\r')
before=$(jobs_of QV640_Virtual)
run --json --server "\\\\$host" --printer 'QV640*' hex 1B40
check "a print server by name: exit status" 0 $?
check "a print server by name: one row, the printer without the server's prefix" "\\\\$host QV640_Virtual ok 1" \
  "$(python3 -c 'import json,sys; print("\n".join("%s %s %s %d" % (r["server"], r["printer"], r["result"], r["documents"]) for r in json.load(sys.stdin)["printers"]))' <"$out")"
wait_for_jobs QV640_Virtual $((before + 1))
check "a print server by name: the document arrives" 1b40 "$(last_job_hex QV640_Virtual)"

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "all qvctl.exe checks passed"
