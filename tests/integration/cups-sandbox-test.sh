#!/usr/bin/env bash
# The sandbox script refuses a folder it did not make: nothing in it is removed, and nothing starts.
set -euo pipefail
script=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/qvset-sandbox-check.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# A folder of someone else's with the names the sandbox clears.
mkdir -p "$work/theirs/etc" "$work/theirs/bin" "$work/theirs/home"
echo keep > "$work/theirs/etc/passwd"
status=0
"$script" start "$work/theirs" QV640_Virtual >"$work/out" 2>&1 || status=$?
[ "$status" -eq 2 ] || fail "start in a foreign folder exited $status"
grep -q 'not made by cups-sandbox' "$work/out" || fail "no reason given: $(cat "$work/out")"
[ "$(cat "$work/theirs/etc/passwd")" = keep ] || fail "a file of the foreign folder was removed"
{ [ -d "$work/theirs/bin" ] && [ -d "$work/theirs/home" ]; } || fail "a folder of the foreign folder was removed"
[ ! -e "$work/theirs/cupsd.pid" ] || fail "a server was started"

# A file is not a folder; stop leaves a foreign folder alone.
touch "$work/file"
status=0
"$script" start "$work/file" >/dev/null 2>&1 || status=$?
[ "$status" -eq 2 ] || fail "start on a file exited $status"
echo 1 > "$work/theirs/cupsd.pid"
"$script" stop "$work/theirs"
[ -f "$work/theirs/cupsd.pid" ] || fail "stop touched a foreign folder"
echo "cups-sandbox refuses foreign folders"
