#!/usr/bin/env bash
# Network soak: four instances on four machines (Wine prefixes) edit one shared mapping file at once, each
# its own cells with ever new characters, for ten minutes (SOAK_SECONDS). Then the shared file must hold
# every edit its instance saw saved, the change count must be one more than the saved edits, and no
# instance may ever have seen one of its saved edits lost. Prints the figures; exits non-zero on a loss.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tests/win/machines.sh"
seconds=${SOAK_SECONDS:-600}
work=$(mktemp -d)
shared="$work/shared"
mkdir -p "$shared"
machines=("$work/m1" "$work/m2" "$work/m3" "$work/m4")
rows=("0,4,8,12" "1,5,9,13" "2,6,10,14" "3,7,11,15")
start_xvfb
cleanup() {
  for m in "${machines[@]}"; do stop_machine "$m"; done
  kill "$XVFB_PID" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

for m in "${machines[@]}"; do make_machine "$m" "$shared"; done
for m in "${machines[@]}"; do start_tavrix "$m"; done
echo "Four instances edit S:\\SHARED.TVX for $seconds s..."
drivers=()
for i in "${!machines[@]}"; do
  drive "${machines[$i]}" soak "$seconds" "${rows[$i]}" >"$work/result$i" &
  drivers+=($!)
done
wait "${drivers[@]}"

tried=0 saved=0 inuse=0 notices=0 notsaved=0 lost=0 missing=0
for i in "${!machines[@]}"; do
  read -r _ t _ s _ u _ n _ x _ l <"$work/result$i"
  echo "instance $((i + 1)): tried $t, saved $s, refused as in use $u, reloaded first $n, not saved $x, lost $l"
  tried=$((tried + t)) saved=$((saved + s)) inuse=$((inuse + u)) notices=$((notices + n))
  notsaved=$((notsaved + x)) lost=$((lost + l))
  while read -r _ row code; do
    byte=$(od -A n -t u1 -j $((1078 + row)) -N 1 "$shared/SHARED.TVX" | tr -d ' ')
    [ "$byte" = "$code" ] || missing=$((missing + 1))
  done < <(grep '^cell ' "$work/result$i")
done
count=$(sync_record "$shared/SHARED.TVS")
echo "edits tried $tried, saved $saved, refused as in use $inuse, reloaded first $notices, not saved $notsaved"
echo "lost as seen by the instances: $lost; saved edits missing from the file: $missing"
echo "change count and lock: $count (expected $((1 + saved)) 2)"
[ "$lost" -eq 0 ] && [ "$missing" -eq 0 ] && [ "$count" = "$((1 + saved)) 2" ]
