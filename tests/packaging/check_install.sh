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
cd /
"$scripts/uninstall-manifest" "$build/install_manifest.txt" "$root" /opt/zarneth >/dev/null
left=$(find "$root" -mindepth 1 -not -path "$root/opt")
[ -z "$left" ] || { echo "make uninstall left: $left"; exit 1; }
echo "make uninstall removed every file and folder it installed"
