#!/usr/bin/env bash
# zarneth-cli.exe stands alone and says what it is: it imports only DLLs every Windows has,
# and carries a VERSIONINFO with its own name and the version record's numbers.
set -euo pipefail
exe=$1 version_commas=$2
fail() { echo "check_windows_exe: $*" >&2; exit 1; }

imports=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p')
for dll in $imports; do
  case "${dll,,}" in
    kernel32.dll | msvcrt.dll | shell32.dll | user32.dll | advapi32.dll) ;;
    *) fail "imports $dll, which a plain Windows does not have" ;;
  esac
done

# The resource's strings are UTF-16: each value follows its key.
strings=$(strings -el "$exe")
expect() {
  grep -A1 -x "$1" <<<"$strings" | tail -n 1 | grep -qx "$2" || fail "$1 is not '$2'"
}
expect OriginalFilename zarneth-cli.exe
expect FileDescription "Zarneth command-line tool"
expect FileVersion "$version_commas"
expect ProductVersion "$version_commas"
echo "check_windows_exe: $(wc -w <<<"$imports") system DLLs, version $version_commas"
