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

source "$(dirname "$0")/../e2e_files.sh"
make_e2e_files "$work"
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
# Waits for the window titled $1 (a regular expression), says it was seen, and closes it
# with Enter.
see_and_close() {
  local found
  found=$(timeout 20 xdotool search --sync --name "$1" | head -n 1)
  [ -n "$found" ] || { echo "no window '$1'"; exit 1; }
  echo "saw the '$1' window"
  focus "$found"
  xdotool key Return
  for _ in $(seq 50); do xdotool search --name "$1" >/dev/null || break; sleep 0.1; done
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

see_and_close '^Zarneth done$'
cmp "$work/patched.bin" "$work/expected.bin"
echo "patched copy matches byte for byte"

# Back to the start address: a typo with a letter O, then Do again.
focus "$window"
xdotool key --delay 50 shift+Tab shift+Tab shift+Tab
xdotool key ctrl+a
xdotool type --delay 5 "1CD8OO"
xdotool key Return
see_and_close '^Can.t doing$'
cmp "$work/image.bin" "$work/image.orig"
echo "the image is unchanged"
focus "$window"
xdotool key Escape
wait $app
