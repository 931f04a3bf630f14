#!/usr/bin/env bash
# Two users share one mapping file from two machines: a saved edit reaches the other user before that
# user's next edit, an open edit keeps the other user out, and the lock of a machine that died while
# holding it is taken over a minute later.
. "$(dirname "$0")/machines.sh"
work=$(mktemp -d)
shared="$work/shared"
mkdir -p "$shared"
a="$work/machine-a" b="$work/machine-b"
passes=0 failures=0
cleanup() {
  stop_machine "$a"
  stop_machine "$b"
  rm -rf "$work"
}
trap cleanup EXIT

expect() {
  local what=$1 actual=$2 expected=$3
  if [ "$actual" = "$expected" ]; then
    echo "ok: $what"
    passes=$((passes + 1))
  else
    echo "FAILED: $what: got '$actual', expected '$expected'"
    failures=$((failures + 1))
  fi
}

make_machine "$a" "$shared"
make_machine "$b" "$shared"
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

kill -9 "${machine_pid[$a]}"
wait "${machine_pid[$a]}" 2>/dev/null || true
WINEPREFIX=$a wineserver -k 2>/dev/null || true
expect "the lock outlives the dead machine" "$(sync_record "$shared/SHARED.TVS")" "2 1"
sleep 61
expect "a minute later B takes the lock over without a message" "$(drive "$b" edit 3 35)" "saved"
expect "the count holds both saved edits" "$(sync_record "$shared/SHARED.TVS")" "3 2"
expect "the file holds both" "$(od -A n -t u1 -j 1079 -N 3 "$shared/SHARED.TVX" | tr -s ' ')" " 126 67 35"

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
