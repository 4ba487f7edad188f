#!/usr/bin/env bash
# Starts the real program on a virtual display and waits for its window by caption.
# Usage: e2e_window.sh PATH/TO/zarneth   (runs itself under xvfb-run when there is no display)
set -euo pipefail
if [ -z "${ZARNETH_E2E_DISPLAY:-}" ]; then
  exec env ZARNETH_E2E_DISPLAY=1 xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
program=$1
"$program" & app=$!
trap 'kill $app 2>/dev/null || true' EXIT
window=$(timeout 20 xdotool search --sync --name '^Zarneth language for Alcatel BE4 V4.0 - zarneth mode$' | head -n 1)
[ -n "$window" ] || { echo "no window with the expected caption"; exit 1; }
geometry=$(xdotool getwindowgeometry "$window")
echo "found window $window: $geometry"
# The window's class is the one the desktop entry names, so docks show the program's icon.
class=$(xprop -id "$window" WM_CLASS | sed -n 's/.*= "\(.*\)", "\(.*\)"$/\2/p')
entry=$(dirname "$0")/../../resources/desktop-entry.desktop.in
[ "StartupWMClass=$class" = "$(grep '^StartupWMClass=' "$entry")" ] ||
  { echo "window class '$class' does not match the desktop entry"; exit 1; }
# Escape closes the dialog and with it the program.
xdotool windowfocus --sync "$window" key Escape
for _ in $(seq 50); do kill -0 $app 2>/dev/null || break; sleep 0.1; done
if kill -0 $app 2>/dev/null; then echo "the program did not end after Escape"; exit 1; fi
wait $app
echo "the program ended with the dialog"
# At 200 % the dialog at its font is wider than this 1024-pixel screen: it is drawn smaller,
# pictures too, so that all of it is in sight.
QT_SCALE_FACTOR=2 "$program" & app=$!
window=$(timeout 20 xdotool search --sync --name '^Zarneth language for Alcatel BE4 V4.0 - zarneth mode$' | head -n 1)
width=$(xdotool getwindowgeometry "$window" | sed -n 's/^ *Geometry: \([0-9]*\)x.*/\1/p')
[ -n "$width" ] && [ "$width" -le 1024 ] || { echo "at 200 % the dialog is $width pixels wide"; exit 1; }
echo "at 200 % the dialog fits the 1024-pixel screen: $width pixels wide"
