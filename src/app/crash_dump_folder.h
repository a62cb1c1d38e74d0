// Where crash reports go: %LOCALAPPDATA%\Tolmira\Skelvane\Crashes, one minidump a crash, named
// Skelvane-VERSION-UTCDATE-UTCTIME-PID.dmp. A dump is written under that name plus ".part" and
// renamed when whole, so that a process ended while it writes leaves no cut report among the kept
// ones. Only the newest ten stay, so that a game crashing at every start cannot fill the disk.
// Nothing here takes memory from a heap: it runs while the process dies.
#pragma once

#include <windows.h>

namespace crash {

constexpr int kKeptDumps = 10;

// Room for a folder under a long local application data path (redirected profiles); paths longer
// than the system's usual limit are given in its extended form.
constexpr size_t kPathChars = 1024;
using Path = wchar_t[kPathChars];

// The folder, created with the folders above it when they are missing; false when the user has no
// local application data folder or its path is too long even so.
bool makeDumpFolder(Path& folder);

// A dump being written: its file, open under the temporary name, and the name it will have.
struct DumpFile {
    HANDLE file = INVALID_HANDLE_VALUE;
    wchar_t name[64] = L"";
};

// A new dump in the folder, under a name that replaces no other dump; false when none can be made.
bool createDumpFile(const wchar_t* folder, const SYSTEMTIME& utc, DWORD processId, DumpFile& dump);

// Gives the whole dump its name and closes it; false when it keeps the temporary one.
bool publishDump(const wchar_t* folder, DumpFile& dump);

// Removes what earlier processes left half-written, then the oldest dumps until no more than
// kKeptDumps are left. The dump named `keep` (the one just written) is never removed, whatever its
// time, and a dump that cannot be removed is passed over.
void pruneDumps(const wchar_t* folder, const wchar_t* keep);

}  // namespace crash
