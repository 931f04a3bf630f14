#!/usr/bin/env bash
# The installer on a machine of its own (a fresh Wine prefix): a silent install puts the program into the
# user's folder with its shortcuts and its uninstall entry; the installed program starts; a silent
# uninstall removes what was installed and leaves the user's mapping file and settings.
. "$(dirname "$0")/machines.sh"
setup="$machines_root/build/dist/Tavrix98-Setup.exe"
work=$(mktemp -d)
prefix="$work/machine"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tavrix98'
passes=0 failures=0
trap 'stop_machine "$prefix"; rm -rf "$work"' EXIT

check() {
  local what=$1
  shift
  if "$@"; then
    echo "ok: $what"
    passes=$((passes + 1))
  else
    echo "FAILED: $what"
    failures=$((failures + 1))
  fi
}
registered() { WINEPREFIX=$prefix wine reg query "$key" /v DisplayName >/dev/null 2>&1; }
# The show command of a shortcut (offset 0x3C of the link): 2 or 7 is minimised.
starts_minimised() { case $(od -A n -t u4 -j 60 -N 4 "$1" | tr -d ' ') in 2 | 7) return 0 ;; esac; return 1; }

[ -f "$setup" ] || { echo "no installer: run make dist"; exit 1; }
(make_prefix "$prefix")
users="$prefix/drive_c/users/$(whoami)"
installed="$users/AppData/Local/Programs/Tavrix 98"
menu="$users/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"

WINEPREFIX=$prefix wine "$setup" /S >/dev/null 2>&1
check "the program is in the user's folder" test -f "$installed/TAVRIX.EXE" -a -f "$installed/TAVRIXHK.DLL"
check "a Start-menu shortcut" test -f "$menu/Tavrix 98.lnk"
check "a start with Windows, minimised" starts_minimised "$menu/StartUp/Tavrix 98.lnk"
check "an uninstall entry" registered

check "the installed program starts and shows its window" start_tavrix "$prefix" "$installed/TAVRIX.EXE"
check "it made its mapping file beside itself" test -f "$installed/KEY.TVX"

# The uninstaller closes the running program first, and runs on from a copy of itself.
WINEPREFIX=$prefix wine "$installed/Uninstall.exe" /S >/dev/null 2>&1
for _ in $(seq 100); do [ -f "$installed/TAVRIX.EXE" ] || break; sleep 0.2; done
WINEPREFIX=$prefix wineserver -w
check "the program files are gone" test ! -e "$installed/TAVRIX.EXE" -a ! -e "$installed/TAVRIXHK.DLL" \
  -a ! -e "$installed/Uninstall.exe"
check "the shortcuts are gone" test ! -e "$menu/Tavrix 98.lnk" -a ! -e "$menu/StartUp/Tavrix 98.lnk"
check "the uninstall entry is gone" eval '! registered'
check "the mapping file stays" test -f "$installed/KEY.TVX"
check "the settings stay" test -f "$prefix/drive_c/windows/TAVRIX.INI"

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
