#!/usr/bin/env bash
# The Windows installer, tried as a user would on a machine that never saw Zarneth: made with
# CPack and makensis, with an older version made beside it. In a fresh Wine prefix that
# still holds the empty vendor key older installers left, the older version is installed
# with zarneth-cli.exe on the PATH, then this version over it, then it is uninstalled; each
# step is checked, and afterwards no file, registry key or PATH entry of Zarneth may remain.
# The PATH entry is the system's, for every user, as the installation is.
# Usage: check_windows_installer.sh BUILD_DIR WINE VERSION
set -euo pipefail
build=$1 wine=$2 version=$3 earlier=0.9.0.0
work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
wineserver=$(dirname "$wine")/wineserver
trap '"$wineserver" -k 2>/dev/null || true; rm -rf "$work"' EXIT
fail() { echo "check_windows_installer: $*" >&2; exit 1; }
run() { "$wine" "$@"; "$wineserver" -w; }
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Zarneth'
vendor_key='HKLM\Software\The Zarneth developers'
# A registry value, empty when it is not there.
value() { { "$wine" reg query "$1" /v "$2" 2>/dev/null || true; } | tr -d '\r' |
  sed -n "s/^ *$2 *REG_[A-Z_]* *//p"; }
listed_version() { value "$uninstall_key" DisplayVersion; }
system_path() { value 'HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment' Path; }

(cd "$build" && cpack -G NSIS -B "$work/package" >/dev/null &&
  cpack -G NSIS -B "$work/earlier" -D CPACK_PACKAGE_VERSION=$earlier \
    -D CPACK_PACKAGE_FILE_NAME=zarneth-$earlier-win64 >/dev/null)
installer=$work/package/zarneth-$version-win64.exe
[ -f "$installer" ] || fail "no installer $installer"

# The zip unpacks into one folder of its own, named as the zip.
(cd "$build" && cpack -G ZIP -B "$work/zip" >/dev/null)
top=zarneth-$version-win64
python3 -c 'import sys, zipfile; print("\n".join(zipfile.ZipFile(sys.argv[1]).namelist()))' \
  "$work/zip/$top.zip" >"$work/zip/names"
for name in zarneth.exe zarneth-cli.exe README.txt LICENSE; do
  grep -qx "$top/$name" "$work/zip/names" || fail "the zip has no $top/$name"
done
! grep -qv "^$top/" "$work/zip/names" || fail "the zip holds names outside $top/"

# The installer's own version record (UTF-16 strings, each value after its key).
record=$(strings -el "$installer")
for pair in "ProductName=Zarneth" "FileVersion=$version" "FileDescription=Zarneth installer"; do
  grep -A1 -x "${pair%%=*}" <<<"$record" | tail -n 1 | grep -qx "${pair#*=}" ||
    fail "the installer's version record has no ${pair%%=*} '${pair#*=}'"
done

run wineboot --init
before=$(cd "$WINEPREFIX/drive_c" && find . | sort)
path_before=$(system_path)
# As an older uninstaller leaves it: the vendor's key, its subkey gone, no values.
"$wine" reg add "$vendor_key\\Zarneth" /f >/dev/null
"$wine" reg delete "$vendor_key\\Zarneth" /f >/dev/null

run "$work/earlier/zarneth-$earlier-win64.exe" /S /ADDTOPATH
folder='C:\Program Files\Zarneth'
[ "$(listed_version)" = "$earlier" ] || fail "the older version is not in the list of programs"
grep -qiF "$folder" <<<"$(system_path)" || fail "/ADDTOPATH did not put the folder on the PATH"

run "$installer" /S
unix_folder="$WINEPREFIX/drive_c/Program Files/Zarneth"
for file in zarneth.exe zarneth-cli.exe README.txt LICENSE Uninstall.exe; do
  [ -f "$unix_folder/$file" ] || fail "the installer did not put $file into Program Files\\Zarneth"
done
# The documents with Windows line ends, the programs without their symbol tables.
for file in README.txt LICENSE; do
  [ "$(grep -c $'\r$' "$unix_folder/$file")" = "$(wc -l <"$unix_folder/$file")" ] ||
    fail "$file does not end its lines with CR LF"
done
for file in zarneth.exe zarneth-cli.exe; do
  x86_64-w64-mingw32-nm "$unix_folder/$file" 2>&1 | grep -q "no symbols" ||
    fail "$file is not stripped"
done
said=$("$wine" "$unix_folder/zarneth-cli.exe" --version | tr -d '\r' | head -n 1)
[ "$said" = "zarneth-cli (Zarneth) $version" ] || fail "the installed zarneth-cli.exe says '$said'"
[ "$(listed_version)" = "$version" ] || fail "the list of programs says '$(listed_version)'"
[ "$(grep -oiF "$folder" <<<"$(system_path)" | wc -l)" = 1 ] ||
  fail "after the upgrade the PATH holds the folder other than once: $(system_path)"
if "$wine" reg query "$vendor_key" >/dev/null 2>&1; then
  fail "the empty vendor key of older installers is still there"
fi
link=$(find "$WINEPREFIX/drive_c" -iname 'Zarneth.lnk')
[ "$(wc -l <<<"$link")" = 1 ] && [ -n "$link" ] || fail "not one Start menu link: '$link'"
strings -el "$link" | grep -qxF '%USERPROFILE%\Documents' ||
  fail "the Start menu link does not start in the user's Documents"
echo "upgraded $earlier to $said: one entry, PATH kept, link starting in Documents"

run "$unix_folder/Uninstall.exe" /S
after=$(cd "$WINEPREFIX/drive_c" && find . | sort)
left=$(comm -13 <(echo "$before") <(echo "$after") | grep -vi '/temp/\|/appdata/' || true)
[ -z "$left" ] || fail "left behind after uninstalling: $left"
for key in "$uninstall_key" "$vendor_key"; do
  if "$wine" reg query "$key" >/dev/null 2>&1; then fail "left behind: $key"; fi
done
[ "$(system_path)" = "$path_before" ] || fail "the PATH is '$(system_path)', not '$path_before'"
echo "uninstalled: no file, registry key or PATH entry left"
