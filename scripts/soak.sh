#!/usr/bin/env bash
# Network soak on a file server of the tests' own: four instances on four machines (Wine prefixes, each
# with its own sshfs session) edit one shared mapping file at once, each its own cells with ever new
# characters, for ten minutes (SOAK_SECONDS). Machine 2 runs 5 minutes ahead; machine 4 is killed (kill -9
# in the middle of an edit) and started again every two minutes; machine 3 sleeps (SIGSTOP) for 100 s once,
# at a random moment, while its user has an edit open: the others take its lock over a minute later, and
# when it wakes that edit is refused with the takeover notice and writes nothing; on machine 1 another
# program opens the sync file for reading now and then. Then the shared file must hold every edit its
# instance saw saved, and no instance may ever have seen one of its saved edits lost or waited more than 5 s
# for an answer. Runs of less than SOAK_SECONDS=150 leave the sleep out. Prints the figures; exits non-zero
# on a loss or a hang.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tests/win/machines.sh"
seconds=${SOAK_SECONDS:-600}
round=${SOAK_KILL_SECONDS:-120}
work=$(mktemp -d -p "$root/build" soak.XXXXXX)
machines=("$work/m1" "$work/m2" "$work/m3" "$work/m4")
# Row 0 stays as it is: the check that a restarted program is up reads it.
rows=("1,5,9,13" "2,6,10,14" "3,7,11,15" "4,8,12,16")
killed=${machines[3]} sleeper=${machines[2]} reader=""
sleep_seconds=100
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
for i in 0 1; do
  drive "${machines[$i]}" soak "$seconds" "${rows[$i]}" >"$work/result$i" &
  drivers+=($!)
done
# Machine 3 edits, then its user opens an edit of row 17 (which no soak checks) and the machine sleeps;
# once it wakes, the takeover notice comes and the edit is finished: "woken CODE NOTICE OUTCOME BYTE",
# separated by tabs, BYTE the character row 17 makes afterwards. Then it edits on.
(
  if [ "$seconds" -lt 150 ]; then
    drive "$sleeper" soak "$seconds" "${rows[2]}"
    exit
  fi
  drive "$sleeper" soak $((10 + RANDOM % (seconds - 150 + 1))) "${rows[2]}"
  # The others edit all the time: the lock is often theirs, or their change is to be reloaded first.
  for _ in $(seq 100); do [ "$(drive "$sleeper" hold 17)" = holding ] && break; done
  signal_tavrix "$sleeper" STOP
  sleep "$sleep_seconds"
  signal_tavrix "$sleeper" CONT
  code=$((33 + RANDOM % 49))  # never the row's own character, R
  notice=$(drive "$sleeper" box 40)
  outcome=$(drive "$sleeper" pick "$code")
  printf 'woken\t%s\t%s\t%s\t%s\n' "$code" "${notice#message }" "$outcome" "$(drive "$sleeper" byte 17)"
  left=$((ends - SECONDS))
  [ "$left" -le 10 ] || drive "$sleeper" soak $((left - 5)) "${rows[2]}"
) >"$work/result2" &
drivers+=($!)
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
# The edit of the machine that slept: refused by the takeover notice, and then neither in force nor in the
# file; or, where nobody took the lock over meanwhile, saved like any other.
stops=0 takenover=0 written=0 woke_saved=0
taken_text='Notice|Another user has taken over the Tavrix File.  Your change was not saved.'
while IFS=$'\t' read -r _ code notice outcome after; do
  stops=$((stops + 1))
  byte=$(od -A n -t u1 -j $((1078 + 17)) -N 1 "$shared/SHARED.TVX" | tr -d ' ')
  echo "instance 3 woke: notice '$notice', finishing its edit of row 17 (to $code) brought: ${outcome/#saved/no box}, in force: $after, in the file: $byte"
  if [ "$notice" = "$taken_text" ]; then
    takenover=$((takenover + 1))
    [ "$after" != "byte $code" ] && [ "$byte" != "$code" ] || written=$((written + 1))
  elif [ "$notice $outcome $after" = "nothing saved byte $code" ]; then
    saved=$((saved + 1)) woke_saved=$((woke_saved + 1))
    [ "$byte" = "$code" ] || missing=$((missing + 1))
  else
    notsaved=$((notsaved + 1))
  fi
done < <(grep $'^woken\t' "$work/result2")
count=$(sync_record "$shared/SHARED.TVS")
echo "tried $tried, saved $saved, refused $inuse, reloaded $notices, not saved $notsaved"
echo "machine stopped $stops times for $sleep_seconds s: its open edit refused by the takeover notice $takenover" \
  "times, written all the same $written"
echo "lost $lost (as seen by the instances), $missing saved edits missing from the file"
echo "hangs $hangs (attempts not answered within 5 s), longest FileInUse wait $longest ms"
echo "change count and lock: $count (saved $saved, plus up to $kills edits of the killed machine" \
  "and $stops takeovers of the stopped one)"
# Every saved edit counted once; an edit of the killed machine may have been counted before it died, and
# a takeover counts the change the holder taken over may have saved. The edit of the machine that slept is
# refused with the notice or saved, never anything else.
changes=${count% *}
[ "$lost" -eq 0 ] && [ "$missing" -eq 0 ] && [ "$hangs" -eq 0 ] && [ "$written" -eq 0 ] &&
  [ $((takenover + woke_saved)) -eq "$stops" ] &&
  [ "$changes" -ge $((1 + saved)) ] && [ "$changes" -le $((1 + saved + kills + stops)) ]
