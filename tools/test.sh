#!/usr/bin/env bash
# Sets up, builds both targets and runs every test (unit, end-to-end, import check) under Wine
# in a throwaway prefix on a private virtual display.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/build.sh

. tools/wine_session.sh
prefix=$(mktemp -d /tmp/skelvane-test-prefix.XXXXXX)
trap 'wine_session_stop; rm -rf "$prefix"' EXIT
wine_session_start "$prefix" "${SKELVANE_TEST_SCREEN:-1024x768x24}" force-xvfb

cd build/win64
ctest --output-on-failure "$@"
