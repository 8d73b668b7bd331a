#!/usr/bin/env bash
# The private server's virtual printer as a local user who is not root would attack it: its folder is
# closed to others, its backend runs as lp, and links planted by another user are never followed, so a
# file only root may write stays untouched. Run as root (as ./test.sh runs it); skipped otherwise.
#   virtual-printer-owner-test.sh SANDBOX-SCRIPT SANDBOX-DIR QVPRINTER
set -euo pipefail
script=$1 sandbox=$2 backend=$3
[ "$(id -u)" -eq 0 ] || { echo "needs root to act as other users; skipped"; exit 77; }
fail() { echo "FAIL: $*" >&2; exit 1; }
as() { local user=$1; shift; setpriv --reuid="$user" --regid="$user" --clear-groups -- "$@"; }

work=$(mktemp -d /tmp/qvset-owner.XXXXXX)
queue=QV640_Owner_$$
trap 'rm -rf "$work"; lpadmin -x "$queue" 2>/dev/null || true' EXIT
chmod 0700 "$work"
echo precious > "$work/target"   # only root may write it
chmod 0600 "$work/target"
eval "$("$script" env "$sandbox")"

# Through the private server: the queue's folder belongs to lp and no one else may write in it.
"$script" add-queue "$sandbox" "$queue" >/dev/null
folder=$sandbox/capture/$queue
[ "$(stat -c %U "$folder")" = lp ] ||
  { echo "lp cannot reach $sandbox, so its backends run as root there; skipped"; exit 77; }
# The backend's own user plants a link at the state file; root's file stays as it was.
as lp ln -s "$work/target" "$folder/state.json"
printf '\033B\002' > "$work/job"
chmod 0644 "$work/job"
lp -d "$queue" -o raw "$work/job" >/dev/null
for _ in $(seq 1 150); do [ -s "$folder/index" ] && break; sleep 0.1; done
[ -s "$folder/index" ] || fail "the job was not drawn: $(cat "$folder/qvprinter.log" 2>/dev/null)"
[ "$(cat "$work/target")" = precious ] || fail "a link planted in the folder was followed"
job=$(cut -f1 "$folder/index")
[ "$(stat -c %U "$folder/$job.png")" = lp ] || fail "the backend did not run as lp"

# The backend run as root (as cupsd runs a backend others may not execute), on a folder of lp's in
# which lp planted links at every name a job writes: none is followed, no file lands outside.
mine=$work/printer
mkdir "$mine" && chown lp: "$mine" && chmod 0755 "$mine" && chmod 0711 "$work"
for name in 7.prn 7.txt 7.png state.json index .pending .drawing .drawn qvprinter.log; do
  as lp ln -s "$work/target" "$mine/$name"
done
for id in 7 ../escaped; do
  QVSET_QVPRINTER_FOREGROUND=1 DEVICE_URI="qvprinter:$mine" timeout 20 "$backend" "$id" u T 1 '' "$work/job" \
    2>>"$work/errors" || true
done
[ "$(cat "$work/target")" = precious ] || fail "the backend as root followed a link lp planted"
[ ! -e "$work/escaped.prn" ] || fail "a job id that is a path wrote outside the folder"
grep -q 'is not a job number' "$work/errors" || fail "no reason given for ../escaped: $(cat "$work/errors")"
echo "the virtual printer's folder is closed to others and no planted link is followed"
