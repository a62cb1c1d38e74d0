#!/usr/bin/env bash
# The same sources build to the same bytes in another folder at another time: the tree is copied to
# a fresh folder, its shipped programs and package are built there, and the game folder and the zip
# must equal this build's byte for byte.
# Usage: check_reproducible.sh SOURCE_DIR TOOLCHAIN_FILE BUILD_TYPE DIST_DIR PACKAGE
set -u
source=$1 toolchain=$2 build_type=$3 dist=$4 package=$5
work=$(mktemp -d /tmp/skelvane-rebuild.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/tree"
tar -C "$source" --exclude=./build --exclude=./dist --exclude=./release --exclude=./.git -cf - . |
  tar -C "$work/tree" -xf -
cmake -S "$work/tree" -B "$work/tree/build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE="$build_type" \
      -DSKELVANE_TESTS=OFF >"$work/log" 2>&1 &&
  cmake --build "$work/tree/build" --target package_zip symbols_zip -j "$(nproc)" >>"$work/log" 2>&1 ||
  { cat "$work/log"; exit 1; }

rebuilt_dist=$work/tree/dist/$(basename "$dist")
rebuilt_package=$work/tree/build/$(basename "$package")
status=0
for file in "$rebuilt_dist"/*; do
  cmp -s "$file" "$dist/$(basename "$file")" || { echo "differs: $(basename "$file")"; status=1; }
done
cmp -s "$rebuilt_package" "$package" || { echo "differs: $(basename "$package")"; status=1; }
# The studio's symbols zip too: crash reports are read with it, matched by the programs' build ids.
symbols_package=${package%.zip}-symbols.zip
cmp -s "$work/tree/build/$(basename "$symbols_package")" "$symbols_package" ||
  { echo "differs: $(basename "$symbols_package")"; status=1; }
[ $status -eq 0 ] && echo "reproducible: $(ls "$rebuilt_dist" | wc -l) files and $(basename "$package") equal after a rebuild in $work"
exit $status
