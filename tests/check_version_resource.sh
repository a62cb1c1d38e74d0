#!/usr/bin/env bash
# Every shipped program carries the release's version, from the VERSION file, as its file and
# product version, both in numbers and in text (the resource compiler reads them back); the package
# is named with it. The launcher's manifest, read back from the program, carries it too, for the
# program's own architecture, and says what Windows must know of the game's process: common
# controls 6, every Windows it was made for, no elevation, per-monitor DPI awareness, and none of
# the settings that would change what old code relies on.
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
  [ "$name" = Skelvane.exe ] || continue
  # The manifest as the resource compiler prints it: one quoted string a line, quotes doubled.
  manifest=$(sed -n '/^1 24 /,/^END/p' <<<"$resources" | sed -n 's/^ *"\(.*\)\\n"$/\1/p' | sed 's/""/"/g')
  python3 "$(dirname "$0")/check_manifest.py" "$dist/$name" "$version" <<<"$manifest" || status=1
done
[[ $(basename "$package") == Skelvane-$version-win??.zip ]] || { echo "package named $(basename "$package")"; status=1; }
[ $status -eq 0 ] && echo "version: $version in all three programs, the manifest and the package name"
exit $status
