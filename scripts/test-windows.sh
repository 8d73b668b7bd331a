#!/usr/bin/env bash
# The Windows stage of ./test.sh: cross-builds the `win` preset with MinGW-w64 (qvctl.exe, qvset.exe and
# the test programs) and runs every test under Wine, the integration tests against a private CUPS server
# that Wine's winspool prints to, the window's on a private Xvfb display. Fails when the cross compiler,
# Wine, Xvfb, xdotool or the GoogleTest sources are missing; it never skips. Then it builds the MSI with
# wixl, checks its tables, and installs, runs and uninstalls it in the same Wine prefix.
set -euo pipefail
cd "$(dirname "$0")/.."

missing=0
for tool in x86_64-w64-mingw32-g++-posix wine Xvfb xdotool wixl msibuild msiinfo; do
  command -v "$tool" >/dev/null || { echo "test-windows: $tool is missing" >&2; missing=1; }
done
[ -f /usr/src/googletest/CMakeLists.txt ] || { echo "test-windows: /usr/src/googletest is missing" >&2; missing=1; }
if [ "$missing" = 1 ]; then
  echo "test-windows: install the Windows toolchain with scripts/install-deps.sh (as root)," >&2
  echo "or run ./test.sh --no-windows to leave this stage out" >&2
  exit 1
fi
wineserver_bin=$(command -v wineserver || echo /usr/lib/wine/wineserver)

cmake --preset win >/dev/null
cmake --build --preset win

# A private Wine prefix and CUPS server, both removed again however the tests end.
work=$(mktemp -d "${TMPDIR:-/tmp}/qvset-wine.XXXXXX")
sandbox=$PWD/build/win/cups-sandbox
xvfb_pid=
listen_pid=
socat_pid=
cleanup() {
  WINEPREFIX="$work/prefix" "$wineserver_bin" -k >/dev/null 2>&1 || true
  [ -z "$listen_pid" ] || kill "$listen_pid" 2>/dev/null || true
  [ -z "$socat_pid" ] || kill "$socat_pid" 2>/dev/null || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  scripts/cups-sandbox stop "$sandbox" >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

scripts/cups-sandbox start "$sandbox" QV640_Virtual Office_Laser QV650_Offline
# The sandbox's client environment moves HOME, so the prefix is named explicitly.
eval "$(scripts/cups-sandbox env "$sandbox")"
export QVSET_SANDBOX_DIR=$sandbox
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Wine reads command-line arguments in the Unix locale's character set; the tests pass Chinese ones
# in UTF-8, whatever locale the machine runs in.
export LC_ALL=C.UTF-8
# A display of its own for the window's tests: Xvfb picks a free display number and writes it to fd 3.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "test-windows: Xvfb did not start" >&2; exit 1; }
DISPLAY=":$(cat "$work/display")"
export DISPLAY
# A serial line for qvctl.exe's COM port: one end of a socat pseudo-terminal pair, named COM5 by Wine's
# Ports key when Wine's services start below; a printer reads the other end.
command -v socat >/dev/null || { echo "test-windows: socat is missing" >&2; exit 1; }
socat pty,raw,echo=0,link="$work/com-host" pty,raw,echo=0,link="$work/com-printer" 2>/dev/null &
socat_pid=$!
for _ in $(seq 1 100); do [ -e "$work/com-host" ] && [ -e "$work/com-printer" ] && break; sleep 0.05; done
com_pty=$(readlink -f "$work/com-host")
echo "creating the Wine prefix $WINEPREFIX (display $DISPLAY)"
wine wineboot --init >/dev/null 2>&1
# Wine has no 宋体 (SimSun), the Chinese system's dialog font: AR PL UMing, a Song face of the same
# build, stands in for it. The private display has no window manager: Wine draws the windows' title
# bars itself, so that a click through X on a close box reaches the window as on Windows.
cat >"$work/prefix.reg" <<REG
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"SimSun"="AR PL UMing CN"

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Decorated"="N"

[HKEY_LOCAL_MACHINE\Software\Wine\Ports]
"COM5"="$com_pty"
REG
wine regedit "$work/prefix.reg" >/dev/null 2>&1
"$wineserver_bin" -w
# One Wine server and one set of Wine's own processes (services, desktop) for all the test programs:
# without it each program waits about 3 s for them to start, and they stop again when it ends. They
# are started here with their output elsewhere: started by a test, they would hold its output open
# and ctest would wait for them forever. cleanup() stops them.
"$wineserver_bin" -p
wine cmd /c exit </dev/null >/dev/null 2>&1

ctest --preset win

# A Windows program printing to the virtual printer's raw port, as a Windows PC reaches a network
# printer: through a queue whose port is the printer's address (here CUPS' socket backend, which Wine's
# winspool prints to).
listen=
for candidate in build/release/src/decode/backend/qvprinter-listen build/dev/src/decode/backend/qvprinter-listen; do
  [ -n "$listen" ] || [ ! -x "$candidate" ] || listen=$candidate
done
[ -n "$listen" ] || { echo "test-windows: qvprinter-listen is not built (build/release or build/dev)" >&2; exit 1; }
mkdir -m 0755 "$work/listen"
"$listen" "$work/listen" --port 0 >"$work/listen.out" 2>&1 &
listen_pid=$!
for _ in $(seq 1 100); do [ -s "$work/listen.out" ] && break; sleep 0.05; done
listen_port=$(sed -n '1s/^qvprinter-listen: serving .* on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$work/listen.out")
[ -n "$listen_port" ] || { echo "test-windows: qvprinter-listen did not start: $(cat "$work/listen.out")" >&2; exit 1; }
lpadmin -p QV640_Socket -E -v "socket://127.0.0.1:$listen_port"
QVSET_RECORD=off wine build/win/src/cli/qvctl.exe --printer QV640_Socket set paper 76
for _ in $(seq 1 200); do [ -s "$work/listen/index" ] && break; sleep 0.05; done
socket_job=$(od -An -tx1 "$work/listen/1.prn" 2>/dev/null | tr -d ' \n' || true)
[ "$socket_job" = 1b4204 ] || { echo "test-windows: qvctl.exe through the socket queue gave '$socket_job'" >&2; exit 1; }
echo "qvctl.exe reached the virtual printer's raw port through a socket queue"
# And without a queue: the raw port and the COM port as devices.
tests/win/qvctl-exe-devices-test.sh build/win/src/cli/qvctl.exe "$work/listen" "$listen_port" COM5 \
  "$work/com-printer" "$work/com-host"
kill "$listen_pid" "$socat_pid"
listen_pid=
socat_pid=
# And through the printer application in front of a printer: its raw port, open to allowed clients only.
app=
for candidate in build/release/src/service/qvset-printer-app build/dev/src/service/qvset-printer-app; do
  [ -n "$app" ] || [ ! -x "$candidate" ] || app=$candidate
done
[ -n "$app" ] || { echo "test-windows: qvset-printer-app is not built (build/release or build/dev)" >&2; exit 1; }
tests/win/qvctl-exe-printer-app-test.sh build/win/src/cli/qvctl.exe "$app"

# The Windows installer: built with wixl, its tables checked, then installed, run and uninstalled in
# this stage's Wine prefix.
cmake --build --preset win --target msi
msi_version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/win/CMakeCache.txt)
tests/packaging/test-msi.sh "build/win/qvset-${msi_version}-win64.msi" "$msi_version"
