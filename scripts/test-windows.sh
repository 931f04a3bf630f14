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
  start_cups
fi
trap 'wineserver -k 2>/dev/null || true; kill $XVFB_PID 2>/dev/null || true; [ -z "$CUPSD_PID" ] || stop_cups' EXIT
mkdir -p "$root/build/screenshots"
cd "$root/build/windows"

# The Linux ids of the TAVRIX.EXE processes running in this run's prefix.
instances_left() {
  local pid
  for pid in $(grep -lai 'TAVRIX\.EXE' /proc/[0-9]*/cmdline 2>/dev/null | cut -d/ -f3); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && echo "$pid"
  done
  return 0
}

# One test program at a time. Each ends the programs it started, however it ends; should one outlive it
# all the same, that test fails and the instance is ended here, so the next test does not meet it.
passed=0 failed=0 skipped=0 failures= skips=
while read -r name <&3; do
  log=$(mktemp)
  ctest --output-on-failure -R "^$name\$" 3<&- 2>&1 | tee "$log" || true
  if grep -q '(Skipped)$' "$log"; then
    outcome=skipped
    # CTest shows nothing of a skipped test's output: its reason ("Skipped: ..." from a script, the line
    # after GoogleTest's "file:line: Skipped"), from the test's log.
    tr -d '\r' <Testing/Temporary/LastTest.log |
      awk '/^Output:$/ { out = 1; next } /^<end of output>$/ { out = 0 }
           out && (/^Skipped: / || last ~ /: Skipped$/) && !seen[$0]++ { print } { last = $0 }' |
      sed "s/^\(Skipped: \)\{0,1\}/$name skipped: /"
  elif grep -q '100% tests passed' "$log"; then
    outcome=passed
  else
    outcome=failed
  fi
  rm -f "$log"
  for _ in $(seq 50); do
    [ -z "$(instances_left)" ] && break
    sleep 0.1
  done
  left=$(instances_left)
  if [ -n "$left" ]; then
    echo "$name left TAVRIX.EXE running (Linux processes $(echo $left)): ended here"
    kill -KILL $left 2>/dev/null || true
    outcome=failed
  fi
  case $outcome in
    passed) passed=$((passed + 1)) ;;
    skipped) skipped=$((skipped + 1)) skips="$skips $name" ;;
    *) failed=$((failed + 1)) failures="$failures $name" ;;
  esac
done 3< <(ctest -N "$@" | sed -n 's/^ *Test *#[0-9]*: //p')
[ -z "$skips" ] || echo "Skipped:$skips"
[ -z "$failures" ] || echo "Failed:$failures"
echo "$passed passed, $failed failed, $skipped skipped"
status=0
[ "$failed" -eq 0 ] || status=1
# The Win32 tests save their screenshots as bitmaps and the printed guide as a PPM; keep them as PNG.
for bitmap in "$root"/build/screenshots/*.bmp "$root"/build/screenshots/*.ppm; do
  [ -e "$bitmap" ] && convert "$bitmap" "${bitmap%.*}.png" && rm -f "$bitmap"
done
exit $status
