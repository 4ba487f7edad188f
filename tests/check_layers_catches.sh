#!/usr/bin/env bash
# The layer check refuses an include that crosses the layers however it is spaced: each
# planted line, alone in a tree of its own, must fail scripts/check-layers.
# Usage: check_layers_catches.sh SOURCE_DIR
set -euo pipefail
check=$1/scripts/check-layers
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
while IFS='|' read -r file line; do
  rm -rf "${work:?}"/*
  mkdir -p "$work/$(dirname "$file")"
  printf '%s\n' "$line" >"$work/$file"
  if "$check" "$work" >/dev/null 2>&1; then
    echo "check-layers let through, in $file: $line"
    exit 1
  fi
done <<'PLANTED'
engine/a.cpp|#include  "../engine/files/c_file.h"
engine/a.cpp|#	include "../x.h"
engine/a.cpp|  #  include <QWidget>
cli/a.cpp|#include<QtCore/QString>
engine/include/a.h|#   include <windows.h>
engine/a.cpp|# include "dialog.h"
engine/files/a.cpp|#include "operations.h"
engine/operations/a.cpp|#include "posix_calls.h"
engine/operations/a.cpp|#include <unistd.h>
ui/a.cpp|#include <aclapi.h>
ui/a.cpp|#include <shellapi.h>
base/words/a.cpp|#include <windows.h>
PLANTED
echo "check-layers refuses every planted include"
