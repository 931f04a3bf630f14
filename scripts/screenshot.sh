#!/usr/bin/env bash
# Makes docs/main-window.png, the README's picture, from the real program under Wine: a prefix and a
# virtual display of its own, the Keyboard Hot Keys page showing a few hot keys of a sample mapping file.
# Run it again after a change to the main window (`make build` first).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/wine-env.sh"
work=$(mktemp -d)
XVFB_PID=
trap 'wineserver -k 2>/dev/null || true; [ -z "$XVFB_PID" ] || kill $XVFB_PID 2>/dev/null || true; rm -rf "$work"' EXIT
make_prefix "$work/prefix"

tab=$'\t'
cat >"$work/sample.txt" <<SAMPLE
tavrix-mapping${tab}2
hotkey${tab}Alphabetic${tab}Alt${tab}D${tab}key Delete
hotkey${tab}Alphabetic${tab}Ctrl+Alt${tab}E${tab}char U+20AC
hotkey${tab}Alphabetic${tab}Win${tab}H${tab}key Home
hotkey${tab}Alphabetic${tab}Ctrl+Alt${tab}M${tab}text Kind regards,{Enter}Jane
hotkey${tab}Alphabetic${tab}Alt+Shift${tab}B${tab}char 64
hotkey${tab}Alphabetic${tab}Ctrl+Win${tab}K${tab}text {Ctrl+c}{Alt+Tab}{Delay 300}{Ctrl+v}
SAMPLE
"$root/build/native/tvxtool" import "$work/sample.txt" "$WINEPREFIX/drive_c/SAMPLE.TVX"
# The Hot Keys page (Remap=No) on the sample file.
printf '[Misc]\r\nRemap=No\r\nLast Keys=1\r\nCurrent File=C:\\SAMPLE.TVX\r\n' >"$WINEPREFIX/drive_c/windows/TAVRIX.INI"

start_xvfb
wine "$root/build/windows/TAVRIX.EXE" &
window=$(main_window) || exit 1
sleep 2
import -window "$window" "$root/docs/main-window.png"
wine "$root/build/windows/close_tavrix.exe" >/dev/null 2>&1 || true
wineserver -w
echo "docs/main-window.png made"
