#!/usr/bin/env bash
# Runs the crash-report tests of a test program in a throwaway Wine prefix of its own (a stack
# overflow on the launcher's main thread can leave it half-ended until the prefix's server stops),
# then reads every dump they kept back with tools/read_crash.sh: each must name its exception and,
# where the engine faulted inside its idle step, the host loop's frame CGame::run.
# The symbols are the build's, with the test engine beside them as a studio keeps its engine's
# programs: it has no debug information, but the debugger needs its code to walk through it.
# Usage: run_crash_tests.sh SYMBOLS_FOLDER TEST_ENGINE PROGRAM [ARGS...]
set -euo pipefail
build_symbols=$1
engine=$2
program=$3
shift 3
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../tools/wine_session.sh"
prefix=$(mktemp -d /tmp/skelvane-crash-prefix.XXXXXX)
kept=$(mktemp -d /tmp/skelvane-crash-dumps.XXXXXX)
trap 'wine_session_stop; rm -rf "$prefix" "$kept"' EXIT
symbols=$kept/symbols
mkdir "$symbols"
cp "$build_symbols"/* "$symbols/"
cp "$engine" "$symbols/"  # in place of the demo engine
# A display of its own too: the suite's keyboard tests must keep the focus.
wine_session_start "$prefix" 1024x768x24 force-xvfb
status=0
# A filter in the environment (tools/seed_faults.py) chooses among the crash cases.
if [ -n "${GTEST_FILTER:-}" ]; then
  for arg in "$@"; do shift; [[ $arg == --gtest_filter=* ]] || set -- "$@" "$arg"; done
fi
SKELVANE_CRASH_KEEP="Z:${kept//\//\\}" "$WINE" "$program" "$@" >"$kept/log" 2>&1 </dev/null || status=$?
cat "$kept/log"
"$WINESERVER" -k >/dev/null 2>&1 || true

declare -A expected=([access]=C0000005 [illegal]=C000001D [divide]=C0000094 [terminate]=40000015
                     [threads]=C0000005 [stack]=C00000FD [abort2]=40000015 [exit]=40000015 [overrun]=C0000409)
for way in "${!expected[@]}"; do
  dump=$kept/$way.dmp
  [ -f "$dump" ] || [ -n "${GTEST_FILTER:-}" ] || { echo "read-back $way: no dump kept"; status=1; }
  [ -f "$dump" ] || continue
  report=$("$here/../../tools/read_crash.sh" "$dump" "$symbols" 2>&1) || true
  echo "=== read-back $way ($(stat -c %s "$dump") bytes)"
  echo "$report"
  grep -q "^Exception: 0x${expected[$way]} " <<<"$report" || { echo "read-back $way: not exception ${expected[$way]}"; status=1; }
  # Faults in the engine's idle step are walked back to the host loop on both architectures, and
  # abort names the launcher's own frame. The debugger loses the way through the compiler runtime's
  # terminate handler, through a 64-bit overflowed stack, and the engine's threads and a static
  # destructor at the process's end have no launcher frame: for those the exception is checked.
  case $way in
    access | illegal | divide) frame='CGame::run' ;;
    abort2) frame='Skelvane.exe`[A-Za-z_]' ;;
    *) frame='' ;;
  esac
  if [ -n "$frame" ] && ! grep -q "$frame" <<<"$report"; then
    echo "read-back $way: no $frame frame on the stack"; status=1
  fi
done
exit "$status"
