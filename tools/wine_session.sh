# Sourced by the run and test scripts: a Wine prefix and, when there is no screen, a private
# virtual display with a private sound server (tools/audio_server.sh). wine_session_start sets
# WINEPREFIX, DISPLAY and WINE (and XDG_RUNTIME_DIR with the sound server); wine_session_stop ends
# what it started.
. "$(dirname "${BASH_SOURCE[0]}")/audio_server.sh"
WINE=/usr/lib/wine/wine64
[ -x "$WINE" ] || WINE=$(command -v wine64)
WINESERVER=$(dirname "$WINE")/wineserver
[ -x "$WINESERVER" ] || WINESERVER=$(command -v wineserver)
export WINEDEBUG=${WINEDEBUG:--all}
_xvfb_pidfile=""

# wine_session_start PREFIX [SCREEN] [force-xvfb]
wine_session_start() {
  export WINEPREFIX=$1
  local screen=${2:-1024x768x24}
  if [ -z "${DISPLAY:-}" ] || [ "${3:-}" = force-xvfb ]; then
    local n
    for n in $(seq 90 140); do
      [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
      _xvfb_pidfile=$(mktemp /tmp/skelvane-xvfb.XXXXXX)
      detached_start "$_xvfb_pidfile" Xvfb ":$n" -screen 0 "$screen" -nolisten tcp >/dev/null 2>&1 </dev/null
      export DISPLAY=":$n"
      local i
      for i in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
      break
    done
    # A machine without a screen has no sound card either; the tests need real devices.
    audio_server_start || true
  fi
  # A persistent server and Wine's own services, started with their output elsewhere: they
  # would otherwise inherit the output of the first program and keep its readers waiting.
  "$WINESERVER" -p >/dev/null 2>&1 </dev/null &
  sleep 0.2
  "$WINE" wineboot -i >/dev/null 2>&1 </dev/null
  # A crash ends the program at once with a backtrace on stderr, instead of waiting in the
  # debugger's dialog until a time-out.
  "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 </dev/null
  # Wine's own Tahoma (the dialogs' font on players' machines) and Marlett (caption buttons), where
  # this Wine does not find them by itself: without them dialogs are drawn and measured in a
  # substitute font.
  local font
  for font in tahoma.ttf tahomabd.ttf marlett.ttf; do
    [ -f "/usr/share/wine/fonts/$font" ] && [ ! -e "$WINEPREFIX/drive_c/windows/Fonts/$font" ] &&
      cp "/usr/share/wine/fonts/$font" "$WINEPREFIX/drive_c/windows/Fonts/"
  done
  return 0
}

wine_session_stop() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  if [ -n "$_xvfb_pidfile" ]; then
    detached_stop "$_xvfb_pidfile"
    _xvfb_pidfile=""
  fi
  audio_server_stop
}
