#!/usr/bin/env bash
# Builds both Windows targets, fills dist/win32 and dist/win64 and packs each game folder
# (build/win32/Skelvane-VERSION-win32.zip and its .sha256; tools/release.sh makes the release ones).
# Usage: tools/build.sh [win32|win64 ...]   (both when none is named)
set -euo pipefail
cd "$(dirname "$0")/.."

"$PWD/tools/setup.sh"

targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(win32 win64)
jobs=$(nproc 2>/dev/null || echo 2)

for t in "${targets[@]}"; do
  case "$t" in
    win32) toolchain=cmake/mingw-i686.cmake ;;
    win64) toolchain=cmake/mingw-x86_64.cmake ;;
    *) echo "build.sh: unknown target $t" >&2; exit 2 ;;
  esac
  if [ ! -f "build/$t/CMakeCache.txt" ]; then
    cmake -S . -B "build/$t" -DCMAKE_TOOLCHAIN_FILE="$PWD/$toolchain" -DCMAKE_BUILD_TYPE=Release >/dev/null
  fi
  cmake --build "build/$t" -j "$jobs"
done
