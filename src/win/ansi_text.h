// 8-bit texts of the system ANSI code page (language keys, exception messages, adapter and
// sound-driver names) as the wide strings everything is shown in.
#pragma once

#include <windows.h>

#include <cstring>
#include <string>

namespace win {

inline std::wstring widenAnsi(const char* text, size_t length) {
    if (!text || length == 0) return {};
    const int n = MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0);
    if (n <= 0) return {};
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), wide.data(), n);
    return wide;
}

// Null gives the empty string.
inline std::wstring widenAnsi(const char* text) { return text ? widenAnsi(text, std::strlen(text)) : std::wstring(); }

}  // namespace win
