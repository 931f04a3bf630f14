#!/usr/bin/env bash
# Network soak on a file server of the tests' own: four instances on four machines (Wine prefixes, each
# with its own sshfs session) edit one shared mapping file at once, each its own cells with ever new
# characters, for ten minutes (SOAK_SECONDS). Machine 2 runs 5 minutes ahead; machine 4 is killed (kill -9
# in the middle of an edit) and started again every two minutes; on machine 1 another program opens the
# sync file for reading now and then. Then the shared file must hold every edit its instance saw saved, and
# no instance may ever have seen one of its saved edits lost or waited more than 5 s for an answer.
# Prints the figures; exits non-zero on a loss or a hang.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tests/win/machines.sh"
seconds=${SOAK_SECONDS:-600}
round=${SOAK_KILL_SECONDS:-120}
work=$(mktemp -d -p "$root/build" soak.XXXXXX)
machines=("$work/m1" "$work/m2" "$work/m3" "$work/m4")
# Row 0 stays as it is: the check that a restarted program is up reads it.
rows=("1,5,9,13" "2,6,10,14" "3,7,11,15" "4,8,12,16")
killed=${machines[3]} reader=""
start_xvfb
cleanup() {
  [ -z "$reader" ] || kill "$reader" 2>/dev/null || true
  for m in "${machines[@]}"; do stop_machine "$m"; done
  stop_fileserver
  kill "$XVFB_PID" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

start_fileserver "$work/server"
shared=$fileserver_share
make_share_machine "${machines[0]}"
make_share_machine "${machines[1]}" +5m
make_share_machine "${machines[2]}"
make_share_machine "$killed"
for m in "${machines[@]}"; do start_tavrix "$m"; done
echo "Four instances edit \\\\FILESERVER\\TAVRIX\\SHARED.TVX for $seconds s..."
ends=$((SECONDS + seconds))
drivers=()
for i in 0 1 2; do
  drive "${machines[$i]}" soak "$seconds" "${rows[$i]}" >"$work/result$i" &
  drivers+=($!)
done
# The reader on machine 1: the sync file held for a second or two, every few seconds.
(
  while [ "$SECONDS" -lt "$ends" ]; do
    sleep $((3 + RANDOM % 8))
    drive "${machines[0]}" read '\\FILESERVER\TAVRIX\SHARED.TVS' $((1000 + RANDOM % 1000)) >/dev/null
  done
) &
reader=$!
# Machine 4 edits for most of each round, then dies at a random moment of one more edit (of row 18, which
# no soak checks: that edit may or may not be saved).
kills=0
while [ $((ends - SECONDS)) -gt 10 ]; do
  left=$((ends - SECONDS))
  drive "$killed" soak $((left < round ? left - 5 : round - 5)) "${rows[3]}" >>"$work/result3"
  drive "$killed" edit 18 $((33 + RANDOM % 90)) >/dev/null &
  sleep "$((RANDOM % 3)).$((RANDOM % 10))"
  kill -9 "${machine_pid[$killed]}" 2>/dev/null || true
  WINEPREFIX=$killed wineserver -k 2>/dev/null || true
  wait 2>/dev/null "${machine_pid[$killed]}" || true
  kills=$((kills + 1))
  [ $((ends - SECONDS)) -le 10 ] || start_tavrix "$killed"
done
wait "${drivers[@]}" "$reader"

tried=0 saved=0 inuse=0 notices=0 notsaved=0 lost=0 hangs=0 longest=0 missing=0
for i in "${!machines[@]}"; do
  while read -r _ t _ s _ u _ n _ x _ l _ h _ w; do
    echo "instance $((i + 1)): tried $t, saved $s, refused as in use $u, reloaded first $n, not saved $x, lost $l, hangs $h, longest answer $w ms"
    tried=$((tried + t)) saved=$((saved + s)) inuse=$((inuse + u)) notices=$((notices + n))
    notsaved=$((notsaved + x)) lost=$((lost + l)) hangs=$((hangs + h))
    [ "$w" -le "$longest" ] || longest=$w
  done < <(grep '^tried ' "$work/result$i")
  grep '^other ' "$work/result$i" | sed "s/^/instance $((i + 1)): /" || true
  # The last saved character of each row, as the last round of that instance saw it.
  declare -A cells=()
  while read -r _ row code; do cells[$row]=$code; done < <(grep '^cell ' "$work/result$i")
  for row in "${!cells[@]}"; do
    byte=$(od -A n -t u1 -j $((1078 + row)) -N 1 "$shared/SHARED.TVX" | tr -d ' ')
    [ "$byte" = "${cells[$row]}" ] || missing=$((missing + 1))
  done
  unset cells
done
count=$(sync_record "$shared/SHARED.TVS")
echo "tried $tried, saved $saved, refused $inuse, reloaded $notices, not saved $notsaved"
echo "lost $lost (as seen by the instances), $missing saved edits missing from the file"
echo "hangs $hangs (attempts not answered within 5 s), longest FileInUse wait $longest ms"
echo "change count and lock: $count (saved $saved, plus up to $kills edits of the killed machine)"
# Every saved edit counted once; an edit of the killed machine may have been counted before it died.
changes=${count% *}
[ "$lost" -eq 0 ] && [ "$missing" -eq 0 ] && [ "$hangs" -eq 0 ] && [ "$changes" -ge $((1 + saved)) ] &&
  [ "$changes" -le $((1 + saved + kills)) ]
