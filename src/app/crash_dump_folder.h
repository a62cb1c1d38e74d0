// Where crash reports go: %LOCALAPPDATA%\Tolmira\Skelvane\Crashes, one minidump a crash, named
// Skelvane-VERSION-UTCDATE-UTCTIME-PID.dmp. Only the newest ten stay, so that a game crashing at every
// start cannot fill the disk. Nothing here takes memory from a heap: it runs while the process dies.
#pragma once

#include <windows.h>

namespace crash {

constexpr int kKeptDumps = 10;

// The folder, created with the folders above it when they are missing; false when the user has no
// local application data folder.
bool makeDumpFolder(wchar_t (&folder)[MAX_PATH]);

// A new dump file in the folder that replaces no other; an invalid handle when none can be made.
HANDLE createDumpFile(const wchar_t* folder, const SYSTEMTIME& utc, DWORD processId);

// Deletes the oldest dumps of the folder until no more than kKeptDumps are left.
void pruneDumps(const wchar_t* folder);

}  // namespace crash
