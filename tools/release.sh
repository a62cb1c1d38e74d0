#!/usr/bin/env bash
# Makes the release packages of the current commit: refuses a tree with uncommitted changes, exports
# the commit into a fresh folder, builds the shipping 32-bit game folder and the 64-bit one there
# (no tests: tools/test.sh and CI test the same commit), and writes to release/ (or OUTPUT_DIR)
#   Skelvane-VERSION-win32.zip, Skelvane-VERSION-win64.zip and a .sha256 file for each, and the
#   symbols zips Skelvane-VERSION-win32-symbols.zip and ...-win64-symbols.zip with theirs.
# The files in the zips carry the commit's time, so anybody who builds the same commit with the same
# toolchain gets the same bytes and the same checksums.
# Usage: tools/release.sh [OUTPUT_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-release}")

git rev-parse --verify -q HEAD >/dev/null || { echo "release: $PWD is not a git checkout with a commit" >&2; exit 1; }
changes=$(git status --porcelain --untracked-files=normal)
if [ -n "$changes" ]; then
  echo "release: refused, the tree has uncommitted changes (commit or stash them first):" >&2
  echo "$changes" >&2
  exit 1
fi

tools/setup.sh >/dev/null
commit=$(git rev-parse HEAD)
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct HEAD)
export SOURCE_DATE_EPOCH
version=$(head -n1 VERSION)

work=$(mktemp -d /tmp/skelvane-release.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/tree"
git archive --format=tar HEAD | tar -x -C "$work/tree"

mkdir -p "$out"
for platform in win32 win64; do
  case $platform in
    win32) toolchain=cmake/mingw-i686.cmake ;;
    win64) toolchain=cmake/mingw-x86_64.cmake ;;
  esac
  echo "release: building Skelvane $version for $platform"
  cmake -S "$work/tree" -B "$work/tree/build/$platform" -DCMAKE_TOOLCHAIN_FILE="$work/tree/$toolchain" \
        -DCMAKE_BUILD_TYPE=Release -DSKELVANE_TESTS=OFF >"$work/$platform.log" 2>&1 &&
    cmake --build "$work/tree/build/$platform" -j "$(nproc)" >>"$work/$platform.log" 2>&1 ||
    { cat "$work/$platform.log" >&2; echo "release: the $platform build failed" >&2; exit 1; }
  cp "$work/tree/build/$platform/Skelvane-$version-$platform.zip"* "$out/"
  # The studio's symbols for reading crash reports (tools/read_crash.sh), made beside the game zip.
  cp "$work/tree/build/$platform/Skelvane-$version-$platform-symbols.zip"* "$out/"
done

echo "release: Skelvane $version from commit $commit ($(git log -1 --format=%cI HEAD)) in $out:"
(cd "$out" && cat "Skelvane-$version-win32.zip.sha256" "Skelvane-$version-win64.zip.sha256")
(cd "$out" && cat "Skelvane-$version-win32-symbols.zip.sha256" "Skelvane-$version-win64-symbols.zip.sha256")
