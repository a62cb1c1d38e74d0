#!/usr/bin/env bash
# Runs a GoogleTest program (the command given) and passes only when it exited 0 *and* reported
# a non-zero number of passed tests: a Windows program that silently did not run (a 32-bit one
# without Wine's i386 half exits 0 at once) must not count as a pass.
# Usage: run_gtest.sh COMMAND [ARGS...]
set -u
log=$(mktemp /tmp/skelvane-gtest.XXXXXX)
trap 'rm -f "$log"' EXIT
"$@" >"$log" 2>&1 </dev/null
status=$?
cat "$log"
if ! grep -Eq '^\[  PASSED  \] [1-9][0-9]* tests?\.' "$log"; then
  echo "run_gtest: no GoogleTest summary with passed tests: the program did not run its tests (exit code $status)"
  [ "$status" -eq 0 ] && status=1
fi
exit "$status"
