#!/usr/bin/env bash
# Two users share one mapping file on a file server, from two machines: a saved edit reaches the other user
# before that user's next edit, an open edit keeps the other user out, and the lock of a machine that died
# while holding it is taken over a minute later, after the tables are reloaded (the dead machine may have
# saved before it could count its change).
. "$(dirname "$0")/machines.sh"
skip_without_fuse
work=$(mktemp -d -p "$machines_root/build" two-machines.XXXXXX)
a="$work/machine-a" b="$work/machine-b"
cleanup() {
  stop_machine "$a"
  stop_machine "$b"
  stop_fileserver
  rm -rf "$work"
}
trap cleanup EXIT

start_fileserver "$work/server"
shared=$fileserver_share
make_share_machine "$a"
make_share_machine "$b"
start_tavrix "$a"
start_tavrix "$b"
expect "the shared file and its sync file" "$(stat -c %s "$shared/SHARED.TVX") $(sync_record "$shared/SHARED.TVS")" "1171 1 2"

expect "A saves an edit" "$(drive "$a" edit 1 126)" "saved"
expect "B is told of A's change instead of editing" "$(drive "$b" edit 2 33)" \
  'message Notice|Tavrix File has changed by another user.  Changed Tavrix file will be reloaded after clicking "ok".'
expect "B has A's tables" "$(drive "$b" byte 1)" "byte 126"

expect "A opens an edit" "$(drive "$a" hold 3)" "holding"
expect "B is kept out meanwhile" "$(drive "$b" edit 3 35)" \
  "message Error|Tavrix File in use by another user.  Please try again later."
# A saves row 5 and dies before it can count the change.
printf '\104' | dd of="$shared/SHARED.TVX" bs=1 seek=$((1078 + 5)) conv=notrunc status=none

kill -9 "${machine_pid[$a]}"
wait "${machine_pid[$a]}" 2>/dev/null || true
WINEPREFIX=$a wineserver -k 2>/dev/null || true
expect "the lock outlives the dead machine" "$(sync_record "$shared/SHARED.TVS")" "2 1"
sleep 61
expect "a minute later B takes the lock over without a message" "$(drive "$b" edit 3 35)" "saved"
expect "the count holds both counted edits" "$(sync_record "$shared/SHARED.TVS")" "3 2"
expect "the file holds every edit, the uncounted one too" \
  "$(od -A n -t u1 -j 1079 -N 5 "$shared/SHARED.TVX" | tr -s ' ')" " 126 67 35 69 68"

# A holds the lock and its program stops (a laptop asleep) for 100 s. B takes the lock over a minute
# later, saves and opens another edit. When A goes on, its heartbeat, save and release write nothing: the
# file keeps B's edit, the sync file B's lock, and A is told.
start_tavrix "$a"
expect "A opens an edit again" "$(drive "$a" hold 6)" "holding"
signal_tavrix "$a" STOP
stopped=$SECONDS
expect "B is kept out while A sleeps" "$(drive "$b" edit 6 36)" \
  "message Error|Tavrix File in use by another user.  Please try again later."
sleep 61
expect "a minute later B takes the lock over" "$(drive "$b" edit 6 36)" "saved"
expect "and B opens another edit" "$(drive "$b" hold 7)" "holding"
left=$((100 - (SECONDS - stopped)))
[ "$left" -le 0 ] || sleep "$left"
signal_tavrix "$a" CONT
expect "A is told its lock was taken over" "$(drive "$a" box 40)" \
  "message Notice|Another user has taken over the Tavrix File.  Your change was not saved."
expect "the file keeps B's edit" "$(od -A n -t u1 -j 1084 -N 1 "$shared/SHARED.TVX" | tr -s ' ')" " 36"
expect "the sync file keeps B's lock" "$(sync_record "$shared/SHARED.TVS")" "4 1"
expect "A has B's tables" "$(drive "$a" byte 6)" "byte 36"

expectations_met
