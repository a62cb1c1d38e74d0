#include "app/command_line.h"

#include <cwchar>

bool hasSwitch(const wchar_t* commandLine, const wchar_t* name) {
    if (!commandLine || !name) return false;
    const size_t length = std::wcslen(name);
    const wchar_t* p = commandLine;
    while (*p) {
        if (*p == L' ') {
            ++p;
            continue;
        }
        if ((*p == L'-' || *p == L'/') && _wcsnicmp(p + 1, name, length) == 0) return true;
        while (*p && *p != L' ') ++p;  // the rest of the word
    }
    return false;
}
