#!/usr/bin/env bash
# Installs what is missing, builds, and starts the utility.
# Until the window exists this shows qvctl working against a private CUPS server with two capture
# queues: the printer list, the start-up pick of the maker's printer, and the command overview.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target qvctl

sandbox="$PWD/build/run-sandbox"
scripts/cups-sandbox start "$sandbox" QV640_Virtual Office_Laser
eval "$(scripts/cups-sandbox env "$sandbox")"
qvctl=build/release/src/cli/qvctl
echo
echo "\$ qvctl printers"; "$qvctl" printers
echo "\$ qvctl pick";     "$qvctl" pick
echo "\$ qvctl printers"; "$qvctl" printers
echo "\$ qvctl --help";   "$qvctl" --help
echo
echo "The private CUPS server keeps running. To use it from this shell:"
echo "  eval \"\$(scripts/cups-sandbox env $sandbox)\"; $qvctl hex 1B 40"
echo "Captured documents land in $sandbox/capture/<queue>/. Stop it with: scripts/cups-sandbox stop $sandbox"
