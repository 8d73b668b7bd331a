#!/usr/bin/env bash
# The Windows installer: its tables (the files in Program Files\qvset, the Start-menu shortcut with its
# icon and Chinese name, the per-machine install, the fixed upgrade code and the upgrade rows, the code
# page of its Chinese texts), then, in the Wine prefix of WINEPREFIX, a silent install, qvctl.exe run
# from the install folder, the uninstall entry, and a silent uninstall that leaves nothing behind.
#   tests/packaging/test-msi.sh MSI VERSION    (with WINEPREFIX set: also installs under Wine)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=check.sh
. "$here/check.sh"

msi=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
version=$2
# msiinfo export writes a table's binary streams (the icon) into a folder of the current one.
work=$(mktemp -d "${TMPDIR:-/tmp}/qvset-msi.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
# A newer MSI replaces an older one only while this code stays the same: it must never change.
upgrade_code='{3C4D0E63-3CE3-4BBF-9F27-93E1EF7F4F21}'
shortcut_name='QV6 打印机设置'

# table NAME: the rows of one table, tab-separated, without its three header lines.
table() { msiinfo export "$msi" "$1" | tail -n +4 | tr -d '\r'; }
# property NAME: one value of the Property table.
property() { table Property | awk -F'\t' -v name="$1" '$1 == name { print $2 }'; }

echo "== the installer: $(basename "$msi")"
check "file name: qvset-VERSION-win64.msi" equals "qvset-$version-win64.msi" "$(basename "$msi")"
check "a 64-bit package" equals "x64;1033" "$(msiinfo suminfo "$msi" | sed -n 's/^Template: //p')"
check "the files, in INSTALLDIR" equals "$(printf 'README.txt\nqvctl.exe\nqvset.exe')" \
  "$(table File | cut -f3 | sort)"
check "INSTALLDIR is qvset in the 64-bit Program Files" \
  equals "$(printf 'INSTALLDIR\tProgramFiles64Folder\tqvset')" "$(table Directory | grep '^INSTALLDIR	')"
check "every component is a 64-bit one in INSTALLDIR" \
  equals "$(printf 'INSTALLDIR\t256\nINSTALLDIR\t256\nINSTALLDIR\t256')" "$(table Component | cut -f3,4)"
check "per-machine (ALLUSERS=1)" equals 1 "$(property ALLUSERS)"
check "the upgrade code never changes" equals "$upgrade_code" "$(property UpgradeCode)"
check "product version and publisher of the uninstall entry" \
  equals "$version/qvset developers/qvset $version" "$(property ProductVersion)/$(property Manufacturer)/$(property ProductName)"
check "the uninstall entry shows the icon" equals qvset.ico "$(property ARPPRODUCTICON)"
check "an older version is found and removed; a newer one refuses the downgrade" \
  equals "$(printf '%s\t\t%s\t\t1\t\tWIX_UPGRADE_DETECTED\n%s\t%s\t\t\t2\t\tWIX_DOWNGRADE_DETECTED' \
    "$upgrade_code" "$version" "$upgrade_code" "$version")" "$(table Upgrade)"
check "the old version is removed after the new one is validated" \
  grep -q $'^RemoveExistingProducts\t\t1401$' <(table InstallExecuteSequence)
check "the database's code page is GBK (936)" equals 936 "$(msiinfo export "$msi" _ForceCodepage | tr -d '\r' | sed -n 's/\t_ForceCodepage$//p')"
shortcut=$(table Shortcut)
check "the Start-menu shortcut: its Chinese name, the window, its icon" \
  equals "$(printf 'ProgramMenuFolder\tqvset|%s\tqvset\tqvset.ico' "$shortcut_name")" "$(cut -f2,3,4,9 <<<"$shortcut")"
check "the shortcut's Chinese description" equals "设置和测试 QV6 热敏票据打印机" "$(cut -f7 <<<"$shortcut")"
check "the icon is in the package" equals "qvset.ico/00000100" \
  "$(table Icon | cut -f1)/$(head -c 4 "Icon/Icon.qvset.ico" 2>/dev/null | od -An -tx1 | tr -d ' \n')"

if [ -n "${WINEPREFIX:-}" ]; then
  echo "== installed, run and uninstalled under Wine ($WINEPREFIX)"
  # No desktop menu entries for the Unix side of the prefix.
  export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}winemenubuilder.exe=d"
  folder="$WINEPREFIX/drive_c/Program Files/qvset"
  # start_menu_links: the shortcut wherever the Start menu's programs are (Windows puts a per-machine
  # shortcut in ProgramData, Wine in the user's own Start menu).
  start_menu_links() { find "$WINEPREFIX/drive_c" -path "*/Start Menu/Programs/$shortcut_name.lnk" 2>/dev/null; }
  key="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$(property ProductCode)"
  msi_windows=$(winepath -w "$msi" 2>/dev/null)
  status=0
  wine msiexec /i "$msi_windows" /qn >/dev/null 2>&1 || status=$?
  check "msiexec /i /qn succeeds" equals 0 "$status"
  check "the programs and README.txt in Program Files\\qvset" \
    equals "$(printf 'README.txt\nqvctl.exe\nqvset.exe')" "$(find "$folder" -mindepth 1 -printf '%f\n' 2>/dev/null | sort)"
  check "qvctl.exe --version from the install folder" \
    equals "qvctl $version" "$(wine 'C:\Program Files\qvset\qvctl.exe' --version 2>/dev/null | tr -d '\r')"
  check "the Start-menu shortcut $shortcut_name.lnk" test -n "$(start_menu_links)"
  entry=$(wine reg query "$key" 2>/dev/null | tr -d '\r')
  check "the uninstall entry: name, version, publisher" \
    contains "$entry" "qvset $version" "DisplayVersion    REG_SZ    $version" "Publisher    REG_SZ    qvset developers"
  status=0
  wine msiexec /x "$msi_windows" /qn >/dev/null 2>&1 || status=$?
  check "msiexec /x /qn succeeds" equals 0 "$status"
  check "nothing is left in Program Files" test ! -e "$folder"
  check "the shortcut is gone" equals "" "$(start_menu_links)"
  no_key() { ! wine reg query "$key" >/dev/null 2>&1; }
  check "the uninstall entry is gone" no_key
fi
finish
