#!/usr/bin/env bash
# Every catalog complete and current: the words the sources mark now (extracted afresh, as
# `make update-po` does) each have a translation in every po/LANG.po of po/LINGUAS, none of
# them fuzzy or empty, and each translation's places match its English (msgfmt --check); a
# message with several places has a note for its translators, none is only places and
# punctuation, and help lines fit a terminal translated where they fit it in English
# (catalog_rules.awk).
# Usage: check_catalogs.sh SOURCE_DIR
set -uo pipefail
source_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$source_dir/scripts/update-po" --pot "$work/current.pot" || exit 1
failed=0
rules=$(dirname "$0")/catalog_rules.awk
breaches=$(msgcat --no-wrap "$work/current.pot" | LC_ALL=C awk -v mode=pot -f "$rules")
if [ -n "$breaches" ]; then
  echo "check_catalogs: the sources' messages break a rule:" >&2
  echo "$breaches" >&2
  failed=1
fi
while read -r language; do
  [ -n "$language" ] || continue
  po="$source_dir/po/$language.po"
  statistics=$(LC_ALL=C msgfmt --check --statistics -o /dev/null "$po" 2>&1) || failed=1
  echo "$language: $statistics"
  case $statistics in
    *fuzzy* | *untranslated*) echo "check_catalogs: $po is not complete" >&2; failed=1 ;;
  esac
  breaches=$(msgcat --no-wrap "$po" | LC_ALL=C awk -v mode=po -f "$rules")
  if [ -n "$breaches" ]; then
    echo "check_catalogs: $po breaks a rule:" >&2
    echo "$breaches" >&2
    failed=1
  fi
  # Each message the sources have now, translated (neither missing nor fuzzy nor empty).
  if ! LC_ALL=C msgcmp "$po" "$work/current.pot" 2>"$work/msgcmp"; then
    echo "check_catalogs: $po lacks what the sources say now; run make update-po and" \
         "translate:" >&2
    head -20 "$work/msgcmp" >&2
    failed=1
  fi
done < "$source_dir/po/LINGUAS"
[ "$failed" = 0 ] && echo "check_catalogs: every catalog complete and current"
exit "$failed"
