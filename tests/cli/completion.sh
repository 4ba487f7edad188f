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

expect "--help --models --quiet --version compare cut identify locate models patch show verify" ""
expect "patch" "pa"
expect "--in-place" "patch" "--source" "$work/be4-v135.bin" "--in"
expect "--end" "cut" "--e"
expect "V135 V136 V137 V138" "patch" "--model" ""
# The versions of a table given on the line, and the words of "models add".
printf '[[model]]\nname = "V139"\nstart = "1"\nend = "2"\n' >"$work/shared.toml"
chmod 600 "$work/shared.toml"
expect "V139" "--models" "$work/shared.toml" "patch" "--model" "V139"
expect "--start" "models" "add" "V140" "--st"
expect "add" "models" "a"
expect "V138" "cut" "--model" "V138"
expect "$work/be4-v135.bin $work/be4-v138.bin" "patch" "--source" "$work/be4"
expect "$work/german.blk" "patch" "--transcript" "$work/g"
expect "" "cut" "--start" ""
# Models in any case, the --option=value forms, options already given not offered again.
expect "V138" "cut" "--model" "v138"
expect "--model=V135 --model=V136 --model=V137 --model=V138" "cut" "--model="
expect "--source=$work/german.blk" "patch" "--source=$work/g"
expect "--start" "patch" "--source" "$work/be4-v135.bin" "--st"
expect "" "cut" "--dry-run" "--d"
expect "--dry-run" "cut" "--d"
expect "--crc" "show" "--c"
expect "--backup" "patch" "--b"
# A copy or in place, never both: what goes only with the other is not offered.
expect "" "patch" "--in-place" "--o"
expect "" "patch" "--in-place" "--no"
expect "" "patch" "--output" "x.bin" "--in"
expect "--no-clobber" "cut" "--output" "x.bin" "--no"
# --replace finds the start: no --model or --start beside it, nor it beside them.
expect "" "patch" "--replace" "old.blk" "--st"
expect "" "patch" "--model" "V138" "--rep"
expect "--with" "compare" "--w"
expect "$work/german.blk" "locate" "--transcript" "$work/g"
# Every command the tool's help lists is offered, and every option of each after "--".
while IFS=$'\t' read -r command option; do
  read -ra words <<<"$command"
  if [ -z "$option" ]; then
    [ "${#words[@]}" -eq 2 ] && offered=$(complete_line "${words[0]}" "") ||
      offered=$(complete_line "")
    last=${words[-1]}
  else
    [ "${#words[@]}" -eq 2 ] && words+=(NAME)  # models add NAME --...
    offered=$(complete_line "${words[@]}" "--")
    last=$option
  fi
  [[ " $offered " == *" $last "* ]] ||
    { echo "the completion does not offer '$last' for '$command': $offered"; exit 1; }
done < <("$(dirname "$0")/command_rows.sh" "$cli")
echo "completion replies are right"
