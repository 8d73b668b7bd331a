#!/usr/bin/env bash
# Installs what is missing, builds, and starts the window, qvset.
# With a printer whose name begins with "QV6" in this machine's CUPS, qvset works against that CUPS.
# Otherwise a private CUPS server is started with the virtual QV6 printer QV640_Virtual (the qvprinter
# backend: each job's bytes, listing and picture, and the printer's state) and a capture queue,
# Office_Laser, and qvset is pointed at it: every document it sends lands in a file there.
# Without a display the window cannot open: this says so, lists the printers and exits.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake --preset release >/dev/null
# Every program the README uses: the command line, the window, the virtual printer's CUPS backend (with
# its drawer), its raw port and its IPP command, and the printer application.
cmake --build --preset release --target qvctl qvset qvprinter qvprinter-listen qvprinter-ipp qvset-printer-app

# One folder that holds them all, to put on PATH.
bin=$PWD/build/run-bin
mkdir -p "$bin"
for program in src/cli/qvctl src/app/qvset src/decode/backend/qvprinter-listen src/decode/backend/qvprinter-ipp \
  src/service/qvset-printer-app; do
  ln -sfn "$PWD/build/release/$program" "$bin/${program##*/}"
done
qvctl=$bin/qvctl
qvset=$bin/qvset
on_path() {
  echo "The programs are in $bin; to type qvctl, qvset, qvprinter-listen, qvprinter-ipp and"
  echo "qvset-printer-app as the README does, put that folder on PATH (or install them:"
  echo "cmake --install build/release --prefix ~/.local):"
  echo "  export PATH=\"$bin:\$PATH\""
}
sandbox=""
if command -v lpstat >/dev/null && lpstat -e 2>/dev/null | grep -q '^QV6'; then
  echo "This machine's CUPS has a QV6 printer: qvset works against it."
else
  sandbox="$PWD/build/run-sandbox"
  # The private server gives its clients their own HOME; keep the X authority cookie reachable.
  [ -n "${XAUTHORITY:-}" ] || { [ -f "$HOME/.Xauthority" ] && export XAUTHORITY="$HOME/.Xauthority"; } || true
  scripts/cups-sandbox start "$sandbox" --qvprinter build/release/src/decode/backend/qvprinter QV640_Virtual Office_Laser
  eval "$(scripts/cups-sandbox env "$sandbox")"
  virtual=$sandbox/capture/QV640_Virtual
  echo "No printer whose name begins with QV6 here: qvset works against a private CUPS server."
  echo "Captured documents land in $sandbox/capture/<queue>/<job-id>.prn (index: $sandbox/capture/<queue>/index)."
  echo "QV640_Virtual is a virtual QV6 printer: for each job it also writes the decoded listing"
  echo "$virtual/<job-id>.txt and the picture $virtual/<job-id>.png, and keeps the printer's"
  echo "state in $virtual/state.json ($qvctl printer-state shows it)."
  # The QV6 printer application beside it, with a virtual QV640 behind it (scripts/printer-app-sandbox).
  scripts/printer-app-sandbox start "$sandbox/printer-app"
  echo "The QV6 printer application serves a virtual QV640 at $(cat "$sandbox/printer-app/uri")"
  echo "(its jobs in $sandbox/printer-app/printer; stop it with: scripts/printer-app-sandbox stop $sandbox/printer-app)."
fi
echo
echo "\$ qvctl printers"; "$qvctl" printers
echo

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display (DISPLAY and WAYLAND_DISPLAY are empty), so the window cannot open here."
  echo "Run it on a virtual display instead:"
  [ -n "$sandbox" ] && echo "  eval \"\$(scripts/cups-sandbox env $sandbox)\""
  echo "  xvfb-run -a $qvset"
  echo "or render the window to a picture: $qvset --screenshot qvset.png [--form 1|2|3]"
  [ -n "$sandbox" ] && echo "Stop the private CUPS server with: scripts/cups-sandbox stop $sandbox"
  on_path
  exit 0
fi

echo "\$ qvset"
status=0
"$qvset" || status=$?
if [ -n "$sandbox" ]; then
  echo "The private CUPS server keeps running; the documents qvset sent are in $sandbox/capture/"
  echo "(until the next ./run.sh, which starts the server afresh)."
  echo "QV640_Virtual's pictures (<job-id>.png) and state (state.json) are in $virtual/."
  echo "Stop it with: scripts/cups-sandbox stop $sandbox"
  echo "Point a shell at it with: eval \"\$(scripts/cups-sandbox env $sandbox)\""
fi
on_path
exit "$status"
