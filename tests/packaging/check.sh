# shellcheck shell=bash
# The checks' bookkeeping for the package tests: check NAME COMMAND... runs one check and reports it;
# finish prints the count in the form CI reads and fails when any check failed.
passed=0
failed=0

check() {
  local name=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
    echo "ok      $name"
  else
    failed=$((failed + 1))
    echo "FAILED  $name"
  fi
}

# equals EXPECTED ACTUAL: true when the two texts are the same; shows both when not.
equals() {
  [ "$1" = "$2" ] && return 0
  printf '  expected: %s\n  actual:   %s\n' "$1" "$2"
  return 1
}

# contains TEXT PART...: true when TEXT holds every PART; names the first one missing.
contains() {
  local text=$1 part
  shift
  for part in "$@"; do
    [[ $text == *"$part"* ]] || { echo "  missing: $part"; return 1; }
  done
}

finish() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}
