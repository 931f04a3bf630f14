#!/usr/bin/env bash
# Kills the program in the middle of its saves, many times: an edit in network mode writes the mapping
# file and the sync file, a close writes the settings. Each kill follows, as inotify reports it, a change
# picked at random among those a save makes to its files, so that it falls among that save's writes. After every kill the mapping file must be wholly
# the old or wholly the new tables, the sync file a whole record that counts the change or not, and the
# settings file, written in place, what it was.
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
cp "$settings" "$work/settings.ini"
checked=0 bad=0 saved=0 done=0 in_write=0
report_bad() {
  echo "run $1: $2"
  bad=$((bad + 1))
}

# kill_at_event PID K: kills the process at the K-th change a save makes to its files (a file created,
# written, closed after writing, renamed or removed in the shared folder, or the settings file written),
# seen through inotify as it happens; or once nothing has changed for 5 s. Sets `cut`: the K-th change
# came and the process still ran, so the kill fell among the writes of a save.
kill_at_event() {
  local seen=0 event
  cut=0
  while [ "$seen" -lt "$2" ] && read -r -t 5 -u "${WATCH[0]}" event; do seen=$((seen + 1)); done
  if kill -9 "$1" 2>/dev/null && [ "$seen" -eq "$2" ]; then cut=1; fi
}

# The change count of a sync file.
change_count() { od -An -tu4 -N4 "$1" | tr -d ' '; }

for run in $(seq "$runs"); do
  if [ "$SECONDS" -ge "$budget" ]; then
    echo "run $run: not started, the time of $budget s is up"
    break
  fi
  # Row 0 stays as it is: the start-up check reads it.
  row=$((1 + run % 19)) code=$((33 + run % 90))
  cp "$shared/SHARED.TVX" "$work/old.tvx"
  count=$(change_count "$shared/SHARED.TVS")
  cp "$work/old.tvx" "$work/new.tvx"
  printf "\\$(printf '%03o' "$code")" | dd of="$work/new.tvx" bs=1 seek=$((1078 + row)) conv=notrunc status=none
  # Every other run the kill falls into a close, which writes the settings, in a few changes. An edit takes
  # the lock, saves the mapping file and frees the lock, a score of changes or so; every other edit the
  # kill is aimed at the few changes of the mapping file alone.
  watched=(-e modify,create,moved_to,delete,close_write --format '%e %f')
  if [ $((run % 2)) -eq 1 ]; then
    what="a close" at=$((1 + RANDOM % 3))
  elif [ $((run % 4)) -eq 0 ]; then
    what="an edit" at=$((1 + RANDOM % 24))
  else
    what="the mapping file's save" at=$((1 + RANDOM % 4)) watched+=(--exclude 'SHARED\.TV[SK]$')
  fi
  coproc WATCH { exec inotifywait -m -q "${watched[@]}" "$shared" "$settings"; }
  sleep 0.3  # the watches in place
  if [ $((run % 2)) -eq 1 ]; then
    close_tavrix "$m" &
  else
    drive "$m" edit "$row" "$code" >/dev/null &
  fi
  helper=$!
  kill_at_event "${machine_pid[$m]}" "$at"
  kill "$WATCH_PID" 2>/dev/null || true
  wait "$WATCH_PID" 2>/dev/null || true
  wait "${machine_pid[$m]}" 2>/dev/null || true
  # The machine's other programs go too: a driver still waiting for a main window would edit the next one.
  WINEPREFIX=$m wineserver -k 2>/dev/null || true
  wait "$helper" 2>/dev/null || true

  checked=$((checked + 3))
  cmp -s "$shared/SHARED.TVX" "$work/new.tvx" && saved=$((saved + 1))
  in_write=$((in_write + cut))
  after=$(change_count "$shared/SHARED.TVS")
  # A kill between writing the new mapping file and putting it in place leaves it beside the old one:
  # nothing else may stay.
  find "$shared" -mindepth 1 ! -name 'SHARED.TV[XSK]' -delete
  if ! cmp -s "$shared/SHARED.TVX" "$work/old.tvx" && ! cmp -s "$shared/SHARED.TVX" "$work/new.tvx"; then
    report_bad "$run" "the mapping file is neither the old nor the new one ($(stat -c %s "$shared/SHARED.TVX") bytes)"
  fi
  [ "$(stat -c %s "$shared/SHARED.TVS")" = 14 ] || report_bad "$run" "the sync file is not one whole record"
  [ "$after" = "$count" ] || [ "$after" = $((count + 1)) ] ||
    report_bad "$run" "the sync file counts $after changes after $count"
  cmp -s "$settings" "$work/settings.ini" || report_bad "$run" "the settings file changed: $(tr '\r\n' '  ' <"$settings")"
  # A lock or a guard the killed instance left stays: the next instance passes the guard after 10 s and
  # takes the lock over after a minute, as it would on a user's machine.
  start_tavrix "$m" || report_bad "$run" "the program did not start again"
  done=$run
  echo "run $run: killed during $what at change $at, $([ "$cut" = 1 ] && echo "inside its writes" || echo "outside any write"); $SECONDS s so far"
done

echo "kill during save: $done runs, $in_write kills inside a write ($saved edits saved before the kill)," \
  "$checked files checked, $bad short or mixed"
echo "$((done - bad)) passed, $bad failed"
# Kills outside the writes check nothing. A kill is aimed at a change within the save, so only a change
# number past a save's last misses; fewer than a third landing (5 of 16) means the program wrote far less
# than it should, or the kills came too late, and the test has not shown what it is for.
[ "$bad" -eq 0 ] && [ "$done" -gt 0 ] && [ $((in_write * 3)) -ge "$done" ] ||
  { [ "$bad" -ne 0 ] || echo "only $in_write of $done kills landed inside a write"; false; }
