#!/usr/bin/env bash
# Runs the channel benchmark against a private CUPS server of its own.
# usage: bench/run-channel-bench.sh BUILD_DIR [N [RUNS]]
# Then the pin test as a whole command (RUNS runs, median), with the current printer set per user
# (lpoptions, as `qvctl use` writes it) and then only as the server's default, against the floor of one
# document through CupsSpooler.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
sandbox="$build/bench-sandbox"
trap '"$root/scripts/cups-sandbox" stop "$sandbox" >/dev/null 2>&1 || true' EXIT
"$root/scripts/cups-sandbox" start "$sandbox" --qvprinter "$build/src/decode/backend/qvprinter" QV640_Bench >/dev/null
eval "$("$root/scripts/cups-sandbox" env "$sandbox")"
# The queue holds its documents instead of printing them: the measurement is the hand-over to the
# spooler, without capture backends running beside it on the same cores.
cupsdisable QV640_Bench
"$build/bench/qvset_channel_bench" QV640_Bench "${2:-100}"
qvctl=$build/src/cli/qvctl
# Each row on an empty queue: a queue of thousands of held jobs slows the server down.
cancel -a -x QV640_Bench
"$qvctl" use QV640_Bench >/dev/null
"$build/bench/qvset_command_bench" "$qvctl" QV640_Bench "the user's default (lpoptions)" "${3:-21}" "$(cat "$sandbox/cupsd.pid")"
cancel -a -x QV640_Bench
rm -f "$HOME/.cups/lpoptions"
"${LPADMIN:-/usr/sbin/lpadmin}" -d QV640_Bench
"$build/bench/qvset_command_bench" "$qvctl" QV640_Bench "the server's default (no lpoptions)" "${3:-21}" "$(cat "$sandbox/cupsd.pid")"
