#!/usr/bin/env bash
# The Keys table from real X keystrokes, on a display whose Caps Lock has no lock action (what a swallowed
# Caps Lock is on Windows; else X keeps its own state and Wine presses Caps Lock again to follow it) and no
# repeat (a hold shows as one press). A Wine server keeps the keymap it first saw: a prefix of its own.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/scripts/wine-env.sh"
work=$(mktemp -d)
XVNC_PID=
trap 'WINEPREFIX=$work/prefix wineserver -k 2>/dev/null; [ -z "$XVNC_PID" ] || kill "$XVNC_PID"; rm -rf "$work"' EXIT
(make_prefix "$work/prefix")
start_xvnc
setxkbmap -layout us
xkbcomp -xkb "$DISPLAY" "$work/caps.xkb"
sed -i -e '/interpret Caps_Lock+AnyOfOrNone(all)/,/};/s/action= *LockMods([^)]*);/action= NoAction();/' \
  -e '/modifier_map Lock { <CAPS> };/d' -e 's/key <CAPS> { *\[/key <CAPS> { repeat= No, [/' "$work/caps.xkb"
xkbcomp -w0 "$work/caps.xkb" "$DISPLAY"
TAVRIX_CAPS_NO_LOCK=1 WINEPREFIX=$work/prefix wine "$root/build/windows/key_remaps_scenario.exe"
