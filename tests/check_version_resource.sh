#!/usr/bin/env bash
# Every shipped program carries the release's version, from the VERSION file, as its file and
# product version, both in numbers and in text (the resource compiler reads them back); the package
# is named with it.
# Usage: check_version_resource.sh WINDRES VERSION_FILE DIST_DIR PACKAGE
set -u
windres=$1 version=$(head -n1 "$2") dist=$3 package=$4
numbers="${version//./, }, 0"
status=0
for name in Skelvane.exe Korvex.dll fmod.dll; do
  resources=$("$windres" -i "$dist/$name" -O rc 2>&1)
  for line in "FILEVERSION $numbers" "PRODUCTVERSION $numbers" \
              "VALUE \"FileVersion\", \"$version\"" "VALUE \"ProductVersion\", \"$version\""; do
    grep -qxF "$line" <<<"$(sed 's/^ *//' <<<"$resources")" || { echo "$name: no $line"; status=1; }
  done
done
[[ $(basename "$package") == Skelvane-$version-win??.zip ]] || { echo "package named $(basename "$package")"; status=1; }
[ $status -eq 0 ] && echo "version: $version in all three programs and the package name"
exit $status
