#!/usr/bin/env bash
# The shipped programs may import only Windows system DLLs and each other: no compiler runtime.
# The launcher exports its ten launch steps by name, as the tools that call them look for them, and
# nothing else. The compiler's runtime that the programs carry instead comes with the notices its
# licences ask for: each part whose code is in a program (seen in the unstripped copies beside the
# folder) is named in the folder's THIRD-PARTY-NOTICES.txt.
# Usage: check_imports.sh OBJDUMP DIST_DIR...
set -u
objdump=$1; shift
allowed='^(kernel32|user32|gdi32|advapi32|ole32|oleaut32|shell32|comctl32|comdlg32|winmm|version|msvcrt|d3d9|d3dx9_30|dsound|ntdll|imm32|rpcrt4|korvex|fmod|riched20|api-ms-win-.*)\.dll$'
# Exactly the launch steps, in byte order.
launch_steps='appInit appPreInit appTerm checkD3DCaps checkDXVersion createWindow getDXVersion prepare2Run registerWndClass unregisterWndClass '
status=0
for dir in "$@"; do
  for file in "$dir"/Skelvane.exe "$dir"/Korvex.dll "$dir"/fmod.dll; do
    [ -f "$file" ] || { [ "$(basename "$file")" = fmod.dll ] && continue; echo "missing $file"; status=1; continue; }
    for dll in $("$objdump" -p "$file" | sed -n 's/^\s*DLL Name: //p'); do
      lower=$(echo "$dll" | tr 'A-Z' 'a-z')
      if ! [[ $lower =~ $allowed ]]; then
        echo "$file imports $dll"
        status=1
      fi
    done
  done
  linked=$(for file in "$dir-symbols"/Skelvane.exe "$dir-symbols"/Korvex.dll "$dir-symbols"/fmod.dll; do
             "$objdump" -t "$file"; done)
  [ -n "$linked" ] || { echo "no symbols in $dir-symbols"; status=1; }
  # A symbol of each part, and the heading of its notice.
  for part in '_pei386_runtime_relocator|mingw-w64 runtime' '__gdtoa|gdtoa' 'pthread_mutex_lock|winpthreads'; do
    grep -q -- "${part%%|*}" <<<"$linked" || continue
    grep -qx -- "[0-9]\. ${part#*|}.*"$'\r' "$dir/THIRD-PARTY-NOTICES.txt" 2>/dev/null ||
      { echo "$dir/THIRD-PARTY-NOTICES.txt has no notice for ${part#*|}, which the programs carry"; status=1; }
  done
  exports=$("$objdump" -p "$dir/Skelvane.exe" | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/s/^\s*\[ *[0-9]*\] //p' | LC_ALL=C sort | tr '\n' ' ')
  [ "$exports" = "$launch_steps" ] || { echo "$dir/Skelvane.exe exports $exports, not $launch_steps"; status=1; }
done
[ $status -eq 0 ] && echo "imports: only system DLLs and each other; exactly the ten launch steps exported; the runtime's notices beside them"
exit $status
