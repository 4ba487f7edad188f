#!/usr/bin/env bash
# Builds the Debian package the distribution's way (scripts/build-deb: dpkg-buildpackage on
# debian/), checks its contents list, validates the desktop entry and AppStream metadata as
# installed, checks that its build ran the headless suites, and checks it with lintian
# (pedantic) and both programs with hardening-check.
# Usage: check_package.sh SOURCE_DIR
set -euo pipefail
source=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Compiled through ccache where it is installed, as the project's own builds are.
if command -v ccache >/dev/null; then export CMAKE_CXX_COMPILER_LAUNCHER=ccache; fi
"$source/scripts/build-deb" "$work/out" >/dev/null
deb=$(ls "$work"/out/zarneth_*.deb)
echo "built $(basename "$deb")"
# The package's build ran the suites that need no display.
grep -E "^[0-9]+% tests passed" "$work/out/build.log" | grep -q "^100% " ||
  { echo "the package's build did not run its tests"; exit 1; }
grep -E "^[0-9]+% tests passed" "$work/out/build.log"
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$work/contents"

for path in /usr/bin/zarneth /usr/bin/zarneth-cli \
            /usr/share/applications/org.zarneth.Zarneth.desktop \
            /usr/share/metainfo/org.zarneth.Zarneth.metainfo.xml \
            /usr/share/icons/hicolor/16x16/apps/zarneth.png \
            /usr/share/icons/hicolor/32x32/apps/zarneth.png \
            /usr/share/icons/hicolor/64x64/apps/zarneth.png \
            /usr/share/icons/hicolor/256x256/apps/zarneth.png \
            /usr/share/icons/hicolor/scalable/apps/zarneth.svg \
            /usr/share/doc/zarneth/README /usr/share/doc/zarneth/copyright \
            /usr/share/doc/zarneth/demo/walkthrough.sh \
            /usr/share/doc/zarneth/changelog.Debian.gz \
            /usr/share/man/man1/zarneth-cli.1.gz /usr/share/man/man1/zarneth.1.gz \
            /usr/share/bash-completion/completions/zarneth-cli \
            /usr/share/locale/de/LC_MESSAGES/zarneth.mo \
            /usr/share/locale/fr/LC_MESSAGES/zarneth.mo \
            /usr/share/locale/ru/LC_MESSAGES/zarneth.mo; do
  grep -qxF "$path" "$work/contents" || { echo "missing from the package: $path"; exit 1; }
done
if grep -E '/usr/(lib|include)/|bench|_tests|fuzz_' "$work/contents"; then
  echo "the package holds build or test files"; exit 1
fi
[ "$(dpkg-deb -f "$deb" Version)" = "1.0.0.1-1" ] || { echo "wrong version"; exit 1; }
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
# The installed catalogs, found from the program's own folder.
said=$(LC_ALL=C.UTF-8 LANGUAGE=de "$work/root/usr/bin/zarneth-cli" frobnicate 2>&1 || true)
grep -q "unbekannter Befehl 'frobnicate'" <<<"$said" ||
  { echo "the German catalog is not used: $said"; exit 1; }
echo "the installed German catalog is used"
# lintian, pedantic and informational: no tag at all (debian/zarneth.lintian-overrides says
# why the two it would give are false).
tags=$(lintian -I --pedantic --tag-display-limit 0 "$deb" 2>&1 | grep -E '^[EWIPX]: ' || true)
[ -z "$tags" ] || { echo "lintian: $tags"; exit 1; }
echo "lintian -I --pedantic: no tags"
# Every hardening feature of the distribution's flags. The control-flow mark is left to the
# linker, which gives it only when every object carries it, and Debian 12's C library start
# files (crt1.o, crti.o) do not: no program of the release has it (not /usr/bin/ls either).
# The project's own code is built for it: its functions begin with the branch marker.
hardening-check --nocfprotection --quiet "$work/root/usr/bin/zarneth" \
  "$work/root/usr/bin/zarneth-cli" || { echo "hardening-check failed"; exit 1; }
for program in zarneth zarneth-cli; do
  # grep -c reads to the end: grep -q would stop objdump with SIGPIPE, failing the pipe.
  [ "$(objdump -d --no-show-raw-insn "$work/root/usr/bin/$program" | grep -c endbr64)" -gt 0 ] ||
    { echo "$program is not built with -fcf-protection"; exit 1; }
done
echo "hardening-check: both programs hardened"
echo "package contents and metadata are valid"

# The source package a distribution uploads, in a git checkout: the orig tarball from
# make dist, unpacked, then dpkg-source; lintian on it finds nothing, informational tags too.
if git -C "$source" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  make -s -C "$source" dist DIST_DIR="$work/src" >/dev/null
  tarball=$(ls "$work"/src/zarneth-*.tar.gz)
  upstream=$(basename "$tarball" .tar.gz)
  mv "$tarball" "$work/src/zarneth_${upstream#zarneth-}.orig.tar.gz"
  tar -xzf "$work"/src/zarneth_*.orig.tar.gz -C "$work/src"
  cp -r "$source/debian" "$work/src/$upstream/"
  (cd "$work/src/$upstream" && dpkg-source -b . >/dev/null)
  dsc=$(ls "$work"/src/zarneth_*.dsc)
  grep -qx "Format: 3.0 (quilt)" "$dsc" || { echo "the source package is not 3.0 (quilt)"; exit 1; }
  tags=$(lintian -I --pedantic --tag-display-limit 0 "$dsc" 2>&1 | grep -E '^[EWIPX]: ' || true)
  [ -z "$tags" ] || { echo "lintian on the source: $tags"; exit 1; }
  echo "source package $(basename "$dsc"): 3.0 (quilt), lintian -I --pedantic: no tags"
fi
