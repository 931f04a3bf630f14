#!/usr/bin/env bash
# Sourced by the tests that put Tavrix 98 on several "machines": each machine is a Wine prefix of its own,
# so its Wine server sees nothing of the others but the files. They reach one shared folder either as S:
# (a local folder) or as \\FILESERVER\TAVRIX on a file server of the tests' own (fileserver.sh), each
# through a client session of its own. The machines run on the display of the caller.
set -euo pipefail
machines_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
. "$machines_root/scripts/wine-env.sh"
. "$machines_root/tests/win/fileserver.sh"
windows_build="$machines_root/build/windows"
declare -A machine_pid=() machine_clock=()

# make_machine DIR SHARED: a prefix with network mode on and the shared file current, SHARED as S:.
make_machine() {
  local prefix=$1 shared=$2
  (make_prefix "$prefix")
  ln -sfn "$shared" "$prefix/dosdevices/s:"
  write_settings "$prefix" 'S:\SHARED.TVX'
}

# make_share_machine DIR [CLOCK]: the same on the file server's share, mounted by this machine alone;
# CLOCK ("+5m") puts the machine's clock that far from the others.
make_share_machine() {
  local prefix=$1
  (make_prefix "$prefix")
  mount_share "$prefix.share"
  mkdir -p "$prefix/dosdevices/unc/fileserver"
  ln -sfn "$prefix.share" "$prefix/dosdevices/unc/fileserver/tavrix"
  write_settings "$prefix" '\\FILESERVER\TAVRIX\SHARED.TVX'
  [ -z "${2:-}" ] || machine_clock[$prefix]=$2
}

write_settings() {
  printf '[Misc]\r\nCurrent File=%s\r\n[Network]\r\nNetwork Mode=Yes\r\nAuto Sync=No\r\n' "$2" \
    >"$1/drive_c/windows/TAVRIX.INI"
}

# machine_wine PREFIX: sets `wine_on` to the command that runs Wine on that machine, on its clock (the
# machine's Wine server is started by its first program, so it runs on that clock too). The library of
# faketime is preloaded, not its command: that command waits until every process it started has let go
# of its output, which the Wine server it starts never does.
machine_wine() {
  wine_on=(env "WINEPREFIX=$1")
  [ -z "${machine_clock[$1]:-}" ] ||
    wine_on+=("LD_PRELOAD=/usr/lib/$(uname -m)-linux-gnu/faketime/libfaketimeMT.so.1" "FAKETIME=${machine_clock[$1]}")
  wine_on+=(wine)
}

# start_tavrix PREFIX [EXE]: starts the program on that machine and waits for its window.
start_tavrix() {
  local prefix=$1 exe=${2:-$windows_build/TAVRIX.EXE}
  machine_wine "$prefix"
  "${wine_on[@]}" "$exe" >/dev/null 2>&1 &
  machine_pid[$prefix]=$!
  wait_for_tavrix "$prefix"
}

# wait_for_tavrix PREFIX: true once the program's window is there; a first start on a new machine can
# take a while on a busy one.
wait_for_tavrix() {
  local attempt
  for attempt in 1 2 3 4 5 6; do
    [ "$(drive "$1" byte 0)" = "byte 65" ] && return 0
  done
  return 1
}

# on_machine PREFIX SECONDS PROGRAM ARGS...: runs a Windows program there, killed if it is still running
# after SECONDS (a program that waits on a machine whose server was just killed may never return).
on_machine() {
  local prefix=$1 seconds=$2
  shift 2
  local wine_on
  machine_wine "$prefix"
  timeout -s KILL "$seconds" "${wine_on[@]}" "$@" >/dev/null 2>&1
}

# drive PREFIX COMMAND ARGS...: runs the machine driver there and prints its result.
drive() {
  local prefix=$1 name limit=60
  shift
  # A soak, or a stall, runs for the seconds it is given.
  [ "$1" = soak ] && limit=$(($2 + 60))
  [ "$1" = stall ] && limit=$(($3 + 60))
  name="driver-$BASHPID-$RANDOM.txt"
  on_machine "$prefix" "$limit" "$windows_build/machine_driver.exe" "C:\\$name" "$@" || true
  cat "$prefix/drive_c/$name" 2>/dev/null || true
  rm -f "$prefix/drive_c/$name"
}

# signal_tavrix PREFIX SIGNAL: sends SIGNAL (STOP, CONT) to the program's processes on that machine, by
# their ids: STOP is a machine that sleeps, CONT one that wakes up.
signal_tavrix() {
  local pid
  for pid in $(grep -lai 'TAVRIX\.EXE' /proc/[0-9]*/cmdline 2>/dev/null | cut -d/ -f3); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$1" && kill -s "$2" "$pid"
  done
  return 0
}

# close_tavrix PREFIX: closes the program there the way its user would, if it runs.
close_tavrix() {
  on_machine "$1" 30 "$windows_build/close_tavrix.exe" || true
}

# stop_machine PREFIX: closes the program (if it still runs) and the machine's Wine server.
stop_machine() {
  local prefix=$1
  close_tavrix "$prefix"
  WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
}

# expect WHAT ACTUAL EXPECTED: one check of a scenario, counted; expectations_met reports them all.
passes=0 failures=0
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
expectations_met() {
  echo "$passes passed, $failures failed"
  [ "$failures" -eq 0 ]
}

# sync_record FILE: "count state" of a sync file.
sync_record() {
  od -A n -t d4 -N 4 "$1" | tr -d ' \n'
  printf ' '
  od -A n -t u2 -j 4 -N 2 "$1" | tr -d ' \n'
}
