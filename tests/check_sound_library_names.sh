#!/usr/bin/env bash
# fmod.dll exports the five calls under the real library's names, and Skelvane.exe imports from it and
# from Korvex.dll exactly the names of tools/launcher_imports.txt (the list the release command checks
# a studio's libraries against): decorated stdcall names on 32-bit Windows, plain names on 64-bit.
# Usage: check_sound_library_names.sh OBJDUMP DIST_DIR...
set -u
objdump=$1; shift
list=$(dirname "$0")/../tools/launcher_imports.txt
# The names the list gives for a library of the format of the folder's programs.
want() { awk -v format="$format" -v library="$1" '$1 == format && $2 == library { $1 = $2 = ""; print }' "$list" | xargs; }
status=0
for dir in "$@"; do
  format=$("$objdump" -f "$dir/fmod.dll" | sed -n 's/.*file format //p')
  # The export name table of the library, then the names the launcher imports from each library.
  exported=$("$objdump" -p "$dir/fmod.dll" |
    sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/s/^\s*\[ *[0-9]*\] //p' | sort | xargs)
  [ -n "$(want fmod.dll)" ] && [ "$exported" = "$(want fmod.dll)" ] || { echo "$dir/fmod.dll exports: $exported"; status=1; }
  for library in Korvex.dll fmod.dll; do
    imported=$("$objdump" -p "$dir/Skelvane.exe" |
      sed -n "/DLL Name: $library/,/^\$/p" | awk 'NF == 3 && $1 != "vma:" && $1 != "DLL" {print $3}' | sort | xargs)
    [ "$imported" = "$(want $library)" ] || { echo "$dir/Skelvane.exe imports from $library: $imported"; status=1; }
  done
done
[ $status -eq 0 ] && echo "sound library names: as the real library's; the launcher imports the listed names"
exit $status
