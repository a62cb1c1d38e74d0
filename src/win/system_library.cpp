#include "win/system_library.h"

#include <cwchar>

namespace win {

HMODULE loadSystemLibrary(const wchar_t* name) {
    // The search limited to the system folder covers the libraries this one loads in turn.
    if (const HMODULE module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) return module;
    if (GetLastError() != ERROR_INVALID_PARAMETER) return nullptr;
    // A Windows 7 without the update that brought that search: the library itself by its full path.
    wchar_t path[MAX_PATH];
    const UINT n = GetSystemDirectoryW(path, MAX_PATH);
    if (n == 0 || n + 1 + wcslen(name) >= MAX_PATH) return nullptr;
    path[n] = L'\\';
    wcscpy(path + n + 1, name);
    return LoadLibraryW(path);
}

}  // namespace win
