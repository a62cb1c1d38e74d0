#!/usr/bin/env bash
# Takes the README's pictures of the real launcher again, from scratch: the shipping 32-bit game
# folder (dist/win32) under Wine, in a throwaway prefix on a private virtual display. For every
# language file of the game folder: the settings dialog on both pages, the advanced dialog and the
# warnings dialog (a driver date in korvex.ini that no driver meets brings it up); in English also
# the game window. PNG files, each cropped to its window, go to docs/screenshots.
# SKELVANE_SHOT_DPI=144 (or 120, 192) takes the dialogs at that scale, as on a screen scaled to 150 %
# (125 %, 200 %), into files named ...-144dpi.png; the game window only at 96 DPI.
# Usage: tools/screenshots.sh [LANGUAGE-FILE-NAME...]   e.g. tools/screenshots.sh language-de.txt
set -euo pipefail
cd "$(dirname "$0")/.."
tools/build.sh win32

game_folder=$PWD/dist/win32
out=$PWD/docs/screenshots
mkdir -p "$out"
languages=("$@")
if [ ${#languages[@]} -eq 0 ]; then
  languages=(language.txt)
  for f in "$game_folder"/language-*.txt; do languages+=("$(basename "$f")"); done
fi

. tools/wine_session.sh
prefix=$(mktemp -d /tmp/skelvane-shots.XXXXXX)
work=$(mktemp -d /tmp/skelvane-shots-cwd.XXXXXX)
launcher=""
finish() {
  [ -n "$launcher" ] && kill "$launcher" 2>/dev/null || true
  wine_session_stop
  rm -rf "$prefix" "$work"
}
trap finish EXIT
# A screen as large as the scale asks for (1024 x 768 at 100 %).
dpi=${SKELVANE_SHOT_DPI:-96}
wine_session_start "$prefix" "$((1024 * dpi / 96))x$((768 * dpi / 96))x24" force-xvfb
# With no window manager on the display, Wine draws the title bars itself.
"$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
suffix=""
if [ "$dpi" != 96 ]; then
  suffix=-${dpi}dpi
  # The server keeps the screen's DPI until it restarts.
  "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  "$WINESERVER" -k >/dev/null 2>&1 || true
  "$WINESERVER" -p >/dev/null 2>&1 </dev/null &
  sleep 0.2
  "$WINE" wineboot >/dev/null 2>&1 </dev/null
fi

winpath() { echo "Z:${1//\//\\}"; }

# text KEY FILE: the key's text in a language file.
text() {
  iconv -f UTF-16 -t UTF-8 "$2" | tr -d '\r' | sed -n "s/^ *$1 *=//p" | head -1
}

# window CAPTION: the X window of the launcher's top-level window with this caption, once shown.
window() {
  local pattern id i
  pattern="^$(printf '%s' "$1" | sed 's/[][\.*^$()+?{}|]/\\&/g')\$"
  for i in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null | head -1 || true)
    if [ -n "$id" ]; then sleep 2; echo "$id"; return; fi
    sleep 0.2
  done
  echo "screenshots: no window \"$1\" came up; the screen is in $out/failed.png" >&2
  import -display "$DISPLAY" -window root "$out/failed.png"
  return 1
}

shoot() { import -display "$DISPLAY" -window "$1" -strip "$out/$2$suffix.png"; echo "screenshots: $2$suffix.png"; }

# click WINDOW X Y: a left click at dialog units X, Y of the settings dialog's client area, found
# from the window's size (the client area is 289 x 183 dialog units; Wine's frame and title bar
# around it are 3 and 19 pixels at 96 DPI, more in proportion at higher scales).
click() {
  local WIDTH HEIGHT X Y WINDOW SCREEN
  eval "$(xdotool getwindowgeometry --shell "$1")"
  local frame=$(( 3 * dpi / 96 )) top=$(( 22 * dpi / 96 ))
  local px=$(( frame + $2 * (WIDTH - 2 * frame) / 289 )) py=$(( top + $3 * (HEIGHT - top - frame) / 183 ))
  xdotool mousemove --window "$1" "$px" "$py" click 1
  sleep 1
}

# start [-s]: the launcher in the working folder, whose korvex.ini names the language.
start() {
  (cd "$work" && exec "$WINE" "$(winpath "$game_folder/Skelvane.exe")" "$@" >/dev/null 2>&1) &
  launcher=$!
}

stop() {
  local i
  for i in $(seq 50); do kill -0 "$launcher" 2>/dev/null || break; sleep 0.2; done
  kill "$launcher" 2>/dev/null || true
  wait "$launcher" 2>/dev/null || true
  launcher=""
}

# options LANGUAGE-FILE [DRIVER-DATE]: the working folder's korvex.ini.
options() {
  printf '[OPTIONS]\r\nLanguage=%s\r\n' "$(winpath "$game_folder/$1")" >"$work/korvex.ini"
  [ -z "${2:-}" ] || printf 'VideoDrvLoDate=%s\r\n' "$2" >>"$work/korvex.ini"
}

for file in "${languages[@]}"; do
  lang=${file#language-}; lang=${lang%.txt}; [ "$file" = language.txt ] && lang=en
  path=$game_folder/$file

  options "$file"
  start -s
  settings=$(window "$(text T_SETTINGS "$path")")
  click "$settings" 10 140             # a bare spot: the dialog comes to the front
  shoot "$settings" "settings-graphics-$lang"
  click "$settings" 138 120            # the advanced button in the middle of the graphics page
  advanced=$(window "$(text T_VADV_CAPTION "$path")")
  shoot "$advanced" "advanced-$lang"
  xdotool key Return                   # its OK
  sleep 1
  click "$settings" 20 12              # the first tab, which takes the keyboard once the dialog
  click "$settings" 20 12              # is active again
  xdotool key Right
  sleep 2                              # the page behind the closed dialog is painted late
  shoot "$settings" "settings-sound-$lang"
  xdotool key Escape
  stop

  options "$file" 01.01.2030
  start -s
  shoot "$(window "$(text T_INFORMATION "$path")")" "warnings-$lang"
  settings=$(window "$(text T_SETTINGS "$path")")
  click "$settings" 10 140             # a bare spot of the settings dialog, below the warnings
  xdotool key Escape
  stop

  if [ "$lang" = en ] && [ "$dpi" = 96 ]; then
    options "$file"
    start
    settings=$(window "$(text T_SETTINGS "$path")")
    click "$settings" 10 140           # a bare spot: the dialog comes to the front and takes the keys
    xdotool key Return                 # Start
    game=$(window "Korvex//Window")
    sleep 3
    shoot "$game" game-window
    xdotool key Escape
    stop
  fi
done
