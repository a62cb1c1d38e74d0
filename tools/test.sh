#!/usr/bin/env bash
# Sets up, builds both targets and runs every test (unit, end-to-end, import checks) under Wine
# against both builds: the shipping 32-bit one first, then the 64-bit one. Each build's suite runs
# in a throwaway prefix on a private virtual display, with a private sound server whose devices the
# sound tests check (tools/wine_session.sh). Arguments go to ctest (e.g. -R unit);
# SKELVANE_BUILDS=win32 (or win64) runs one build's suite only. Within a suite the tests that need no
# Wine, and the small desktops with sessions of their own, run beside the Wine tests of the suite's
# session, which run one at a time (CTest resource locks, tests/CMakeLists.txt).
# The last lines say, per build, how many test programs and GoogleTest cases ran and passed.
# Where the kernel cannot execute 32-bit programs, the 32-bit build runs only its checks that need
# no Wine (CTest label no-wine), and its summary line says NOT RUN.
set -euo pipefail
cd "$(dirname "$0")/.."
read -r -a builds <<<"${SKELVANE_BUILDS:-win32 win64}"
tools/build.sh "${builds[@]}"
kernel=0
tools/kernel_runs_32bit.sh || kernel=$?
[ "$kernel" -le 1 ] || exit 1
jobs=$(nproc 2>/dev/null || echo 2)

. tools/wine_session.sh
prefix=""
trap 'wine_session_stop; [ -n "$prefix" ] && rm -rf "$prefix"' EXIT
trap 'exit 130' INT TERM

summaries=()
overall=0
for build in "${builds[@]}"; do
  log=build/$build/Testing/Temporary/LastTest.log
  if [ "$build" = win32 ] && [ "$kernel" -eq 1 ]; then
    status=0
    (cd "build/$build" && ctest --output-on-failure -j "$jobs" -L no-wine "$@") || status=$?
    [ "$status" -eq 0 ] || overall=1
    checks=$(grep -c '^[0-9]*/[0-9]* Testing:' "$log" || true)
    passed=$(grep -c '^Test Passed\.' "$log" || true)
    summaries+=("summary $build: NOT RUN on this machine (the kernel cannot execute 32-bit programs); $passed of $checks checks that need no Wine passed")
    continue
  fi
  prefix=$(mktemp -d /tmp/skelvane-test-prefix.XXXXXX)
  wine_session_start "$prefix" "${SKELVANE_TEST_SCREEN:-1024x768x24}" force-xvfb
  status=0
  (cd "build/$build" && ctest --output-on-failure -j "$jobs" "$@") || status=$?
  wine_session_stop
  rm -rf "$prefix"
  prefix=""
  [ "$status" -eq 0 ] || overall=1

  programs=$(grep -c '^[0-9]*/[0-9]* Testing:' "$log" || true)
  passed_programs=$(grep -c '^Test Passed\.' "$log" || true)
  cases=$(sed -n 's/^\[==========\] \([0-9]*\) tests\? from .* ran\..*/\1/p' "$log" | awk '{s+=$1} END{print s+0}')
  passed=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\..*/\1/p' "$log" | awk '{s+=$1} END{print s+0}')
  skipped=$(sed -n 's/^\[  SKIPPED \] \([0-9]*\) tests\?[.,].*/\1/p' "$log" | awk '{s+=$1} END{print s+0}')
  result=passed; [ "$status" -eq 0 ] || result=FAILED
  summaries+=("summary $build: $result: $passed_programs of $programs test programs passed; $cases GoogleTest cases ran, $passed passed, $skipped skipped")
done

printf '%s\n' "${summaries[@]}"
exit "$overall"
