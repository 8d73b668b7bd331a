#!/usr/bin/env bash
# The virtual printer over IPP: CUPS' sample IPP printer (ippeveprinter) runs qvprinter-ipp for each
# document; a job submitted with ipptool lands in the folder with its listing, picture, state and index
# line, numbered after the jobs the folder already holds. The printer announces raw printer commands
# (application/vnd.cups-raw); a document of unnamed type that is none of the types ippeveprinter
# recognises is refused. ippeveprinter needs a D-Bus system bus for its DNS-SD client: a private one.
#   virtual-printer-ipp-test.sh QVPRINTER-IPP
set -euo pipefail
command=$(realpath "$1")
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
for tool in ippeveprinter ipptool dbus-daemon; do
  command -v "$tool" >/dev/null || fail "$tool is missing: install cups-ipp-utils and dbus-daemon (scripts/install-deps.sh)"
done

work=$(mktemp -d /tmp/qvset-ipp.XXXXXX)
bus=''
printer=''
cleanup() {
  [ -z "$printer" ] || kill "$printer" 2>/dev/null || true
  [ -z "$bus" ] || kill "$bus" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
chmod 0755 "$work"
folder=$work/printer
mkdir -m 0755 "$folder" "$work/spool"
# A job the folder held before: the IPP printer's own job ids begin at 1 again, the folder's do not.
printf '\033@' >"$folder/41.prn"
printf '41\tearlier\n' >"$folder/index"

dbus-daemon --session --address="unix:path=$work/bus" --nofork --nopidfile >/dev/null 2>&1 &
bus=$!
for _ in $(seq 1 100); do [ -S "$work/bus" ] && break; sleep 0.02; done
port=
for candidate in $(shuf -i 20000-59999 -n 50); do
  (exec 3<>"/dev/tcp/127.0.0.1/$candidate") 2>/dev/null || { port=$candidate; break; }
done
[ -n "$port" ] || fail "no free port"
DBUS_SYSTEM_BUS_ADDRESS="unix:path=$work/bus" ippeveprinter -r off -p "$port" -n localhost -d "$work/spool" \
  -c "$command" -D "qvprinter:$folder" -f application/vnd.cups-raw -v "QV640 IPP" >"$work/log" 2>&1 &
printer=$!
uri=ipp://127.0.0.1:$port/ipp/print

cat >"$work/formats.test" <<'EOF'
{
  NAME "The formats it announces"
  OPERATION Get-Printer-Attributes
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri $uri
  ATTR keyword requested-attributes document-format-supported
  STATUS successful-ok
  EXPECT document-format-supported OF-TYPE mimeMediaType WITH-VALUE "application/vnd.cups-raw"
}
EOF
# print_test STATUS: a Print-Job of $filename as $format, named $name, that ends in STATUS.
print_test() {
  sed "s/@STATUS@/$1/" <<'EOF'
{
  NAME "Print-Job"
  OPERATION Print-Job
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri $uri
  ATTR name requesting-user-name qvset
  ATTR name job-name $name
  ATTR mimeMediaType document-format $format
  FILE $filename
  STATUS @STATUS@
}
EOF
}
print_test successful-ok >"$work/print.test"
print_test client-error-attributes-or-values-not-supported >"$work/refused.test"
for _ in $(seq 1 100); do
  ipptool -q "$uri" "$work/formats.test" 2>/dev/null && break
  kill -0 "$printer" 2>/dev/null || fail "ippeveprinter did not start: $(cat "$work/log")"
  sleep 0.05
done
ipptool -t "$uri" "$work/formats.test" >"$work/formats.out" 2>&1 ||
  fail "application/vnd.cups-raw is not announced: $(cat "$work/formats.out" "$work/log")"

printf '\033B\002\033B\005QV640\n' >"$work/ticket.prn"
ipptool -t -d format=application/vnd.cups-raw -d name="ticket 1" -f "$work/ticket.prn" "$uri" "$work/print.test" \
  >"$work/print.out" 2>&1 || fail "Print-Job failed: $(cat "$work/print.out")"
for _ in $(seq 1 200); do
  [ "$(wc -l 2>/dev/null <"$folder/index" || echo 0)" -ge 2 ] && break
  sleep 0.05
done
[ "$(cat "$folder/index")" = "$(printf '41\tearlier\n42\tticket 1')" ] ||
  fail "the job's index line: $(cat "$folder/index"; cat "$work/log")"
cmp -s "$work/ticket.prn" "$folder/42.prn" || fail "job 42's bytes differ from the document"
grep -q 'ESC B 02 .*black mark on' "$folder/42.txt" || fail "job 42's listing: $(cat "$folder/42.txt")"
[ "$(head -c 8 "$folder/42.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "job 42 has no picture"
grep -q '"job": "42"' "$folder/state.json" || fail "state.json does not name job 42: $(cat "$folder/state.json")"

# A document sent as application/octet-stream is typed by its first bytes, which a QV6 command stream
# does not match: refused, and nothing is added to the folder.
ipptool -t -d format=application/octet-stream -d name=untyped -f "$work/ticket.prn" "$uri" "$work/refused.test" \
  >"$work/untyped.out" 2>&1 ||
  fail "an untyped document was not refused as unsupported: $(cat "$work/untyped.out")"
[ "$(wc -l <"$folder/index")" -eq 2 ] || fail "the refused document became a job: $(cat "$folder/index")"
echo "ipptool's job was drawn as job 42 with its listing, picture, state and index line"
