#!/usr/bin/env bash
# bash completion for qvctl, with the qvctl it is given (first on PATH) and the printers of the CUPS
# server the environment names: tests/packaging/test-completion.sh BINDIR COMPLETION [PRINTER...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=check.sh
. "$here/check.sh"

bindir=$1
completion=$2
shift 2
printers=$(printf '%s\n' "$@" | sort | tr '\n' ' ')
printers=${printers% }
PATH=$bindir:$PATH
# shellcheck disable=SC1090 # the completion under test
. "$completion"

# offers WORDS...: what completing the last word offers, in the order offered.
offers() {
  COMP_WORDS=("$@")
  COMP_CWORD=$(($# - 1))
  _qvctl
  echo "${COMPREPLY[*]}"
}

commands=$(qvctl --help | sed -n '/^commands:/,/^$/s/^  \([a-z-]*\).*/\1/p' | sort -u | tr '\n' ' ')
check "first word: every command of the overview and help" \
  equals "${commands}help" "$(offers qvctl "")"
check "first word begun: the commands it begins" equals "text ticket tune" "$(offers qvctl t)"
check "global options" \
  equals "--server --printer --device --follow-baud --json --dry-run --help --version" "$(offers qvctl --)"
check "after --dry-run: the commands again" equals "text ticket tune" "$(offers qvctl --dry-run t)"
check "--dry-run does not end the options of a command" \
  equals "--fine --high --no-watch --pause --standard --help" "$(offers qvctl --dry-run tune all --)"
check "decode: its option" equals "--json --help" "$(offers qvctl decode --)"
check "ticket: its commands" equals "show apply plan new" "$(offers qvctl ticket "")"
check "ticket new: its options" equals "--baud" "$(offers qvctl ticket new t.txt --ba)"
check "an option's choices" equals "76 58" "$(offers qvctl ticket new t.txt --paper "")"
check "an option's choices after =" equals "on off" "$(offers qvctl ticket new t.txt --black-mark =)"
check "tune: single or all" equals "single all" "$(offers qvctl tune "")"
check "tune: options without --printer" \
  equals "--fine --high --no-watch --pause --standard --help" "$(offers qvctl tune single --)"
check "set: the items" \
  equals "black-mark threshold paper head edge start-position end-position baud" "$(offers qvctl set "")"
check "set: an item's choices" equals "standard quiet" "$(offers qvctl set head "")"
# sorted WORDS...: the words in sorted order, as one line.
sorted() { tr ' ' '\n' <<<"$1" | sort | tr '\n' ' ' | sed 's/ $//'; }
check "--printer: the server's printers" equals "$printers" "$(sorted "$(offers qvctl --printer "")")"
check "--printer=: the server's printers" equals "$printers" "$(sorted "$(offers qvctl --printer = "")")"
check "use: the server's printers" equals "$printers" "$(sorted "$(offers qvctl --printer=QV640_Virtual use "")")"
check "after --printer NAME: the commands again" \
  equals "pick pin-test printer-state printers" "$(offers qvctl --printer QV640_Virtual p)"
check "after --server HOST and --json: the commands again" \
  equals "pick pin-test printer-state printers" "$(offers qvctl --server host:631 --json p)"
check "--server: nothing offered" equals "" "$(offers qvctl --server "")"
# The devices of a devices file of the test's own.
devices_home=$(mktemp -d)
XDG_CONFIG_HOME=$devices_home qvctl device add shop-front socket://127.0.0.1:9100 >/dev/null
XDG_CONFIG_HOME=$devices_home qvctl device add back-office /dev/null >/dev/null
check "--device: the devices file's names" \
  equals "back-office shop-front" "$(sorted "$(XDG_CONFIG_HOME=$devices_home offers qvctl --device "")")"
check "after --device NAME and --follow-baud: the commands again" \
  equals "pick pin-test printer-state printers" "$(XDG_CONFIG_HOME=$devices_home offers qvctl --device shop-front --follow-baud p)"
check "device: its commands" equals "add remove list" "$(offers qvctl device "")"
rm -rf "$devices_home"
scratch=$(mktemp -d)
mkdir "$scratch/state-folder"
: >"$scratch/state-file"
check "decode: files and folders" equals "$scratch/state-file $scratch/state-folder" "$(sorted "$(offers qvctl decode "$scratch/state")")"
check "printer-state: folders only" equals "$scratch/state-folder" "$(offers qvctl printer-state "$scratch/state")"
rm -rf "$scratch"
finish
