#!/usr/bin/env bash
# The Debian package as a user gets it: unpacked with dpkg-deb -x into a throw-away root, its programs
# run from there (against a private CUPS server), its man pages rendered, its desktop entry validated,
# its completion tried, and lintian run on it.
#   tests/packaging/test-deb.sh PACKAGE.deb
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
# shellcheck source=check.sh
. "$here/check.sh"

deb=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
version=$(dpkg-deb -f "$deb" Version)
work=$(mktemp -d "${TMPDIR:-/tmp}/qvset-deb.XXXXXX")
chmod 0755 "$work"  # the private server's backends run as lp, which must reach it
sandbox=$work/cups
cleanup() {
  "$repo/scripts/cups-sandbox" stop "$sandbox" >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
root=$work/root
dpkg-deb -x "$deb" "$root"
bin=$root/usr/bin
share=$root/usr/share

echo "== the package: $(basename "$deb")"
check "file name: qvset_VERSION_ARCH.deb" equals "qvset_${version}_$(dpkg --print-architecture).deb" "$(basename "$deb")"
depends=$(dpkg-deb -f "$deb" Depends)
check "dependencies from shlibdeps: libcups2 and Qt Widgets" \
  contains "$depends" libcups2 libqt6widgets6 qt6-qpa-plugins
description=$(dpkg-deb -f "$deb" Description)
check "description in English and Chinese" \
  contains "$description" "thermal ticket printer" "热敏票据打印机"
# Lintian's notes are shown; an error or a warning fails (a warning kept on purpose gets an override).
run_lintian() {
  local status=0
  lintian --fail-on error,warning "$deb" >"$work/lintian.txt" 2>&1 || status=$?
  grep -v 'root privileges' "$work/lintian.txt" | sed 's/^/  lintian: /'
  return "$status"
}
check "lintian reports no error and no warning" run_lintian
maintainer=$(dpkg-deb -f "$deb" Maintainer)
check "the changelog's last entry is the package's version, signed by its maintainer" \
  contains "$(zcat "$root/usr/share/doc/qvset/changelog.gz")" "qvset ($version)" " -- $maintainer  "

echo "== the programs, run from the unpacked root"
check "qvctl --version" equals "qvctl $version" "$("$bin/qvctl" --version)"
help_status=0
help=$("$bin/qvctl" --help) || help_status=$?
check "qvctl --help exits 0" equals 0 "$help_status"
check "qvctl --help starts with the usage" equals "usage: qvctl [--server HOST[:PORT]]... [--printer NAME|PATTERN]... [--json] [--dry-run]" "$(head -1 <<<"$help")"
check "qvset --version" equals "qvset $version" "$("$bin/qvset" --version)"
shot=$work/qvset.png
"$bin/qvset" --screenshot "$shot" >"$work/qvset.log" 2>&1 || cat "$work/qvset.log"
check "qvset --screenshot writes a PNG" equals "89504e470d0a1a0a" "$(head -c 8 "$shot" 2>/dev/null | od -An -tx1 | tr -d ' \n')"

backend=$root/usr/lib/cups/backend/qvprinter
check "the qvprinter backend is where CUPS looks, run as lp (mode 755)" \
  equals 755 "$(stat -c %a "$backend" 2>/dev/null)"
check "its drawer lies in lib/qvset, outside the backend folder" \
  equals 755 "$(stat -c %a "$root/usr/lib/qvset/qvprinter-draw" 2>/dev/null)"
# QV640_Virtual is a virtual printer with the package's own backend.
"$repo/scripts/cups-sandbox" start "$sandbox" --qvprinter "$backend" QV640_Virtual Office_Laser >/dev/null
eval "$("$repo/scripts/cups-sandbox" env "$sandbox")"
# job_hex QUEUE COUNT: the bytes of the COUNT-th captured job of QUEUE as hex, once it has arrived.
job_hex() {
  local index=$sandbox/capture/$1/index tries=0
  while [ "$(wc -l <"$index" 2>/dev/null || echo 0)" -lt "$2" ] && [ $tries -lt 100 ]; do
    sleep 0.1
    tries=$((tries + 1))
  done
  local id
  id=$(sed -n "${2}p" "$index" | cut -f1)
  [ -n "$id" ] && od -An -tx1 "$sandbox/capture/$1/$id.prn" | tr -d ' \n'
}
"$bin/qvctl" --printer=QV640_Virtual hex 1B 40
check "qvctl --printer=NAME hex sends through CUPS" equals "1b40" "$(job_hex QV640_Virtual 1)"

# The program's folder is /usr/bin here: file.prn comes from the user's qvset folder.
export XDG_DATA_HOME=$work/data
missing_status=0
missing=$("$bin/qvctl" --printer QV640_Virtual file 2>&1) || missing_status=$?
check "no file.prn: exit 2" equals 2 "$missing_status"
check "no file.prn: the message names both places" \
  equals "找不到打印文件 $bin/file.prn 或 $XDG_DATA_HOME/qvset/file.prn，或文件为空" "$missing"
mkdir -p "$XDG_DATA_HOME/qvset"
printf '\x1b\x40\x0c' >"$XDG_DATA_HOME/qvset/file.prn"
"$bin/qvctl" --printer QV640_Virtual file
check "file.prn from the user's qvset folder" equals "1b400c" "$(job_hex QV640_Virtual 2)"
"$bin/qvctl" --printer QV640_Virtual set paper 58
job_hex QV640_Virtual 3 >/dev/null
check "the packaged backend writes the job's listing" \
  grep -q "ESC B 05 .*paper 58 mm" "$sandbox/capture/QV640_Virtual/3.txt"
check "the packaged backend draws the job's picture" \
  equals "89504e470d0a1a0a" "$(head -c 8 "$sandbox/capture/QV640_Virtual/3.png" 2>/dev/null | od -An -tx1 | tr -d ' \n')"
check "qvctl printer-state shows what the packaged backend recorded" \
  contains "$("$bin/qvctl" printer-state "$sandbox/capture/QV640_Virtual")" "paper 58 mm" "(job 3)"

# The virtual printer on a raw port, from the package: the listener in bin finds its drawer in lib/qvset.
check "qvprinter-listen in /usr/bin and qvprinter-ipp beside the drawer (mode 755)" \
  equals "755/755" "$(stat -c %a "$bin/qvprinter-listen" 2>/dev/null)/$(stat -c %a "$root/usr/lib/qvset/qvprinter-ipp" 2>/dev/null)"
net=$work/net
mkdir -m 0755 "$net"
"$bin/qvprinter-listen" "$net" --port 0 >"$work/listen.out" 2>&1 &
listener=$!
for _ in $(seq 1 100); do [ -s "$work/listen.out" ] && break; sleep 0.05; done
port=$(head -1 "$work/listen.out" | sed -n 's/.*:\([0-9]*\)$/\1/p')
[ -z "$port" ] || printf '\033B\005' >"/dev/tcp/127.0.0.1/$port"
for _ in $(seq 1 100); do [ -s "$net/index" ] && break; sleep 0.05; done
kill "$listener" 2>/dev/null || true
check "the packaged qvprinter-listen takes a job on its port and draws it" \
  grep -q "ESC B 05 .*paper 58 mm" "$net/1.txt"

# The printer application from the package, with the virtual printer's drawer in lib/qvset: its ipptool
# suite against the packaged program, and its man page and systemd unit in place.
printer_app_suite() { "$repo/tests/service/printer-app-test.sh" "$bin/qvset-printer-app" >"$work/printer-app.log" 2>&1 || { tail -20 "$work/printer-app.log"; return 1; }; }
check "the packaged qvset-printer-app passes its ipptool suite" printer_app_suite
check "qvset-printer-app's man page and systemd unit are in place" test -f "$root/usr/share/man/man1/qvset-printer-app.1.gz" -a -f "$root/usr/lib/systemd/system/qvset-printer-app.service"

echo "== desktop entry, icons, man pages, completion"
check "desktop-file-validate" desktop-file-validate "$share/applications/qvset.desktop"
# png_size FILE: WIDTHxHEIGHT from the PNG header.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{print $3*256+$4 "x" $7*256+$8}'; }
for size in 48 256; do
  check "hicolor icon ${size}x${size}" equals "${size}x${size}" "$(png_size "$share/icons/hicolor/${size}x${size}/apps/qvset.png")"
done
check "hicolor scalable icon" test -s "$share/icons/hicolor/scalable/apps/qvset.svg"
for program in qvctl qvset; do
  page=$share/man/man1/$program.1.gz
  LC_ALL=C.UTF-8 MANWIDTH=100 man --warnings -l "$page" 2>"$work/$program.err" | col -b >"$work/$program.txt"
  check "man -l $program.1 renders without a warning" equals "" "$(cat "$work/$program.err")"
  check "man -l $program.1 has its name line" grep -q "^       $program - " "$work/$program.txt"
done
# Every command of the overview has its own part in the COMMANDS section of qvctl.1.
listed=$(sed -n '/^commands:/,/^$/s/^  \([^ ][^ ]*\( [^ ][^ ]*\)*\)   .*/\1/p' <<<"$help")
in_page=$(sed -n '/^COMMANDS$/,/^[A-Z]/s/^   \([a-z].*\)$/\1/p' "$work/qvctl.txt")
check "qvctl.1 explains every command" equals "$listed" "$in_page"
check "qvctl.1 says where file.prn is looked for" grep -q "local/share/qvset" "$work/qvctl.txt"
check "qvset.1 lists --screenshot" grep -q -- "--screenshot" "$work/qvset.txt"
LC_ALL=C.UTF-8 MANWIDTH=100 man --warnings -l "$share/man/man1/qvprinter.1.gz" 2>"$work/qvprinter.err" | col -b >"$work/qvprinter.txt"
check "man -l qvprinter.1 renders without a warning" equals "" "$(cat "$work/qvprinter.err")"
check "qvprinter.1 names the three ways in" \
  grep -Eq "^[[:space:]]+qvprinter,[[:space:]]+qvprinter-listen,[[:space:]]+qvprinter-ipp[[:space:]]+-[[:space:]]" "$work/qvprinter.txt"
check "qvprinter-listen.1 is the same page" equals qvprinter.1.gz "$(readlink "$share/man/man1/qvprinter-listen.1.gz")"
metainfo=$share/metainfo/org.example.qvset.metainfo.xml
# appstream CHECK ARGS...: appstreamcli quiet when it passes, its report when it does not.
appstream() { appstreamcli "$@" >"$work/appstream.txt" 2>&1 || { sed 's/^/  /' "$work/appstream.txt"; return 1; }; }
check "appstreamcli validate: the AppStream entry" appstream validate --no-net --pedantic "$metainfo"
check "the AppStream entry names the launcher entry and the package's release" \
  contains "$(cat "$metainfo" 2>/dev/null)" "<launchable type=\"desktop-id\">qvset.desktop</launchable>" \
  "<release version=\"$version\""
check "appstreamcli validate-tree: the entry and its launcher entry as installed" appstream validate-tree --no-net "$root"
"$here/test-completion.sh" "$bin" "$share/bash-completion/completions/qvctl" QV640_Virtual Office_Laser \
  | sed 's/^\([0-9]* passed\)/completion: \1/' | tee "$work/completion.txt"
check "bash completion" grep -q "^completion: [0-9]* passed, 0 failed$" "$work/completion.txt"
finish
