#!/usr/bin/env bash
# Runs the channel benchmark against a private CUPS server of its own.
# usage: bench/run-channel-bench.sh BUILD_DIR [N]
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
