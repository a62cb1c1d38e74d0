#!/usr/bin/env bash
# Sets up, builds and runs the launcher from dist/win64 under Wine.
# With DISPLAY set it runs on that display. Without one it starts a private virtual display and
# writes a screenshot of it every few seconds to the file SKELVANE_SHOT names (default
# ./skelvane-screen.png) until Ctrl-C stops the launcher and the display.
# Arguments are passed to the launcher (for example -s to show the settings dialog).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/build.sh

. tools/wine_session.sh
prefix=${SKELVANE_WINEPREFIX:-$HOME/.skelvane-wine}
had_display=${DISPLAY:-}
shot=${SKELVANE_SHOT:-$PWD/skelvane-screen.png}
wine_session_start "$prefix"

launcher=""
stop() {
  [ -n "$launcher" ] && kill "$launcher" 2>/dev/null || true
  wine_session_stop
}
trap stop EXIT
trap 'exit 130' INT TERM

cd dist/win64
"$WINE" Skelvane.exe "$@" &
launcher=$!

if [ -z "$had_display" ]; then
  echo "run: no screen; a screenshot of the virtual display goes to $shot every 3 s. Ctrl-C stops."
  while kill -0 "$launcher" 2>/dev/null; do
    sleep 3
    import -display "$DISPLAY" -window root "$shot.tmp.png" 2>/dev/null && mv "$shot.tmp.png" "$shot"
  done
fi
code=0
wait "$launcher" || code=$?
launcher=""
echo "run: the launcher ended with exit code $code"
