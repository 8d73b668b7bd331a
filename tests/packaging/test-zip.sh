#!/usr/bin/env bash
# The Windows zip: exactly the intended files (tests/packaging/win-zip-files.txt) below one top folder
# named like the zip, README.txt with CR LF line ends, and each .exe carrying the project version.
#   tests/packaging/test-zip.sh ZIP VERSION
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=check.sh
. "$here/check.sh"

zip=$1
version=$2
top=qvset-$version-win64
work=$(mktemp -d "${TMPDIR:-/tmp}/qvset-zip.XXXXXX")
trap 'rm -rf "$work"' EXIT

echo "== the zip: $(basename "$zip")"
check "file name: qvset-VERSION-win64.zip" equals "$top.zip" "$(basename "$zip")"
intended=$(grep -v '^#' "$here/win-zip-files.txt" | sed '/^$/d' | sort)
entries=$(unzip -Z1 "$zip" | grep -v '/$' | sort)
check "the intended files below $top/, and no others" \
  equals "$(while read -r file; do echo "$top/$file"; done <<<"$intended")" "$entries"

unzip -q "$zip" -d "$work"
readme=$work/$top/README.txt
lines=$(wc -l <"$readme")
check "README.txt: every line ends in CR LF" equals "$lines" "$(grep -c $'\r$' "$readme")"
check "README.txt names the version" grep -q "qvset $version for Windows" "$readme"
for exe in "$work/$top"/*.exe; do
  name=$(basename "$exe")
  check "$name is a Windows program" equals "MZ" "$(head -c 2 "$exe")"
  # The version resource's strings are UTF-16: ProductVersion followed by the version.
  check "$name carries the version resource $version" \
    equals "$version" "$(strings -el -n 3 "$exe" | grep -A1 -x ProductVersion | sed -n 2p)"
done
finish
