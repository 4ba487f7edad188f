#!/usr/bin/env bash
# Builds the Debian package from a configured build folder, checks its contents list and
# validates the desktop entry and AppStream metadata as installed.
# Usage: check_package.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/out/*.deb)
echo "built $(basename "$deb")"
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$work/contents"

for path in /usr/bin/zarneth /usr/bin/zarneth-cli \
            /usr/share/applications/org.zarneth.Zarneth.desktop \
            /usr/share/metainfo/org.zarneth.Zarneth.metainfo.xml \
            /usr/share/icons/hicolor/16x16/apps/zarneth.png \
            /usr/share/icons/hicolor/32x32/apps/zarneth.png \
            /usr/share/icons/hicolor/64x64/apps/zarneth.png \
            /usr/share/icons/hicolor/256x256/apps/zarneth.png \
            /usr/share/icons/hicolor/scalable/apps/zarneth.svg \
            /usr/share/doc/zarneth/README.md /usr/share/doc/zarneth/copyright \
            /usr/share/doc/zarneth/changelog.gz \
            /usr/share/man/man1/zarneth-cli.1.gz /usr/share/man/man1/zarneth.1.gz \
            /usr/share/bash-completion/completions/zarneth-cli; do
  grep -qxF "$path" "$work/contents" || { echo "missing from the package: $path"; exit 1; }
done
if grep -E '/usr/(lib|include)/|bench|_tests|fuzz_' "$work/contents"; then
  echo "the package holds build or test files"; exit 1
fi
[ "$(dpkg-deb -f "$deb" Version)" = "1.0.0.1" ] || { echo "wrong version"; exit 1; }
dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 || { echo "no Qt dependency recorded"; exit 1; }

dpkg-deb -x "$deb" "$work/root"
desktop-file-validate "$work/root/usr/share/applications/org.zarneth.Zarneth.desktop"
appstreamcli validate --no-net "$work/root/usr/share/metainfo/org.zarneth.Zarneth.metainfo.xml"
for size in 16 32 48 64 128 256; do
  file "$work/root/usr/share/icons/hicolor/${size}x${size}/apps/zarneth.png" |
    grep -q "$size x $size" || { echo "the ${size}x${size} icon is not ${size} pixels"; exit 1; }
done
"$work/root/usr/bin/zarneth-cli" --version | head -n 1 | grep -qx "zarneth-cli (Zarneth) 1.0.0.1"
"$work/root/usr/bin/zarneth" --version | head -n 1 | grep -qx "zarneth (Zarneth) 1.0.0.1"
# lintian, where installed: no error and no warning.
if command -v lintian >/dev/null; then
  tags=$(lintian --no-tag-display-limit "$deb" 2>&1 | grep -E '^[EW]: ' || true)
  [ -z "$tags" ] || { echo "lintian: $tags"; exit 1; }
  echo "lintian: no errors or warnings"
fi
echo "package contents and metadata are valid"
