#!/usr/bin/env bash
# Drives the real program with the keyboard only, as a person would: through the tab order
# it types the source, the transcript and a new destination, presses Enter, sees the
# "Zarneth done" window, closes it, and checks the patched file byte for byte.
# Usage: e2e_keyboard.sh PATH/TO/zarneth
set -euo pipefail
if [ -z "${ZARNETH_E2E_DISPLAY:-}" ]; then
  exec env ZARNETH_E2E_DISPLAY=1 xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
program=$1
work=$(mktemp -d)
trap 'kill $app 2>/dev/null || true; rm -rf "$work"' EXIT

source "$(dirname "$0")/e2e_files.sh"
make_e2e_files "$work"

"$program" & app=$!
window=$(timeout 20 xdotool search --sync --name '^Zarneth language for Alcatel BE4 V4.0' | head -n 1)
xdotool windowfocus --sync "$window"
sleep 0.3
# Focus starts on the model list; then start address, source, transcript, destination.
xdotool key --delay 50 Tab Tab
xdotool type --delay 5 "$work/image.bin"
xdotool key Tab
xdotool type --delay 5 "$work/transcript.bin"
xdotool key Tab
xdotool type --delay 5 "$work/patched.bin"
xdotool key Return

done_window=$(timeout 20 xdotool search --sync --name '^Zarneth done$' | head -n 1)
[ -n "$done_window" ] || { echo "no 'Zarneth done' window"; exit 1; }
echo "saw the 'Zarneth done' window"
xdotool windowfocus --sync "$done_window" key Return
for _ in $(seq 50); do xdotool search --name '^Zarneth done$' >/dev/null || break; sleep 0.1; done

cmp "$work/patched.bin" "$work/expected.bin"
cmp "$work/image.bin" "$work/image.orig"
echo "patched copy matches byte for byte; the image is unchanged"
xdotool windowfocus --sync "$window" key Escape
wait $app
