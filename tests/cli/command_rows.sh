#!/usr/bin/env bash
# The tool's commands and their options as its own help lists them, which is read from the
# one row each command has in the tool: a line "COMMAND<TAB>" for each command, then
# "COMMAND<TAB>--OPTION" for each of its options, and "models add" and "models remove" (which the help names under models)
# with theirs. The completion's and the manual page's tests read them, so that a command or
# an option the tool gains and they miss fails there.
# Usage: command_rows.sh ZARNETH_CLI
set -euo pipefail
cli=$1
export LANGUAGE=en LC_ALL=C.UTF-8
commands=$("$cli" --help | sed -n '/^Subcommands:/,/^$/p' | sed -n 's/^  \([a-z][a-z-]*\) .*/\1/p')
[ -n "$commands" ] || { echo "command_rows: no command in zarneth-cli --help" >&2; exit 1; }
for command in $commands "models add" "models remove"; do
  printf '%s\t\n' "$command"
  # shellcheck disable=SC2086  # "models add" is two words on the command line
  "$cli" $command --help | sed -n 's/^  -*[a-z-]*,*\(--[a-z-]*\).*/\1/p' |
    grep -vx -e --help -e --name | sed "s/^/$command\t/"
done
