#!/usr/bin/env bash
# Runs a test program on a 640 x 480 virtual desktop of its own, in a throwaway Wine prefix:
# the display size is what Direct3D reports as the desktop mode, and the test runner's display
# is larger.
set -euo pipefail
program=$1
shift
. "$(dirname "$0")/../../tools/wine_session.sh"
prefix=$(mktemp -d /tmp/skelvane-small-desktop.XXXXXX)
log=$(mktemp /tmp/skelvane-small-desktop-log.XXXXXX)
trap 'wine_session_stop; rm -rf "$prefix" "$log"' EXIT
wine_session_start "$prefix" 640x480x24 force-xvfb
status=0
"$WINE" "$program" "$@" >"$log" 2>&1 </dev/null || status=$?
cat "$log"
exit "$status"
