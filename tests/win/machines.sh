#!/usr/bin/env bash
# Sourced by the tests that put Tavrix 98 on several "machines": each machine is a Wine prefix of its own,
# so its Wine server sees nothing of the others but the files, and all of them reach one shared folder as
# S:. The machines run on the display of the caller.
set -euo pipefail
machines_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
. "$machines_root/scripts/wine-env.sh"
windows_build="$machines_root/build/windows"
declare -A machine_pid=()

# make_machine DIR SHARED: a prefix with network mode on and the shared file current.
make_machine() {
  local prefix=$1 shared=$2
  (make_prefix "$prefix")
  ln -sfn "$shared" "$prefix/dosdevices/s:"
  printf '[Misc]\r\nCurrent File=S:\\SHARED.TVX\r\n[Network]\r\nNetwork Mode=Yes\r\nAuto Sync=No\r\n' \
    >"$prefix/drive_c/windows/TAVRIX.INI"
}

# start_tavrix PREFIX [EXE]: starts the program on that machine and waits for its window.
start_tavrix() {
  local prefix=$1 exe=${2:-$windows_build/TAVRIX.EXE}
  WINEPREFIX=$prefix wine "$exe" >/dev/null 2>&1 &
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

# drive PREFIX COMMAND ARGS...: runs the machine driver there and prints its result.
drive() {
  local prefix=$1 out
  shift
  out=$(mktemp)
  WINEPREFIX=$prefix wine "$windows_build/machine_driver.exe" "$(WINEPREFIX=$prefix winepath -w "$out")" "$@" \
    >/dev/null 2>&1 || true
  cat "$out"
  rm -f "$out"
}

# stop_machine PREFIX: closes the program (if it still runs) and the machine's Wine server.
stop_machine() {
  local prefix=$1
  WINEPREFIX=$prefix wine "$windows_build/close_tavrix.exe" >/dev/null 2>&1 || true
  WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
}

# sync_record FILE: "count state" of a sync file.
sync_record() {
  od -A n -t d4 -N 4 "$1" | tr -d ' \n'
  printf ' '
  od -A n -t u2 -j 4 -N 2 "$1" | tr -d ' \n'
}
