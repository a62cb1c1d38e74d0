#include "app/crash_upload_address.h"

#include <windows.h>

#include <cwctype>

#include "win/handles.h"

namespace crash {

namespace {

bool startsWithNoCase(const std::wstring& text, const wchar_t* prefix) {
    const size_t n = wcslen(prefix);
    return text.size() >= n && _wcsnicmp(text.c_str(), prefix, n) == 0;
}

bool isLoopback(const std::wstring& host) {
    if (_wcsicmp(host.c_str(), L"localhost") == 0 || host == L"::1") return true;
    // 127.0.0.0/8, written as four decimal parts.
    unsigned parts[4];
    wchar_t tail = 0;
    return swscanf(host.c_str(), L"%u.%u.%u.%u%lc", &parts[0], &parts[1], &parts[2], &parts[3], &tail) == 4 &&
           parts[0] == 127 && parts[1] < 256 && parts[2] < 256 && parts[3] < 256;
}

}  // namespace

std::optional<UploadAddress> parseUploadAddress(const std::wstring& url) {
    for (wchar_t c : url)
        if (c <= L' ' || c == 0x7F) return std::nullopt;
    UploadAddress address;
    size_t at = 0;
    if (startsWithNoCase(url, L"https://")) {
        at = 8;
    } else if (startsWithNoCase(url, L"http://")) {
        address.secure = false;
        at = 7;
    } else {
        return std::nullopt;
    }
    const size_t end = url.find_first_of(L"/?#", at);
    const std::wstring authority = url.substr(at, end == std::wstring::npos ? std::wstring::npos : end - at);
    if (authority.empty() || authority.find(L'@') != std::wstring::npos) return std::nullopt;

    std::wstring port;
    if (authority[0] == L'[') {
        const size_t close = authority.find(L']');
        if (close == std::wstring::npos) return std::nullopt;
        address.host = authority.substr(1, close - 1);
        if (close + 1 < authority.size()) {
            if (authority[close + 1] != L':') return std::nullopt;
            port = authority.substr(close + 2);
        }
    } else {
        const size_t colon = authority.find(L':');
        address.host = authority.substr(0, colon);
        if (colon != std::wstring::npos) port = authority.substr(colon + 1);
    }
    if (address.host.empty()) return std::nullopt;
    address.port = address.secure ? 443 : 80;
    if (!port.empty()) {
        unsigned long value = 0;
        for (wchar_t c : port) {
            if (!iswdigit(c) || (value = value * 10 + (c - L'0')) > 65535) return std::nullopt;
        }
        if (value == 0) return std::nullopt;
        address.port = static_cast<unsigned short>(value);
    }
    if (!address.secure && !isLoopback(address.host)) return std::nullopt;

    address.path = end == std::wstring::npos ? L"/" : url.substr(end);
    if (address.path[0] != L'/') address.path.insert(0, L"/");
    const size_t fragment = address.path.find(L'#');
    if (fragment != std::wstring::npos) address.path.erase(fragment);
    return address;
}

std::optional<UploadAddress> readUploadAddress() {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return std::nullopt;
    wchar_t* slash = wcsrchr(path, L'\\');
    if (!slash || (slash + 1 - path) + wcslen(kUploadAddressFile) >= MAX_PATH) return std::nullopt;
    wcscpy(slash + 1, kUploadAddressFile);

    const HANDLE opened =
        CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return std::nullopt;
    const win::CKernelHandle file(opened);
    char text[2048];
    DWORD read = 0;
    if (!ReadFile(file.get(), text, sizeof text, &read, nullptr)) return std::nullopt;
    size_t begin = read >= 3 && memcmp(text, "\xEF\xBB\xBF", 3) == 0 ? 3 : 0;  // Notepad's UTF-8 mark
    size_t end = begin;
    while (end < read && text[end] != '\r' && text[end] != '\n') ++end;
    while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
    while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
    if (end == begin) return std::nullopt;
    const int wide = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text + begin, static_cast<int>(end - begin), nullptr, 0);
    if (wide <= 0) return std::nullopt;
    std::wstring url(wide, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text + begin, static_cast<int>(end - begin), url.data(), wide);
    return parseUploadAddress(url);
}

}  // namespace crash
