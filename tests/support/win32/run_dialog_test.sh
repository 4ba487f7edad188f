#!/usr/bin/env bash
# Runs a dialog test program under Wine with its windows unmanaged. Xvfb has no window
# manager, and Wine waits up to two seconds for one at every window it shows or hides as a
# managed window would be; unmanaged, the program's windows are its own and the wait goes.
# Usage: run_dialog_test.sh WINE PROGRAM.exe   (WINEPREFIX and DISPLAY set by the caller)
set -euo pipefail
wine=$1 program=$2
"$wine" reg add "HKCU\\Software\\Wine\\AppDefaults\\$(basename "$program")\\X11 Driver" \
  /v Managed /d N /f >/dev/null
exec "$wine" "$program"
