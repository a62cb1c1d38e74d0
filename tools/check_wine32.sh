#!/usr/bin/env bash
# Proves that Wine here really runs 32-bit Windows programs: without Wine's i386 half the loader
# exits 0 at once without running anything, and every 32-bit result after that would be a lie.
# A tiny 32-bit program must return a known exit code and write a known file.
set -euo pipefail
work=$(mktemp -d /tmp/skelvane-wine32.XXXXXX)
trap 'WINEPREFIX="$work/prefix" "${WINESERVER:-/usr/lib/wine/wineserver}" -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
cat >"$work/probe.c" <<'C'
#include <windows.h>
int main(int argc, char** argv) {
    HANDLE f = CreateFileA(argv[1], GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    DWORD written = 0;
    if (f == INVALID_HANDLE_VALUE || !WriteFile(f, "ran 32-bit", 10, &written, NULL)) return 1;
    CloseHandle(f);
    return sizeof(void*) == 4 ? 42 : 2;
}
C
i686-w64-mingw32-gcc -O1 -o "$work/probe.exe" "$work/probe.c"
status=0
# As in every prefix of the scripts: a crash ends the program at once instead of in the crash dialog.
WINEDEBUG=-all WINEPREFIX="$work/prefix" /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog \
  /t REG_DWORD /d 0 /f >/dev/null 2>&1 </dev/null || true
WINEDEBUG=-all WINEPREFIX="$work/prefix" timeout -k 5 120 /usr/lib/wine/wine64 "$work/probe.exe" 'Z:'"${work//\//\\}"'\out.txt' \
  >"$work/log" 2>&1 </dev/null || status=$?
if [ "$status" -ne 42 ] || [ "$(cat "$work/out.txt" 2>/dev/null)" != "ran 32-bit" ]; then
  echo "setup: Wine does not run 32-bit Windows programs here (probe exit code $status, expected 42)." >&2
  echo "setup: install Wine's i386 half: dpkg --add-architecture i386, then wine32:i386 and the i386 GL/X" >&2
  echo "setup: libraries listed in tools/setup.sh. Wine said:" >&2
  tail -5 "$work/log" >&2
  exit 1
fi
