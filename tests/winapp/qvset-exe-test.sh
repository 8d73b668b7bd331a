#!/usr/bin/env bash
# qvset.exe under Wine on the private X display and CUPS server that scripts/test-windows.sh starts
# (DISPLAY, QVSET_SANDBOX_DIR, CUPS_SERVER, WINEPREFIX): one file needing only system DLLs, a picture
# of each window, a real click through X on a button that delivers its document, and the preview's
# close box.
#   qvset-exe-test.sh PATH/TO/qvset.exe PATH/TO/qvset_probe.exe PICTURE_FOLDER
set -uo pipefail
qvset=$1 probe=$2 pictures=$3
: "${QVSET_SANDBOX_DIR:?run scripts/test-windows.sh: QVSET_SANDBOX_DIR is not set}"
: "${DISPLAY:?run scripts/test-windows.sh: DISPLAY is not set}"
failures=0
check() {  # check DESCRIPTION EXPECTED ACTUAL
  if [ "$2" == "$3" ]; then
    echo "ok: $1"
  else
    echo "FAILED: $1"; echo "  expected: $2"; echo "  actual:   $3"; failures=$((failures + 1))
  fi
}

# One file: every DLL it imports is the system's.
system_dlls='^(advapi32|comdlg32|gdi32|kernel32|msvcrt|ole32|shell32|user32|winspool\.drv|comctl32|uxtheme|windowscodecs|oleaut32|setupapi|ws2_32)(\.dll)?$'
imports=$(x86_64-w64-mingw32-objdump -p "$qvset" | sed -n 's/^\s*DLL Name: //p' | tr '[:upper:]' '[:lower:]')
check "qvset.exe imports only system DLLs" "" "$(grep -Ev "$system_dlls" <<<"$imports")"
check "qvset.exe imports user32" 1 "$(grep -c '^user32.dll$' <<<"$imports")"

# A picture of each window, left in the build folder for a person to look at.
mkdir -p "$pictures"
for form in 1 2 3; do
  picture="$pictures/qvset-win-form$form.png"
  rm -f "$picture"
  wine "$qvset" --screenshot "Z:$picture" --form "$form" >/dev/null 2>&1
  check "screenshot of form $form: exit status" 0 $?
  check "screenshot of form $form is a PNG" "89504e47" "$(od -An -tx1 -N4 "$picture" 2>/dev/null | tr -d ' ')"
  # Not blank: the window's ground, its captions and edges give many colours (a blank one has one).
  colours=$(python3 - "$picture" <<'PY'
import sys, zlib, struct
data = open(sys.argv[1], 'rb').read()
pos, idat, width, height, colour = 8, b'', 0, 0, 0
while pos < len(data):
    length, kind = struct.unpack('>I4s', data[pos:pos + 8])
    body = data[pos + 8:pos + 8 + length]
    if kind == b'IHDR': width, height, depth, colour = struct.unpack('>IIBB', body[:10])
    if kind == b'IDAT': idat += body
    pos += 12 + length
channels = {2: 3, 6: 4}[colour]
raw = zlib.decompress(idat)
stride = width * channels
seen = set(raw[y * (stride + 1) + 1 + x * channels:y * (stride + 1) + 1 + x * channels + 3]
           for y in range(0, height, 3) for x in range(0, width, 3))
print(len(seen))
PY
)
  [ "${colours:-0}" -ge 8 ] && colours=many
  check "screenshot of form $form is not blank" many "$colours"
done

# The options as qvset reads them: joined values, and --form only with --screenshot.
picture="$pictures/qvset-win-joined.png"
rm -f "$picture"
wine "$qvset" "--screenshot=Z:$picture" --form=3 >/dev/null 2>&1
check "--screenshot=FILE --form=3 writes a PNG" "0 89504e47" "$? $(od -An -tx1 -N4 "$picture" 2>/dev/null | tr -d ' ')"
rm -f "$picture"
refusal=$(timeout 20 wine "$qvset" --form 1 2>&1 >/dev/null | tr -d '\r')
check "--form 1 without --screenshot is refused" "qvset: --form goes with --screenshot" "$(head -n 1 <<<"$refusal")"
timeout 20 wine "$qvset" --form 1 >/dev/null 2>&1
check "--form 1 without --screenshot: exit status" 2 $?
check "--version names the program" "qvset " "$(wine "$qvset" --version 2>/dev/null | tr -d '\r' | cut -c1-6)"

# The preview started alone and closed by a real click on its close box: nothing is left on screen, so
# qvset.exe ends (it used to run on without a window).
wine "$qvset" --preview >/dev/null 2>&1 &
preview=$!
for _ in $(seq 1 100); do
  box=$(wine "$probe" closebox Form3 2>/dev/null | tr -d '\r') && [ -n "$box" ] && break
  sleep 0.2
done
check "qvset.exe --preview shows the preview" yes "$([ -n "${box:-}" ] && echo yes)"
if [ -n "${box:-}" ]; then
  read -r x y <<<"$box"
  xdotool mousemove "$x" "$y" click 1
fi
ended=no
for _ in $(seq 1 50); do
  kill -0 "$preview" 2>/dev/null || { ended=yes; break; }
  sleep 0.1
done
check "closing the preview started alone ends qvset.exe within 5 s" yes "$ended"
[ "$ended" = yes ] || kill "$preview" 2>/dev/null
wait "$preview"
status=$?
[ "$ended" = yes ] && check "qvset.exe --preview closed ends with status 0" 0 "$status"

# A real click: the main window on the X display, the pointer moved to 黑标设置/打开 (Command28) and
# pressed there; the document arrives in the capture queue.
jobs_of() { wc -l < "$QVSET_SANDBOX_DIR/capture/QV640_Virtual/index"; }
before=$(jobs_of)
wine "$qvset" >/dev/null 2>&1 &
for _ in $(seq 1 100); do
  where=$(wine "$probe" where Command28 2>/dev/null | tr -d '\r') && [ -n "$where" ] && break
  sleep 0.2
done
check "the main window shows Command28" yes "$([ -n "${where:-}" ] && echo yes)"
if [ -n "${where:-}" ]; then
  read -r x y <<<"$where"
  xdotool mousemove "$x" "$y" click 1
  for _ in $(seq 1 100); do [ "$(jobs_of)" -gt "$before" ] && break; sleep 0.1; done
  check "a click on Command28 delivers one document" $((before + 1)) "$(jobs_of)"
  id=$(tail -n 1 "$QVSET_SANDBOX_DIR/capture/QV640_Virtual/index" | cut -f1)
  check "the document is black mark on" 1b4202 "$(od -An -tx1 -v "$QVSET_SANDBOX_DIR/capture/QV640_Virtual/$id.prn" | tr -d ' \n')"
fi
wine "$probe" close >/dev/null 2>&1
wait

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "all qvset.exe checks passed"
