#!/usr/bin/env bash
# Runs the Win32 tests under Wine: a fresh prefix for this run, on a virtual display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/wine-env.sh"
rm -rf "$root/build/wine-test"
make_prefix "$root/build/wine-test"
start_xvfb
trap 'wineserver -k 2>/dev/null || true; kill $XVFB_PID 2>/dev/null || true' EXIT
mkdir -p "$root/build/screenshots"
cd "$root/build/windows"
status=0
ctest --output-on-failure -j1 "$@" || status=$?
# The Win32 tests save their screenshots as bitmaps; keep them as PNG.
for bitmap in "$root"/build/screenshots/*.bmp; do
  [ -e "$bitmap" ] && convert "$bitmap" "${bitmap%.bmp}.png" && rm -f "$bitmap"
done
exit $status
