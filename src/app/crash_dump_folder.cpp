#include "app/crash_dump_folder.h"

#include <shlobj.h>

#include <cstdarg>
#include <cstddef>
#include <cstring>
#include <cwchar>

#include "version.h"

namespace crash {

namespace {

constexpr wchar_t kSubfolders[][16] = {L"\\Tolmira", L"\\Skelvane", L"\\Crashes"};
constexpr wchar_t kPartSuffix[] = L".part";
// The folders below the local application data folder and the longest name of a dump being written.
constexpr size_t kLongestTail = 25 + 1 + 64 + 5;

// False when the text does not fit: this runtime's swprintf gives the full length of a cut text
// rather than a negative number, and a cut name would be a dump never found again.
template <size_t N>
bool format(wchar_t (&out)[N], const wchar_t* pattern, ...) {
    va_list arguments;
    va_start(arguments, pattern);
    const int n = vswprintf(out, N, pattern, arguments);
    va_end(arguments);
    return n >= 0 && static_cast<size_t>(n) < N;
}

bool append(Path& path, const wchar_t* tail) {
    const size_t used = wcslen(path);
    if (used + wcslen(tail) >= kPathChars) return false;
    wcscpy(path + used, tail);
    return true;
}

// The path in the system's extended form ("\\?\C:\...", "\\?\UNC\server\..."), which has no limit
// of MAX_PATH but takes the path as written: it is made whole and absolute first.
bool extend(Path& path) {
    Path full;
    const DWORD n = GetFullPathNameW(path, kPathChars, full, nullptr);
    if (n == 0 || n >= kPathChars) return false;
    if (wcsncmp(full, L"\\\\?\\", 4) == 0) return format(path, L"%ls", full);
    if (full[0] == L'\\' && full[1] == L'\\') return format(path, L"\\\\?\\UNC%ls", full + 1);
    return format(path, L"\\\\?\\%ls", full);
}

// Oldest first: by the time of the last write, then by name.
int compareAge(const WIN32_FIND_DATAW& a, const WIN32_FIND_DATAW& b) {
    const LONG byTime = CompareFileTime(&a.ftLastWriteTime, &b.ftLastWriteTime);
    return byTime != 0 ? byTime : wcscmp(a.cFileName, b.cFileName);
}

void removeLeftovers(const wchar_t* folder) {
    Path pattern, path;
    if (!format(pattern, L"%ls\\Skelvane-*.dmp%ls", folder, kPartSuffix)) return;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return;
    // A copy still writing holds its file open without sharing, so only ended processes' files go.
    do
        if (format(path, L"%ls\\%ls", folder, found.cFileName)) DeleteFileW(path);
    while (FindNextFileW(search, &found));
    FindClose(search);
}

}  // namespace

bool makeDumpFolder(Path& folder) {
    const DWORD n = GetEnvironmentVariableW(L"LOCALAPPDATA", folder, kPathChars);
    if ((n == 0 || n >= kPathChars) && FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, folder)))
        return false;
    if (wcslen(folder) + kLongestTail >= MAX_PATH && !extend(folder)) return false;
    for (const wchar_t* sub : kSubfolders) {
        if (!append(folder, sub)) return false;
        CreateDirectoryW(folder, nullptr);
    }
    return true;
}

bool createDumpFile(const wchar_t* folder, const SYSTEMTIME& utc, DWORD processId, DumpFile& dump) {
    // Two crashes of one process in one second cannot happen, but a dump never replaces another.
    for (int copy = 1; copy < 100; ++copy) {
        wchar_t suffix[8] = L"";
        if (copy > 1) format(suffix, L"-%d", copy);
        Path path, part;
        if (!format(dump.name, L"Skelvane-%ls-%04u%02u%02u-%02u%02u%02u-%lu%ls.dmp", L"" SKELVANE_VERSION_STRING,
                    utc.wYear, utc.wMonth, utc.wDay, utc.wHour, utc.wMinute, utc.wSecond,
                    static_cast<unsigned long>(processId), suffix) ||
            !format(path, L"%ls\\%ls", folder, dump.name) || !format(part, L"%ls%ls", path, kPartSuffix))
            return false;
        if (GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES) continue;
        dump.file = CreateFileW(part, GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
        if (dump.file != INVALID_HANDLE_VALUE) return true;
        if (GetLastError() != ERROR_FILE_EXISTS) return false;
    }
    return false;
}

bool publishDump(const wchar_t* folder, DumpFile& dump) {
    Path path, part;
    bool named = format(path, L"%ls\\%ls", folder, dump.name) && format(part, L"%ls%ls", path, kPartSuffix);
    // Renamed through its own handle, so that no other copy can take it for a leftover meanwhile;
    // where the system cannot, closed and moved.
    alignas(FILE_RENAME_INFO) unsigned char buffer[sizeof(FILE_RENAME_INFO) + sizeof(Path)] = {};
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer);
    rename->ReplaceIfExists = FALSE;
    rename->FileNameLength = static_cast<DWORD>(wcslen(path) * sizeof(wchar_t));
    // The name runs on past the structure's one declared character, into the buffer.
    memcpy(buffer + offsetof(FILE_RENAME_INFO, FileName), path, rename->FileNameLength + sizeof(wchar_t));
    const bool renamed = named && SetFileInformationByHandle(dump.file, FileRenameInfo, buffer, sizeof buffer);
    CloseHandle(dump.file);
    dump.file = INVALID_HANDLE_VALUE;
    if (named && !renamed) named = MoveFileExW(part, path, MOVEFILE_WRITE_THROUGH) != FALSE;
    return named;
}

void pruneDumps(const wchar_t* folder, const wchar_t* keep) {
    removeLeftovers(folder);
    Path pattern, path;
    if (!format(pattern, L"%ls\\Skelvane-*.dmp", folder)) return;
    // Dumps that could not be removed are passed over: the next round looks only at newer ones.
    bool passedAny = false;
    WIN32_FIND_DATAW passed{};
    for (int round = 0; round < 1000; ++round) {
        int count = 0;
        bool found = false;
        WIN32_FIND_DATAW entry, oldest{};
        const HANDLE search = FindFirstFileW(pattern, &entry);
        if (search == INVALID_HANDLE_VALUE) return;
        do {
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
            ++count;
            if (wcscmp(entry.cFileName, keep) == 0 || (passedAny && compareAge(entry, passed) <= 0)) continue;
            if (!found || compareAge(entry, oldest) < 0) oldest = entry;
            found = true;
        } while (FindNextFileW(search, &entry));
        FindClose(search);
        if (count <= kKeptDumps || !found || !format(path, L"%ls\\%ls", folder, oldest.cFileName)) return;
        if (!DeleteFileW(path)) {
            passed = oldest;
            passedAny = true;
        }
    }
}

}  // namespace crash
