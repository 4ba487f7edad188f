#!/usr/bin/env bash
# The install rules as `make install` and a distribution's build run them: everything under
# DESTDIR and a prefix of its own; no Debian-format document, nothing of the tests. Then
# `make uninstall`'s script on the manifest the install wrote leaves no file behind, nor a
# folder the install made.
# Usage: check_install.sh BUILD_DIR
set -euo pipefail
build=$1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
# Folders that were there before the install stay after the uninstall, but for the
# project's own (share/doc/zarneth, which an earlier install may have left).
mkdir -p "$root/opt/zarneth/bin" "$root/opt/zarneth/share/doc/zarneth"
"$scripts/note-new-folders" before "$build" "$root" /opt/zarneth
DESTDIR=$root cmake --install "$build" --prefix /opt/zarneth >/dev/null
"$scripts/note-new-folders" after "$build" "$root" /opt/zarneth
cd "$root/opt/zarneth"
for path in bin/zarneth bin/zarneth-cli share/doc/zarneth/README share/doc/zarneth/LICENSE \
            share/doc/zarneth/demo/walkthrough.sh share/doc/zarneth/demo/make-demo-files.sh \
            share/man/man1/zarneth.1.gz share/man/man1/zarneth-cli.1.gz \
            share/applications/org.zarneth.Zarneth.desktop \
            share/bash-completion/completions/zarneth-cli; do
  [ -e "$path" ] || { echo "make install did not install $path"; exit 1; }
done
if [ -e share/doc/zarneth/copyright ] || [ -e share/doc/zarneth/changelog.Debian.gz ]; then
  echo "make install installed the Debian package's own documents"; exit 1
fi
[ "$(find "$root" -path "$root/opt" -prune -o -print | wc -l)" -eq 1 ] ||
  { echo "make install wrote outside its prefix"; exit 1; }
echo "installed under DESTDIR/opt/zarneth: $(find . -type f | wc -l) files"
files=$(find "$root/opt/zarneth" -not -type d | wc -l)
folders=$(($(find "$root/opt/zarneth" -type d | wc -l) - 4))  # all but four of before
cd /
summary=$("$scripts/uninstall-manifest" "$build/install_manifest.txt" "$root" /opt/zarneth)
left=$(find "$root" -mindepth 1 -not -path "$root/opt" | sort)
[ "$left" = "$(printf '%s\n' "$root"/opt/zarneth{,/bin,/share,/share/doc} | sort)" ] ||
  { echo "make uninstall left: $left"; exit 1; }
# Every file and folder the install made went, and the summary counts each of them.
[[ $summary == *"removed $files files and $folders folders "* ]] ||
  { echo "make uninstall said '$summary' for $files files and $folders folders"; exit 1; }
echo "make uninstall removed every file and folder it installed"
