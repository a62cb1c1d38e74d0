#include "app/crash_dump_folder.h"

#include <shlobj.h>

#include <cwchar>

#include "version.h"

namespace crash {

namespace {

constexpr wchar_t kSubfolders[][16] = {L"\\Tolmira", L"\\Skelvane", L"\\Crashes"};

bool append(wchar_t (&path)[MAX_PATH], const wchar_t* tail) {
    const size_t used = wcslen(path);
    if (used + wcslen(tail) >= MAX_PATH) return false;
    wcscpy(path + used, tail);
    return true;
}

}  // namespace

bool makeDumpFolder(wchar_t (&folder)[MAX_PATH]) {
    const DWORD n = GetEnvironmentVariableW(L"LOCALAPPDATA", folder, MAX_PATH);
    if ((n == 0 || n >= MAX_PATH) && FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, folder)))
        return false;
    for (const wchar_t* sub : kSubfolders) {
        if (!append(folder, sub)) return false;
        CreateDirectoryW(folder, nullptr);
    }
    return true;
}

HANDLE createDumpFile(const wchar_t* folder, const SYSTEMTIME& utc, DWORD processId) {
    wchar_t path[MAX_PATH];
    // Two crashes of one process in one second cannot happen, but a dump never replaces another.
    for (int copy = 1; copy < 100; ++copy) {
        wchar_t suffix[8] = L"";
        if (copy > 1) swprintf(suffix, 8, L"-%d", copy);
        const int n = swprintf(path, MAX_PATH, L"%ls\\Skelvane-%ls-%04u%02u%02u-%02u%02u%02u-%lu%ls.dmp", folder,
                               L"" SKELVANE_VERSION_STRING, utc.wYear, utc.wMonth, utc.wDay, utc.wHour, utc.wMinute,
                               utc.wSecond, static_cast<unsigned long>(processId), suffix);
        if (n < 0) return INVALID_HANDLE_VALUE;
        const HANDLE file = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return file;
    }
    return INVALID_HANDLE_VALUE;
}

void pruneDumps(const wchar_t* folder) {
    wchar_t pattern[MAX_PATH];
    if (swprintf(pattern, MAX_PATH, L"%ls\\Skelvane-*.dmp", folder) < 0) return;
    for (;;) {
        int count = 0;
        WIN32_FIND_DATAW found, oldest{};
        const HANDLE search = FindFirstFileW(pattern, &found);
        if (search == INVALID_HANDLE_VALUE) return;
        do {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
            if (count++ == 0 || CompareFileTime(&found.ftLastWriteTime, &oldest.ftLastWriteTime) < 0) oldest = found;
        } while (FindNextFileW(search, &found));
        FindClose(search);
        if (count <= kKeptDumps) return;
        wchar_t path[MAX_PATH];
        if (swprintf(path, MAX_PATH, L"%ls\\%ls", folder, oldest.cFileName) < 0 || !DeleteFileW(path)) return;
    }
}

}  // namespace crash
