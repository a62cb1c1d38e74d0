#!/usr/bin/env bash
# Builds and runs the benchmarks under Wine on a private virtual display; prints their figures.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/build.sh win64

. tools/wine_session.sh
prefix=$(mktemp -d /tmp/skelvane-bench-prefix.XXXXXX)
trap 'wine_session_stop; rm -rf "$prefix"' EXIT
wine_session_start "$prefix" 1024x768x24 force-xvfb

bin=build/win64/bench/bin
win() { echo "Z:$(realpath "$1")" | tr / '\\'; }
"$WINE" "$bin/language_bench.exe" > "$prefix/out.txt" 2>/dev/null; cat "$prefix/out.txt"
# Every other *_bench.exe runs here: caps_check_bench, graphics_cascade_bench (adapter selection to
# the end of the graphics cascade, with and without the driver-date check) and those added later.
for b in "$bin"/*_bench.exe; do
  case "$(basename "$b")" in language_bench.exe|startup_bench.exe) continue ;; esac
  "$WINE" "$b" > "$prefix/out.txt" 2>/dev/null; cat "$prefix/out.txt"
done
"$WINE" "$bin/startup_bench.exe" "$(win dist/win64)" "$(win "$bin/reference_frame.exe")" > "$prefix/out.txt" 2>/dev/null
cat "$prefix/out.txt"
