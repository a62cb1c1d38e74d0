#include "config/options_file.h"

#include <windows.h>

#include <vector>

namespace {

// The profile reader's buffer: 259 characters and the terminator.
constexpr DWORD kValueCapacity = 260;

std::wstring currentDirectory() {
    const DWORD length = GetCurrentDirectoryW(0, nullptr);
    if (length == 0) return std::wstring();
    std::vector<wchar_t> buffer(length + 1, L'\0');
    // The directory may have changed between the calls; whatever came back ends at the first zero.
    if (GetCurrentDirectoryW(length, buffer.data()) == 0) return std::wstring();
    return std::wstring(buffer.data());
}

}  // namespace

std::wstring optionsFilePath(const std::wstring& directory, const std::wstring& fileName) {
    if (directory.empty()) return L".\\" + fileName;
    if (directory.back() == L'\\') return directory + fileName;
    return directory + L"\\" + fileName;
}

std::wstring readOption(const std::wstring& fileName, const std::wstring& section, const std::wstring& key,
                        const std::wstring& defaultValue) {
    const std::wstring path = optionsFilePath(currentDirectory(), fileName);
    wchar_t value[kValueCapacity] = {};
    GetPrivateProfileStringW(section.c_str(), key.c_str(), defaultValue.c_str(), value, kValueCapacity, path.c_str());
    value[kValueCapacity - 1] = L'\0';
    return std::wstring(value);
}
