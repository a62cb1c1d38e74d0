#!/usr/bin/env bash
# Makes the release packages of the current commit: refuses a tree with uncommitted changes, exports
# the commit into a fresh folder, builds the shipping 32-bit game folder and the 64-bit one there
# (no tests: tools/test.sh and CI test the same commit), and writes to release/ (or OUTPUT_DIR)
#   Skelvane-VERSION-win32.zip, Skelvane-VERSION-win64.zip and a .sha256 file for each, and the
#   symbols zips Skelvane-VERSION-win32-symbols.zip and ...-win64-symbols.zip with theirs (with
#   --engine: ...-PLATFORM-game.zip and ...-PLATFORM-game-symbols.zip, which holds the studio's libraries).
# The files in the zips carry the commit's time, so anybody who builds the same commit with the same
# toolchain gets the same bytes and the same checksums.
# With --engine DIR the packages hold the studio's Korvex.dll and fmod.dll from DIR (the 64-bit ones
# from DIR/win64) instead of the stand-ins; with a certificate in the environment the programs are
# signed before they are packed (tools/sign_and_pack.sh).
# With --crash-url URL the game folders name the studio's crash service (crash_upload_url.txt):
# https only, plain http only to this machine (for trying it out).
# Usage: tools/release.sh [--engine DIR] [--crash-url URL] [OUTPUT_DIR]
set -euo pipefail
engine=""
crash_url=""
while [ "${1:-}" = --engine ] || [ "${1:-}" = --crash-url ]; do
  [ $# -ge 2 ] || { echo "usage: tools/release.sh [--engine DIR] [--crash-url URL] [OUTPUT_DIR]" >&2; exit 2; }
  case $1 in
    --engine) engine=$(realpath -m "$2") ;;
    --crash-url) crash_url=$2 ;;
  esac
  shift 2
done
if [ -n "$crash_url" ] &&
   ! [[ $crash_url =~ ^https://[^/?#@[:space:]]+([/?][^[:space:]]*)?$ ||
        $crash_url =~ ^http://(localhost|127\.[0-9.]+|\[::1\])(:[0-9]+)?([/?][^[:space:]]*)?$ ]]; then
  echo "release: refused, --crash-url $crash_url: the crash service needs an https:// address (plain http only to this machine)" >&2
  exit 1
fi
# A relative OUTPUT_DIR is the caller's; the default is release/ of the repository.
out=$(realpath -m "${1:-$(dirname "$0")/../release}")
cd "$(dirname "$0")/.."
tools/setup.sh --build-only >/dev/null  # it runs nothing it builds: no Wine
tools/sign_and_pack.sh check "$engine"

git rev-parse --verify -q HEAD >/dev/null || { echo "release: $PWD is not a git checkout with a commit" >&2; exit 1; }
changes=$(git status --porcelain --untracked-files=normal)
if [ -n "$changes" ]; then
  echo "release: refused, the tree has uncommitted changes (commit or stash them first):" >&2
  echo "$changes" >&2
  exit 1
fi

commit=$(git rev-parse HEAD)
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct HEAD)
export SOURCE_DATE_EPOCH
version=$(head -n1 VERSION)

work=$(mktemp -d /tmp/skelvane-release.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/tree"
git archive --format=tar HEAD | tar -x -C "$work/tree"

mkdir -p "$out"
sums=()
for platform in win32 win64; do
  case $platform in
    win32) toolchain=cmake/mingw-i686.cmake ;;
    win64) toolchain=cmake/mingw-x86_64.cmake ;;
  esac
  echo "release: building Skelvane $version for $platform"
  cmake -S "$work/tree" -B "$work/tree/build/$platform" -DCMAKE_TOOLCHAIN_FILE="$work/tree/$toolchain" \
        -DCMAKE_BUILD_TYPE=Release -DSKELVANE_TESTS=OFF -DSKELVANE_CRASH_URL="$crash_url" >"$work/$platform.log" 2>&1 &&
    cmake --build "$work/tree/build/$platform" -j "$(nproc)" >>"$work/$platform.log" 2>&1 ||
    { cat "$work/$platform.log" >&2; echo "release: the $platform build failed" >&2; exit 1; }
  # The package, and beside it the studio's symbols for reading its crash reports (tools/read_crash.sh).
  package=$(tools/sign_and_pack.sh pack "$platform" "$work/tree/build/$platform/Skelvane-$version-$platform.zip" "$out" "$engine")
  sums+=("$(basename "$package").sha256" "$(basename "$package" .zip)-symbols.zip.sha256")
done

echo "release: Skelvane $version from commit $commit ($(git log -1 --format=%cI HEAD)) in $out:"
(cd "$out" && cat "${sums[@]}")
