# Sourced by the scripts that run Windows programs: Wine settings, prefixes and a virtual display.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
# Wine answers by the Unix locale (VkKeyScanExW, for one: with none set it names the E key for "é"), so the
# scripts that start Wine set the one the tests expect, whatever the caller's: C.UTF-8, which Debian always
# has.
export LANG=C.UTF-8 LC_ALL=C.UTF-8
unset LANGUAGE

# make_prefix DIR: a Wine prefix ready for our programs (no window manager waits, no crash dialog).
make_prefix() {
  export WINEPREFIX="$1"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wineserver -w
  fi
}

# start_display SERVER ARGUMENTS...: an X server on a display number it picks itself (a number whose socket
# file is missing here may still be taken in another namespace); sets DISPLAY and DISPLAY_PID.
start_display() {
  local server=$1 numberFile
  shift
  numberFile=$(mktemp)
  "$server" -displayfd 3 "$@" 3>"$numberFile" >/dev/null 2>&1 &
  DISPLAY_PID=$!
  for _ in $(seq 100); do
    if [ -s "$numberFile" ]; then
      export DISPLAY=":$(tr -d '[:space:]' <"$numberFile")"
      rm -f "$numberFile"
      return 0
    fi
    sleep 0.1
  done
  rm -f "$numberFile"
  echo "$server did not start" >&2
  return 1
}

# start_xvfb: a virtual display; sets DISPLAY and XVFB_PID.
start_xvfb() {
  start_display Xvfb -screen 0 1280x1024x24 -nolisten tcp || return 1
  XVFB_PID=$DISPLAY_PID
}

# start_xvnc: a virtual display that takes the keymap setxkbmap gives it (Xvfb keeps its US one); sets
# DISPLAY and XVNC_PID.
start_xvnc() {
  start_display Xvnc -SecurityTypes None -rfbport 0 -nolisten tcp -geometry 1024x768 -depth 24 || return 1
  XVNC_PID=$DISPLAY_PID
}

# main_window: the X window of Tavrix 98's main window on this display, once it shows (20 s at most).
main_window() {
  local window
  for _ in $(seq 100); do
    window=$(xdotool search --name '^Tavrix 98 \(' 2>/dev/null | head -n 1) && [ -n "$window" ] && echo "$window" && return 0
    sleep 0.2
  done
  echo "Tavrix 98 did not show its main window." >&2
  return 1
}
