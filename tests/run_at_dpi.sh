#!/usr/bin/env bash
# Runs the checks of scale again at the scales players' screens have (125, 150 and 200 %), in the
# suite's own Wine session: the fit of every dialog in every language, and at 150 % the real
# launcher's window, dialog and DPI awareness. Each program takes the system DPI (LogPixels) as it
# starts, but the server keeps the screen's DPI that other processes read until it restarts: the
# session's server is restarted with each DPI (the other tests of the session wait meanwhile), and
# the DPI the session had is given back at the end, however this ends.
# Usage: run_at_dpi.sh RUN_GTEST WINE UNIT_TESTS E2E_TESTS
set -u
run_gtest=$1 wine=$2 unit=$3 e2e=$4
wineserver=$(dirname "$wine")/wineserver
[ -x "$wineserver" ] || wineserver=$(command -v wineserver)
key='HKCU\Control Panel\Desktop'
before=$("$wine" reg query "$key" /v LogPixels 2>/dev/null </dev/null | sed -n 's/.*REG_DWORD *0x\([0-9a-fA-F]*\).*/\1/p')
set_dpi() {
  if [ -n "$1" ]; then
    "$wine" reg add "$key" /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1 </dev/null
  else
    "$wine" reg delete "$key" /v LogPixels /f >/dev/null 2>&1 </dev/null
  fi
  "$wineserver" -k >/dev/null 2>&1
  # Persistent, and with Wine's own services started with their output elsewhere, as
  # tools/wine_session.sh does: they would otherwise inherit the output of the next test's program
  # and keep its readers waiting.
  "$wineserver" -p >/dev/null 2>&1 </dev/null &
  sleep 0.2
  "$wine" wineboot >/dev/null 2>&1 </dev/null
}
restore() { set_dpi "${before:+$((16#$before))}"; }
trap restore EXIT
trap 'exit 130' INT TERM
status=0
for dpi in 120 144 192; do
  set_dpi "$dpi"
  echo "=== at $dpi DPI"
  SKELVANE_DPI=$dpi "$run_gtest" "$wine" "$unit" --gtest_brief=1 --gtest_filter='LanguageFit.*' || status=1
  if [ "$dpi" = 144 ]; then
    SKELVANE_DPI=$dpi "$run_gtest" "$wine" "$e2e" --gtest_brief=1 --gtest_filter='GameWindow*:SettingsDialog.FirstStart*' || status=1
  fi
done
exit "$status"
