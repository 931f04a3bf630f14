#!/usr/bin/env bash
# The typing scenario on the US, German and French keymaps, on a display that carries them (Xvnc). A Wine
# server keeps the keymap it first saw, so each keymap runs on a machine (a Wine prefix) of its own.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/scripts/wine-env.sh"
work=$(mktemp -d)
XVNC_PID=
cleanup() {
  local prefix
  for prefix in "$work"/*/; do WINEPREFIX=$prefix wineserver -k 2>/dev/null || true; done
  [ -z "$XVNC_PID" ] || kill "$XVNC_PID" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
(make_prefix "$work/base")
start_xvnc
failures=0
for keymap in us de fr; do
  setxkbmap -layout "$keymap"
  cp -a "$work/base" "$work/$keymap"
  if TAVRIX_KEYMAP=$keymap WINEPREFIX=$work/$keymap wine "$root/build/windows/typing_scenario.exe"; then
    echo "ok: typing on the $keymap keymap"
  else
    echo "FAILED: typing on the $keymap keymap"
    failures=$((failures + 1))
  fi
  WINEPREFIX=$work/$keymap wineserver -k 2>/dev/null || true
done
[ "$failures" -eq 0 ]
