#!/usr/bin/env bash
# The floors check on small trees of its own: an include that climbs, one to a room on the same floor,
# a folder on no floor and a cycle inside a room each fail with the file and line named; a tree whose
# includes all point down, and one whose only cycle is listed, pass; a listed cycle that is gone fails.
set -euo pipefail
check=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/qvset-floors-check.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# A fresh tree: base (ground), upper, and beside each other on the top floor left and right, with the
# nested room upper/inner above them all.
tree() {
  rm -rf "$work/src"
  mkdir -p "$work/src/base" "$work/src/upper/inner" "$work/src/left" "$work/src/right"
  printf '%s\n' '# floors' 'base' 'upper' 'left right' 'upper/inner' >"$work/src/floors.txt"
  printf '#pragma once\n#include <string>\n' >"$work/src/base/Base.h"
  printf '#include "base/Base.h"\n' >"$work/src/base/Base.cpp"
  printf '#pragma once\n#include "base/Base.h"\n#include <nlohmann/json.hpp>\n' >"$work/src/upper/Upper.h"
  printf '#include "upper/Upper.h"\n#include "Version.h"\n' >"$work/src/upper/UpperPosix.cpp"
  printf '#pragma once\n#include "upper/Upper.h"\n' >"$work/src/left/Left.h"
  printf '#pragma once\n#include "base/Base.h"\n' >"$work/src/right/Right.h"
  printf '#pragma once\n#include "left/Left.h"\n#include "right/Right.h"\n' >"$work/src/upper/inner/Inner.h"
}
# expect STATUS TEXT...: runs the check and wants that exit status and each text in its output.
expect() {
  local want=$1 status=0
  shift
  "$check" "$work/src" >"$work/out" 2>&1 || status=$?
  [ "$status" -eq "$want" ] || fail "exit status $status, not $want: $(cat "$work/out")"
  for text in "$@"; do
    grep -qF -- "$text" "$work/out" || fail "no \"$text\" in: $(cat "$work/out")"
  done
}

tree
expect 0 "every include points down"

tree
printf '#include "upper/Upper.h"\n' >>"$work/src/base/Base.cpp"
expect 1 "src/base/Base.cpp:2: includes upper/Upper.h: upper stands above base"

tree
printf '#include "right/Right.h"\n' >>"$work/src/left/Left.h"
expect 1 "src/left/Left.h:3: includes right/Right.h: right stands on the same floor as left"

tree
printf '#include "upper/inner/Inner.h"\n' >>"$work/src/upper/UpperPosix.cpp"
expect 1 "src/upper/UpperPosix.cpp:3: includes upper/inner/Inner.h: upper/inner stands above upper"

tree
mkdir -p "$work/src/gadget"
printf '#pragma once\n' >"$work/src/gadget/Gadget.h"
expect 1 "src/gadget holds code but stands on no floor"

# UpperPosix.cpp implements Upper.h: its include of Other.h, which includes Upper.h, closes a cycle.
tree
printf '#pragma once\n#include "upper/Upper.h"\n' >"$work/src/upper/Other.h"
printf '#include "upper/Other.h"\n' >>"$work/src/upper/UpperPosix.cpp"
expect 1 "a cycle between upper/Other, upper/Upper" "src/upper/UpperPosix.cpp:3: includes upper/Other.h" \
  "src/upper/Other.h:2: includes upper/Upper.h"
echo 'cycle upper/Upper upper/Other' >>"$work/src/floors.txt"
expect 0 "every include points down"
sed -i '$d' "$work/src/upper/UpperPosix.cpp"
expect 1 "lists a cycle that is gone or has changed: cycle upper/Other upper/Upper"
echo "the floors check fails on every include that climbs"
