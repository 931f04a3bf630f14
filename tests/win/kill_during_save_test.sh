#!/usr/bin/env bash
# Kills the program at random moments of its saves, many times: an edit in network mode writes the mapping
# file and the sync file, a close writes the settings. After every kill the mapping file must be wholly the
# old or wholly the new tables, the sync file a whole record, and the settings file must hold every key.
. "$(dirname "$0")/machines.sh"
runs=${KILL_RUNS:-16}
# A slow machine does fewer runs rather than run into the test's time limit.
budget=${KILL_SECONDS:-200}
work=$(mktemp -d)
shared="$work/shared"
mkdir -p "$shared"
m="$work/machine"
trap 'stop_machine "$m"; rm -rf "$work"' EXIT

make_machine "$m" "$shared"
start_tavrix "$m"
# One normal close first, so the settings file holds all its keys.
close_tavrix "$m"
start_tavrix "$m"
settings="$m/drive_c/windows/TAVRIX.INI"
checked=0 bad=0 saved=0 done=0
report_bad() {
  echo "run $1: $2"
  bad=$((bad + 1))
}

for run in $(seq "$runs"); do
  if [ "$SECONDS" -ge "$budget" ]; then
    echo "run $run: not started, the time of $budget s is up"
    break
  fi
  # Row 0 stays as it is: the start-up check reads it.
  row=$((1 + run % 19)) code=$((33 + run % 90))
  cp "$shared/SHARED.TVX" "$work/old.tvx"
  cp "$work/old.tvx" "$work/new.tvx"
  printf "\\$(printf '%03o' "$code")" | dd of="$work/new.tvx" bs=1 seek=$((1078 + row)) conv=notrunc status=none
  # Every other run the kill falls into a close, which writes the settings.
  if [ $((run % 2)) -eq 0 ]; then
    what="an edit"
    drive "$m" edit "$row" "$code" >/dev/null &
  else
    what="a close"
    close_tavrix "$m" &
  fi
  helper=$!
  delay="0.$((RANDOM % 10))$((RANDOM % 10))"
  sleep "$delay"
  kill -9 "${machine_pid[$m]}" 2>/dev/null || true
  wait "${machine_pid[$m]}" 2>/dev/null || true
  # The machine's other programs go too: a driver still waiting for a main window would edit the next one.
  WINEPREFIX=$m wineserver -k 2>/dev/null || true
  wait "$helper" 2>/dev/null || true

  checked=$((checked + 3))
  cmp -s "$shared/SHARED.TVX" "$work/new.tvx" && saved=$((saved + 1))
  if ! cmp -s "$shared/SHARED.TVX" "$work/old.tvx" && ! cmp -s "$shared/SHARED.TVX" "$work/new.tvx"; then
    report_bad "$run" "the mapping file is neither the old nor the new one ($(stat -c %s "$shared/SHARED.TVX") bytes)"
  fi
  [ "$(stat -c %s "$shared/SHARED.TVS")" = 14 ] || report_bad "$run" "the sync file is not one whole record"
  [ "$(grep -c '=' "$settings")" = 12 ] || report_bad "$run" "the settings file lost keys"
  # A lock or a guard the killed instance left stays: the next instance passes the guard after 10 s and
  # takes the lock over after a minute, as it would on a user's machine.
  start_tavrix "$m" || report_bad "$run" "the program did not start again"
  done=$run
  echo "run $run: killed $delay s after starting $what; $SECONDS s so far"
done

echo "kill during save: $done runs ($saved edits saved before the kill), $checked files checked, $bad short or mixed"
echo "$((done - bad)) passed, $bad failed"
# A run that kills nothing would pass without checking anything.
[ "$bad" -eq 0 ] && [ "$done" -gt 0 ]
