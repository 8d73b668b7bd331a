#!/usr/bin/env bash
# Runs the README's console blocks that are marked as runnable, so that the README cannot drift from
# the programs. A block is marked by the line "<!-- runnable -->" before its "```console" line:
#   $ COMMAND                 # exit N      a command (the status it must end with; 0 unless given)
#   output line                             what it prints, stdout and stderr together, exactly
# "<!-- runnable: status only -->" checks the statuses and not the output (times, ports, paths).
# The commands run in a fresh folder (the repository's docs/ linked into it) with a private HOME and the
# given program folders first on PATH; with a private CUPS server's folder, pointed at that server.
#   readme-blocks-test.sh README PROGRAM-FOLDER... [--sandbox DIR]
set -euo pipefail
readme=$(realpath "$1")
shift
root=$(dirname "$readme")
folders=()
sandbox=''
while [ $# -gt 0 ]; do
  case $1 in
    --sandbox) sandbox=$2; shift 2 ;;
    *) folders+=("$(realpath "$1")"); shift ;;
  esac
done
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

work=$(mktemp -d /tmp/qvset-readme.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/home" "$work/run"
ln -s "$root/docs" "$work/run/docs"
for folder in "${folders[@]}"; do PATH=$folder:$PATH; done
export PATH HOME=$work/home XDG_STATE_HOME=$work/home/state XDG_CONFIG_HOME=$work/home/config
[ -z "$sandbox" ] || eval "$("$root/scripts/cups-sandbox" env "$sandbox")"

# check BLOCK-START-LINE COMPARE COMMAND STATUS EXPECTED: runs one command of a block.
commands=0
check() {
  local line=$1 compare=$2 command=$3 status=$4 expected=$5 got=0 output
  output=$(cd "$work/run" && bash -c "$command" 2>&1) || got=$?
  commands=$((commands + 1))
  [ "$got" = "$status" ] || fail "README line $line: \$ $command: exit $got, not $status:
$output"
  [ "$compare" = 0 ] || [ "$output" = "$expected" ] || fail "README line $line: \$ $command printed
$output
and the README says
$expected"
}

blocks=0
number=0
state=outside  # outside, marked, inside
compare=1
command=''
while IFS= read -r text || [ -n "$text" ]; do
  number=$((number + 1))
  case $state in
    outside)
      case $text in
        '<!-- runnable -->') state=marked compare=1 ;;
        '<!-- runnable: status only -->') state=marked compare=0 ;;
      esac ;;
    marked)
      case $text in
        '') ;;
        '```console') state=inside blocks=$((blocks + 1)) start=$number command='' ;;
        *) fail "README line $number: a runnable mark not followed by a console block" ;;
      esac ;;
    inside)
      if [ "$text" = '```' ] || [[ $text == '$ '* ]]; then
        [ -z "$command" ] || check "$start" "$compare" "$command" "$status" "$expected"
        command=''
        if [ "$text" = '```' ]; then state=outside; continue; fi
        command=${text#\$ }
        status=0
        if [[ $command =~ ^(.*[^[:space:]])[[:space:]]+#\ exit\ ([0-9]+)$ ]]; then
          command=${BASH_REMATCH[1]} status=${BASH_REMATCH[2]}
        fi
        expected=''
        first=1
      else
        [ -n "$command" ] || fail "README line $number: output before any command"
        if [ "$first" = 1 ]; then expected=$text first=0; else expected+=$'\n'$text; fi
      fi ;;
  esac
done <"$readme"
[ "$state" = outside ] || fail "README: a runnable block is not closed"
[ "$blocks" -gt 0 ] || fail "README: no runnable block found"
echo "$blocks runnable README blocks, $commands commands, as the README says"
