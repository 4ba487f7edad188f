#!/usr/bin/env bash
# The Windows installer, tried as a user would on a machine that never saw Zarneth: made with
# CPack and makensis, installed silently into a fresh Wine prefix, the installed
# zarneth-cli.exe asked for its version, the Start menu entry and the uninstall entry
# looked for, then uninstalled silently, after which nothing of it may remain.
# Usage: check_windows_installer.sh BUILD_DIR WINE VERSION
set -euo pipefail
build=$1 wine=$2 version=$3
work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
wineserver=$(dirname "$wine")/wineserver
trap '"$wineserver" -k 2>/dev/null || true; rm -rf "$work"' EXIT
fail() { echo "check_windows_installer: $*" >&2; exit 1; }

(cd "$build" && cpack -G NSIS -B "$work/package" >/dev/null)
installer=$work/package/zarneth-$version-win64.exe
[ -f "$installer" ] || fail "no installer $installer"

"$wine" wineboot --init
"$wineserver" -w
before=$(cd "$WINEPREFIX/drive_c" && find . | sort)

"$wine" "$installer" /S
"$wineserver" -w
folder="$WINEPREFIX/drive_c/Program Files/Zarneth"
for file in zarneth.exe zarneth-cli.exe README.txt LICENSE Uninstall.exe; do
  [ -f "$folder/$file" ] || fail "the installer did not put $file into Program Files\\Zarneth"
done
said=$("$wine" "$folder/zarneth-cli.exe" --version | tr -d '\r' | head -n 1)
[ "$said" = "zarneth-cli (Zarneth) $version" ] || fail "the installed zarneth-cli.exe says '$said', not '$version'"
find "$WINEPREFIX/drive_c" -iname 'Zarneth.lnk' | grep -q . || fail "no Start menu entry"
"$wine" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null |
  grep -qi 'Uninstall.exe' || fail "no entry in the list of programs"
echo "installed: $said, with a Start menu entry and an uninstaller"

"$wine" "$folder/Uninstall.exe" /S
"$wineserver" -w
after=$(cd "$WINEPREFIX/drive_c" && find . | sort)
left=$(comm -13 <(echo "$before") <(echo "$after") | grep -vi '/temp/\|/appdata/' || true)
[ -z "$left" ] || fail "left behind after uninstalling: $left"
if "$wine" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null |
  grep -qi 'zarneth'; then
  fail "the list of programs still names Zarneth"
fi
echo "uninstalled: no file and no entry left"
