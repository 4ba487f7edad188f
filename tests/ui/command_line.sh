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
[ "$(head -n 1 <<<"$version")" = "zarneth 1.0.0.1" ] || { echo "bad --version: $version"; exit 1; }
grep -q "Copyright (C) 2026 the Zarneth developers" <<<"$version"
help=$(answer --help)
grep -q "^Usage: zarneth \[--help | --version\]$" <<<"$help" || { echo "bad --help: $help"; exit 1; }
echo "--version and --help answered without a window"
