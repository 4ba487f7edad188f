#!/usr/bin/env bash
# The manual pages render without a warning: mandoc's linter where it is installed, and
# groff with every warning on. Given the tool, zarneth-cli's page also describes every
# command its help lists under COMMANDS, and names every option of each.
# Usage: check_man_pages.sh MAN_FOLDER [ZARNETH_CLI]
set -euo pipefail
for page in "$1"/*.1; do
  if command -v mandoc >/dev/null; then
    out=$(mandoc -T lint -W warning "$page" 2>&1) || true
    [ -z "$out" ] || { echo "$out"; exit 1; }
  fi
  out=$(groff -ww -z -man "$page" 2>&1)
  [ -z "$out" ] || { echo "$page: $out"; exit 1; }
  out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  [ -z "$out" ] || { echo "$page: $out"; exit 1; }
  echo "$(basename "$page") renders without warnings"
done
[ $# -ge 2 ] || exit 0
page="$1/zarneth-cli.1"
described=$(sed -n '/^\.SH COMMANDS/,/^\.SH /p' "$page" | sed -n 's/^\.B \([a-z][a-z ]*\)$/\1/p')
while IFS=$'\t' read -r command option; do
  if [ -z "$option" ]; then
    grep -qx -- "$command" <<<"$described" ||
      { echo "zarneth-cli.1 describes no command '$command' under COMMANDS"; exit 1; }
  else
    grep -qF -- "${option//-/\\-}" "$page" ||
      { echo "zarneth-cli.1 never names $option of '$command'"; exit 1; }
  fi
done < <("$(dirname "$0")/command_rows.sh" "$2")
echo "zarneth-cli.1 describes every command and names every option"
