#!/usr/bin/env bash
# The manual pages render without a warning: mandoc's linter where it is installed, and
# groff with every warning on.
# Usage: check_man_pages.sh MAN_FOLDER
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
