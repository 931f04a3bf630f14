#!/usr/bin/env bash
# The layout test again on two machines whose displays run at 144 and at 192 DPI (each a Wine prefix of
# its own, with the DPI set as the display settings set it); its screenshots stay in build/screenshots.
. "$(dirname "$0")/machines.sh"
work=$(mktemp -d)
failures=0
cleanup() {
  local dpi
  for dpi in 144 192; do WINEPREFIX="$work/dpi$dpi" wineserver -k 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$machines_root/build/screenshots"

for dpi in 144 192; do
  prefix="$work/dpi$dpi"
  (make_prefix "$prefix")
  WINEPREFIX=$prefix wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
    >/dev/null 2>&1
  WINEPREFIX=$prefix wineserver -w
  # The test is told the DPI it must find, so a machine that ignored the setting fails it.
  if TAVRIX_DPI=$dpi WINEPREFIX=$prefix wine "$windows_build/scaled_layout_test.exe" --gtest_filter='ScaledLayout.*'; then
    echo "ok: the layout at $dpi DPI"
  else
    echo "FAILED: the layout at $dpi DPI"
    failures=$((failures + 1))
  fi
  WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
done

[ "$failures" -eq 0 ]
