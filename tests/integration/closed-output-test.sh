#!/usr/bin/env bash
# qvctl's output to a reader that has gone ends quietly with 141, the status of a writer that SIGPIPE
# ended, also where SIGPIPE is ignored (as under many supervisors); output that cannot be written for
# another reason (a full disk) still fails with its message and 1.
#   closed-output-test.sh QVCTL
set -euo pipefail
qvctl=$(realpath "$1")
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
work=$(mktemp -d /tmp/qvset-closed-output.XXXXXX)
trap 'rm -rf "$work"' EXIT
export HOME=$work
# 400000 one-byte commands, CR and LF in turn: a listing far larger than a pipe holds.
{ yes $'\r' || true; } | head -c 400000 >"$work/long.prn"
for ignored in yes no; do
  status=0
  if [ "$ignored" = yes ]; then
    (trap '' PIPE; "$qvctl" decode "$work/long.prn" 2>"$work/err" | head -1 >/dev/null; exit "${PIPESTATUS[0]}") || status=$?
  else
    ("$qvctl" decode "$work/long.prn" 2>"$work/err" | head -1 >/dev/null; exit "${PIPESTATUS[0]}") || status=$?
  fi
  [ "$status" = 141 ] || fail "SIGPIPE ignored: $ignored: exit $status, not 141: $(cat "$work/err")"
  [ ! -s "$work/err" ] || fail "SIGPIPE ignored: $ignored: it said: $(cat "$work/err")"
done
status=0
"$qvctl" decode "$work/long.prn" >/dev/full 2>"$work/err" || status=$?
[ "$status" = 1 ] || fail "a full disk gave exit $status, not 1"
grep -q '输出无法写入' "$work/err" || fail "a full disk was not said: $(cat "$work/err")"
echo "a closed pipe ends quietly with 141 (SIGPIPE ignored or not); a full disk fails with 1"
