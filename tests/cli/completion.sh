#!/usr/bin/env bash
# Sources the bash completion of zarneth-cli and reads COMPREPLY for a few command lines.
# Usage: completion.sh COMPLETION_FILE ZARNETH_CLI
set -euo pipefail
source "$1"
cli=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
touch "$work/be4-v135.bin" "$work/be4-v138.bin" "$work/german.blk"

complete_line() {  # the words of a command line; the last one is being completed
  COMP_WORDS=("$cli" "$@")
  COMP_CWORD=$(($# ))
  _zarneth_cli
  printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd' ' -
}
expect() {  # expected reply, then the words
  local want=$1
  shift
  local got
  got=$(complete_line "$@")
  [ "$got" = "$want" ] || { echo "for '$*': expected '$want', got '$got'"; exit 1; }
}

expect "--help --version cut models patch" ""
expect "patch" "pa"
expect "--in-place" "patch" "--source" "$work/be4-v135.bin" "--in"
expect "--end" "cut" "--e"
expect "V135 V136 V137 V138" "patch" "--model" ""
expect "V138" "cut" "--model" "V138"
expect "$work/be4-v135.bin $work/be4-v138.bin" "patch" "--source" "$work/be4"
expect "$work/german.blk" "patch" "--transcript" "$work/g"
expect "" "cut" "--start" ""
echo "completion replies are right"
