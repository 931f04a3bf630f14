#!/usr/bin/env bash
# Runs the Win32 tests under Wine: a fresh prefix for this run, on a virtual display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/wine-env.sh"
rm -rf "$root/build/wine-test"
make_prefix "$root/build/wine-test"
start_xvfb
# A print server of this run's own for the printing test; it needs root, as in CI.
CUPSD_PID=
if [ "$(id -u)" -eq 0 ]; then
  . "$root/scripts/cups-env.sh"
  start_cups "$root/build/cups"
  # cups-pdf writes each job into the PDF folder of the user who printed it.
  export TAVRIX_PDF_DIR="$(getent passwd "$(id -un)" | cut -d: -f6)/PDF"
fi
trap 'wineserver -k 2>/dev/null || true; kill $XVFB_PID 2>/dev/null || true; [ -z "$CUPSD_PID" ] || stop_cups' EXIT
mkdir -p "$root/build/screenshots"
cd "$root/build/windows"
status=0
ctest --output-on-failure -j1 "$@" || status=$?
# The Win32 tests save their screenshots as bitmaps and the printed guide as a PPM; keep them as PNG.
for bitmap in "$root"/build/screenshots/*.bmp "$root"/build/screenshots/*.ppm; do
  [ -e "$bitmap" ] && convert "$bitmap" "${bitmap%.*}.png" && rm -f "$bitmap"
done
exit $status
