#!/usr/bin/env bash
# zarneth.exe under Wine, driven with the keyboard only, as a person would: through the tab
# order it types the source, the transcript and a new destination, presses Enter, sees
# "Zarneth done" and the copy patched byte for byte; then a typo in the start address gives
# the failure dialog, and the image is untouched.
# Usage: e2e_keyboard.sh PATH/TO/zarneth.exe WINE WINEPREFIX
set -euo pipefail
if [ -z "${ZARNETH_E2E_DISPLAY:-}" ]; then
  exec env ZARNETH_E2E_DISPLAY=1 xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
program=$1 wine=$2
export WINEPREFIX=$3 WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
work=$(mktemp -d)
trap 'kill $app 2>/dev/null || true; "$wine"server -k 2>/dev/null || true; rm -rf "$work"' EXIT

head -c 2097152 /dev/urandom >"$work/image.bin"
head -c 75776 /dev/urandom >"$work/transcript.bin"
cp "$work/image.bin" "$work/image.orig"
# The expected copy: V135's block at 0x1CD800 (1890304) replaced by the transcript.
{ head -c 1890304 "$work/image.bin"; cat "$work/transcript.bin";
  tail -c +$((1890304 + 75776 + 1)) "$work/image.bin"; } >"$work/expected.bin"
windows() { "$wine" winepath -w "$1" 2>/dev/null; }
# A window Wine has just created may not be viewable yet; focusing it then fails.
focus() {
  for _ in $(seq 100); do
    xdotool windowfocus --sync "$1" 2>/dev/null && return 0
    sleep 0.1
  done
  echo "cannot focus window $1" >&2
  return 1
}

"$wine" "$program" & app=$!
window=$(timeout 60 xdotool search --sync --name '^Zarneth language for Alcatel BE4 V4.0' | head -n 1)
focus "$window"
sleep 0.5
# Focus starts on the model list; then start address, source, transcript, destination.
xdotool key --delay 50 Tab Tab
xdotool type --delay 5 "$(windows "$work/image.bin")"
xdotool key Tab
xdotool type --delay 5 "$(windows "$work/transcript.bin")"
xdotool key Tab
xdotool type --delay 5 "$(windows "$work/patched.bin")"
xdotool key Return

done_window=$(timeout 20 xdotool search --sync --name '^Zarneth done$' | head -n 1)
[ -n "$done_window" ] || { echo "no 'Zarneth done' window"; exit 1; }
echo "saw the 'Zarneth done' window"
focus "$done_window"
xdotool key Return
for _ in $(seq 50); do xdotool search --name '^Zarneth done$' >/dev/null || break; sleep 0.1; done
cmp "$work/patched.bin" "$work/expected.bin"
echo "patched copy matches byte for byte"

# Back to the start address: a typo with a letter O, then Do again.
focus "$window"
xdotool key --delay 50 shift+Tab shift+Tab shift+Tab
xdotool key ctrl+a
xdotool type --delay 5 "1CD8OO"
xdotool key Return
failed=$(timeout 20 xdotool search --sync --name "^Can.t doing$" | head -n 1)
[ -n "$failed" ] || { echo "no failure dialog"; exit 1; }
echo "saw the failure dialog"
focus "$failed"
xdotool key Return
cmp "$work/image.bin" "$work/image.orig"
echo "the image is unchanged"
focus "$window"
xdotool key Escape
wait $app
