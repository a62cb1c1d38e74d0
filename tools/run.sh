#!/usr/bin/env bash
# Sets up, builds and runs the launcher under Wine: the shipping 32-bit build from dist/win32, or the
# 64-bit one from dist/win64 with SKELVANE_BUILD=win64 (or where the kernel cannot execute 32-bit
# programs and SKELVANE_BUILD is not set).
# With DISPLAY set it runs on that display. Without one it starts a private virtual display and a
# private sound server (so that the sound page lists real devices; tools/audio_server.sh), and
# writes a screenshot of the display every few seconds to the file SKELVANE_SHOT names (relative to
# where the caller stands; default build/skelvane-screen.png of the checkout, a folder git ignores,
# so that the pictures never stand in a release's way) until Ctrl-C stops the launcher, the display
# and the server. Nobody can click there, so when the settings dialog comes up it is shot once
# (SKELVANE_SHOT with -settings before .png) and then confirmed with Enter, which is its Start button.
# Arguments are passed to the launcher (for example -s to show the settings dialog).
set -euo pipefail
# A relative SKELVANE_SHOT names a file from where the caller stands.
shot=${SKELVANE_SHOT:+$(realpath -m -- "$SKELVANE_SHOT")}
cd "$(dirname "$0")/.."
shot=${shot:-$PWD/build/skelvane-screen.png}
build=${SKELVANE_BUILD:-win32}
case "$build" in win32|win64) ;; *) echo "run: SKELVANE_BUILD must be win32 or win64" >&2; exit 2 ;; esac
# A kernel that cannot execute 32-bit programs runs the 64-bit build of the same source instead.
if [ "$build" = win32 ]; then
  tools/setup.sh --build-only  # binutils, for the probe
  kernel=0
  tools/kernel_runs_32bit.sh || kernel=$?
  [ "$kernel" -le 1 ] || exit 1
  if [ "$kernel" -eq 1 ]; then
    if [ -n "${SKELVANE_BUILD:-}" ]; then
      echo "run: SKELVANE_BUILD=win32 asks for the 32-bit build, but this machine's kernel cannot execute 32-bit programs; run the 64-bit one (SKELVANE_BUILD=win64)" >&2
      exit 2
    fi
    echo "run: this machine's kernel cannot execute 32-bit programs: running the 64-bit build (dist/win64) of the same source"
    build=win64
  fi
fi
tools/build.sh "$build"

. tools/wine_session.sh
prefix=${SKELVANE_WINEPREFIX:-$HOME/.skelvane-wine}
had_display=${DISPLAY:-}
wine_session_start "$prefix"

# The settings dialog's caption as the game folder's language file gives it.
game_folder=$PWD/dist/$build
settings_caption() {
  local caption
  caption=$(iconv -f UTF-16 -t UTF-8 "$game_folder/language.txt" 2>/dev/null | tr -d '\r' |
            sed -n 's/^ *T_SETTINGS *=//p' | head -1)
  echo "${caption:-T_SETTINGS}"
}

launcher=""
stop() {
  [ -n "$launcher" ] && kill "$launcher" 2>/dev/null || true
  rm -f "$shot.tmp.png"
  wine_session_stop
}
trap stop EXIT
trap 'exit 130' INT TERM

cd "$game_folder"
# Wine and the sound system talk a lot on stderr; that goes to a log in the prefix.
"$WINE" Skelvane.exe "$@" 2>>"$prefix/wine.log" &
launcher=$!

if [ -z "$had_display" ]; then
  mkdir -p "$(dirname "$shot")"
  echo "run: no screen; a screenshot of the virtual display goes to $shot every 3 s. Ctrl-C stops."
  confirmed=""
  while kill -0 "$launcher" 2>/dev/null; do
    sleep 3
    if [ -z "$confirmed" ] && xdotool search --name "$(settings_caption)" >/dev/null 2>&1; then
      import -display "$DISPLAY" -window root "${shot%.png}-settings.png" 2>/dev/null
      xdotool key Return
      confirmed=yes
      echo "run: the settings dialog came up (${shot%.png}-settings.png); pressed Start"
      sleep 3
    fi
    import -display "$DISPLAY" -window root "$shot.tmp.png" 2>/dev/null && mv "$shot.tmp.png" "$shot"
  done
fi
code=0
wait "$launcher" || code=$?
launcher=""
echo "run: the launcher ended with exit code $code"
