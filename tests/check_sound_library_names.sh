#!/usr/bin/env bash
# fmod.dll exports the five calls under the real library's names, and Skelvane.exe imports them
# from it by those names: decorated stdcall names on 32-bit Windows, plain names on 64-bit.
# Usage: check_sound_library_names.sh OBJDUMP DIST_DIR...
set -u
objdump=$1; shift
status=0
for dir in "$@"; do
  if "$objdump" -f "$dir/fmod.dll" | grep -q 'file format pei-i386'; then
    want='_FSOUND_GetDriverCaps@8 _FSOUND_GetDriverName@4 _FSOUND_GetNumDrivers@0 _FSOUND_GetVersion@0'
    want="$want _FSOUND_SetOutput@4"
  else
    want='FSOUND_GetDriverCaps FSOUND_GetDriverName FSOUND_GetNumDrivers FSOUND_GetVersion FSOUND_SetOutput'
  fi
  # The export name table of the library, then the names the launcher imports from it.
  exported=$("$objdump" -p "$dir/fmod.dll" |
    sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/s/^\s*\[ *[0-9]*\] //p' | sort | xargs)
  imported=$("$objdump" -p "$dir/Skelvane.exe" |
    sed -n '/DLL Name: fmod.dll/,/^$/p' | awk 'NF == 3 && $1 != "vma:" && $1 != "DLL" {print $3}' | sort | xargs)
  [ "$exported" = "$want" ] || { echo "$dir/fmod.dll exports: $exported"; status=1; }
  [ "$imported" = "$want" ] || { echo "$dir/Skelvane.exe imports from fmod.dll: $imported"; status=1; }
done
[ $status -eq 0 ] && echo "sound library names: as the real library's"
exit $status
