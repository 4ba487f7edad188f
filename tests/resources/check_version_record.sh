#!/usr/bin/env bash
# Compiles the generated Windows resource script with the Windows build's windres and checks
# the record's fields in the result.
# Usage: check_version_record.sh WINDRES GENERATED_DIR
set -euo pipefail
windres=$1 generated=$2
out=$(mktemp)
trap 'rm -f "$out"' EXIT
"$windres" --preprocessor=cpp "$generated/version_record.rc" -O coff -o "$out"
fields=$(strings -el "$out")
for expected in "1, 0, 0, 1" 040904B0 "Zarneth MFC Application" Zarneth Zarneth.EXE \
                "Zarneth Application" CompanyName LegalTrademarks; do
  grep -qxF "$expected" <<<"$fields" || { echo "missing in the record: $expected"; exit 1; }
done
echo "version record compiles and holds every field"
