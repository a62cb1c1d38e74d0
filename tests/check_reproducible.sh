#!/usr/bin/env bash
# The same sources build to the same bytes in another folder, at another time, with another umask,
# time zone and locale: the tree is copied to a fresh folder, its shipped programs and package are
# built there, and the game folder must equal this build's byte for byte. Both packages carry the
# same SOURCE_DATE_EPOCH, as a release does (this build's game folder is packed with it here), and
# the zips must be equal too; when they differ, their build-info files say what made each.
# Usage: check_reproducible.sh SOURCE_DIR TOOLCHAIN_FILE BUILD_TYPE DIST_DIR PACKAGE PYTHON
set -u
source=$1 toolchain=$2 build_type=$3 dist=$4 package=$5 python=$6
work=$(mktemp -d /tmp/skelvane-rebuild.XXXXXX)
trap 'rm -rf "$work"' EXIT
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-1767225600}
name=$(basename "$package")
mkdir "$work/this" "$work/tree"
# This build's package as a release makes it: the same files, the same commit time.
symbols_name=${name%.zip}-symbols.zip
"$python" "$source/tools/make_package.py" "$work/this/$name" "$dist"/* && cp "$package.buildinfo" "$work/this/" &&
  "$python" "$source/tools/make_package.py" "$work/this/$symbols_name" "$dist-symbols"/* || exit 1

# Another umask, a time zone a quarter of an hour off any other, another locale (Turkish, whose case
# rules trip naive code, where installed).
zone=NPT-5:45
other_locale=$(locale -a | grep -m1 -ix 'tr_TR.utf-\?8') || other_locale=C.UTF-8
[ "$other_locale" = C.UTF-8 ] && [ "$(locale charmap)" = UTF-8 ] && other_locale=C
tar -C "$source" --exclude=./build --exclude=./dist --exclude=./release --exclude=./.git -cf - . |
  (umask 077 && tar -C "$work/tree" -xf -)
(umask 077 && export TZ=$zone LC_ALL=$other_locale &&
 cmake -S "$work/tree" -B "$work/tree/build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE="$build_type" \
       -DSKELVANE_TESTS=OFF >"$work/log" 2>&1 &&
   cmake --build "$work/tree/build" --target package_zip symbols_zip -j "$(nproc)" >>"$work/log" 2>&1) ||
  { cat "$work/log"; exit 1; }

rebuilt_dist=$work/tree/dist/$(basename "$dist")
rebuilt_package=$work/tree/build/$name
status=0
for file in "$rebuilt_dist"/*; do
  cmp -s "$file" "$dist/$(basename "$file")" || { echo "differs: $(basename "$file")"; status=1; }
done
if ! cmp -s "$rebuilt_package" "$work/this/$name"; then
  echo "differs: $name (made with SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH); made here with, and in the rebuild with:"
  diff "$work/this/$name.buildinfo" "$rebuilt_package.buildinfo"
  status=1
fi
# The studio's symbols zip too: crash reports are read with it, matched by the programs' build ids.
cmp -s "$work/tree/build/$symbols_name" "$work/this/$symbols_name" || { echo "differs: $symbols_name"; status=1; }
[ $status -eq 0 ] && echo "reproducible: $(ls "$rebuilt_dist" | wc -l) files and $name equal after a rebuild in $work" \
                          "(umask 077, TZ=$zone, LC_ALL=$other_locale, SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH)"
exit $status
