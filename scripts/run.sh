#!/usr/bin/env bash
# Starts Tavrix 98 under Wine in a lasting prefix, so its settings and mapping file survive between runs.
# With no display it runs on a virtual one, saves a screenshot of the main window and waits for Ctrl+C,
# which closes the main window the normal way.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/wine-env.sh"
make_prefix "${TAVRIX_WINEPREFIX:-$HOME/.local/share/tavrix98/wineprefix}"
exe="$root/build/windows/TAVRIX.EXE"

if [ -n "${DISPLAY:-}" ]; then
  wine "$exe"
  wineserver -w
  exit 0
fi

start_xvfb
trap 'wineserver -k 2>/dev/null || true; kill $XVFB_PID 2>/dev/null || true' EXIT
wine "$exe" &
wine_pid=$!
window=$(main_window) || exit 1
sleep 1
mkdir -p "$root/build"
import -window "$window" "$root/build/screenshot.png"
echo "Tavrix 98 is running on virtual display $DISPLAY; screenshot of the main window: build/screenshot.png"
echo "Press Ctrl+C to close it."

close_program() {
  trap - INT TERM
  wine "$root/build/windows/close_tavrix.exe" >/dev/null 2>&1 || xdotool windowclose "$window" 2>/dev/null || true
  wait "$wine_pid" 2>/dev/null || true
  wineserver -w
  echo "Tavrix 98 closed."
  exit 0
}
trap close_program INT TERM
wait "$wine_pid" || true
