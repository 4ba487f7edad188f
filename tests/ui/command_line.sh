#!/usr/bin/env bash
# zarneth --version and --help answer on the terminal without opening a window: with no
# display at all (and Qt told to use X11), any attempt to open one would abort the program.
# Usage: command_line.sh [RUNNER...] PATH/TO/zarneth   (RUNNER: e.g. wine for zarneth.exe)
set -euo pipefail
program=("$@")
answer() {
  env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "${program[@]}" "$1" | tr -d '\r'
}
version=$(answer --version)
[ "$(head -n 1 <<<"$version")" = "zarneth (Zarneth) 1.0.0.1" ] || { echo "bad --version: $version"; exit 1; }
grep -q "Copyright (C) 2026 the Zarneth developers" <<<"$version"
help=$(answer --help)
grep -q "^Usage: zarneth \[--help | --version\]$" <<<"$help" || { echo "bad --help: $help"; exit 1; }
# Any other argument is refused, naming it, with exit code 2 and no window.
refused=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "${program[@]}" --bogus 2>&1 >/dev/null | tr -d '\r') || true
env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "${program[@]}" --bogus >/dev/null 2>&1 && code=0 || code=$?
[ "$code" -eq 2 ] || { echo "--bogus gave exit code $code"; exit 1; }
grep -q "^zarneth: unrecognized option '--bogus'$" <<<"$refused" || { echo "bad refusal: $refused"; exit 1; }
grep -q "^Try 'zarneth --help' for more information.$" <<<"$refused"
# With no display the dialog says so in one line instead of aborting (Qt only: Wine draws
# its windows on a display of its own making).
if [[ "${program[*]}" != *wine* ]]; then
  nodisplay=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "${program[@]}" 2>&1) && code=0 || code=$?
  [ "$code" -eq 1 ] || { echo "no display gave exit code $code: $nodisplay"; exit 1; }
  [ "$nodisplay" = "zarneth: cannot open a window: no display" ] || { echo "bad: $nodisplay"; exit 1; }
  # A display that is named but cannot be opened: the same one line, with Qt's reason.
  stale=$(env -u WAYLAND_DISPLAY DISPLAY=:9876 QT_QPA_PLATFORM=xcb "${program[@]}" 2>&1) && code=0 || code=$?
  [ "$code" -eq 1 ] || { echo "a stale display gave exit code $code: $stale"; exit 1; }
  [ "$stale" = "zarneth: cannot open a window: could not connect to display :9876" ] ||
    { echo "bad: $stale"; exit 1; }
  # A Wayland session on a machine without Qt's Wayland plugin: the program's words, not Qt's.
  noplugin=$(env -u DISPLAY WAYLAND_DISPLAY=wayland-9876 QT_QPA_PLATFORM=wayland-missing \
    "${program[@]}" 2>&1) && code=0 || code=$?
  [ "$code" -eq 1 ] || { echo "a missing plugin gave exit code $code: $noplugin"; exit 1; }
  [[ "$noplugin" == "zarneth: cannot open a window: no display could be opened: "* ]] ||
    { echo "bad: $noplugin"; exit 1; }
fi
echo "--version and --help answered without a window, others refused"
