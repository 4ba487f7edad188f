#!/usr/bin/env bash
# A Windows program stands alone and says what it is: it imports only DLLs every Windows
# has, carries a VERSIONINFO with its own name and the version record's numbers, and, where
# asked, a manifest with the given words.
# Usage: check_windows_exe.sh EXE VERSION_COMMAS ORIGINAL_FILENAME DESCRIPTION [MANIFEST_WORD...]
set -euo pipefail
exe=$1 version_commas=$2 original=$3 description=$4
shift 4
fail() { echo "check_windows_exe: $(basename "$exe"): $*" >&2; exit 1; }

imports=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p')
for dll in $imports; do
  case "${dll,,}" in
    # ntdll.dll: the native layer under kernel32 itself, in every Windows since NT; the
    # file layer opens, renames and links relative to a held folder through it. bcrypt.dll:
    # CNG, the system's cryptography since Vista, hashes an image's fingerprint.
    kernel32.dll | msvcrt.dll | shell32.dll | user32.dll | gdi32.dll | comctl32.dll | \
      comdlg32.dll | advapi32.dll | ntdll.dll | bcrypt.dll) ;;
    *) fail "imports $dll, which a plain Windows does not have" ;;
  esac
done

# The resource's strings are UTF-16: each value follows its key.
strings=$(strings -el "$exe")
expect() {
  grep -A1 -x "$1" <<<"$strings" | tail -n 1 | grep -qx "$2" || fail "$1 is not '$2'"
}
expect OriginalFilename "$original"
expect FileDescription "$description"
expect FileVersion "$version_commas"
expect ProductVersion "$version_commas"

# The manifest is plain text among the resources.
text=$(strings "$exe")
for word in "$@"; do
  grep -qF -- "$word" <<<"$text" || fail "the manifest does not say $word"
done
echo "check_windows_exe: $(basename "$exe"): $(wc -w <<<"$imports") system DLLs," \
  "version $version_commas${*:+, manifest with $*}"
