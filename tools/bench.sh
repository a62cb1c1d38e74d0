#!/usr/bin/env bash
# Builds and runs the benchmarks under Wine on a private virtual display and prints their figures,
# for the shipping 32-bit build first, then the 64-bit one (SKELVANE_BUILDS chooses, e.g. "win32").
set -euo pipefail
cd "$(dirname "$0")/.."
read -r -a builds <<<"${SKELVANE_BUILDS:-win32 win64}"
tools/build.sh "${builds[@]}"

. tools/wine_session.sh
prefix=$(mktemp -d /tmp/skelvane-bench-prefix.XXXXXX)
trap 'wine_session_stop; rm -rf "$prefix"' EXIT
wine_session_start "$prefix" 1024x768x24 force-xvfb

win() { echo "Z:$(realpath "$1")" | tr / '\\'; }
for build in "${builds[@]}"; do
  echo "== $build"
  bin=build/$build/bench/bin
  # Every *_bench.exe but the start-up one, which needs the game folder: the language table, the
  # device check, the graphics cascade, the launch steps, the diagnostic query and those added later.
  for b in "$bin"/*_bench.exe; do
    [ "$(basename "$b")" = startup_bench.exe ] && continue
    "$WINE" "$b" > "$prefix/out.txt" 2>/dev/null; cat "$prefix/out.txt"
  done
  # SKELVANE_BENCH_ALSO may name more game folders of this build (e.g. one built before a change)
  # to be measured in the same rounds.
  folders=("$(win "dist/$build")")
  for f in ${SKELVANE_BENCH_ALSO:-}; do folders+=("$(win "$f")"); done
  "$WINE" "$bin/startup_bench.exe" "$(win "$bin/reference_frame.exe")" "$(win "$bin/dx_query_bench.exe")" \
    "${SKELVANE_BENCH_ROUNDS:-7}" "${folders[@]}" > "$prefix/out.txt" 2>/dev/null || true
  cat "$prefix/out.txt"
done
