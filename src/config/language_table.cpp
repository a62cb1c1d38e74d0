#include "config/language_table.h"

#include <fcntl.h>
#include <io.h>

#include <memory>
#include <vector>

#include "win/ansi_text.h"

namespace {

// Closes a C runtime file descriptor.
class CFileDescriptor {
public:
    explicit CFileDescriptor(int fd) : m_fd(fd) {}
    ~CFileDescriptor() {
        if (m_fd >= 0) _close(m_fd);
    }
    CFileDescriptor(const CFileDescriptor&) = delete;
    CFileDescriptor& operator=(const CFileDescriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

std::wstring trimSpaces(const std::wstring& s) {
    const size_t first = s.find_first_not_of(L' ');
    if (first == std::wstring::npos) return s;  // only spaces: kept as written
    const size_t last = s.find_last_not_of(L' ');
    return s.substr(first, last - first + 1);
}

// "\n" (backslash, letter n) becomes a line feed; nothing else is an escape.
std::wstring unescape(const std::wstring& s) {
    std::wstring out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == L'\\' && i + 1 < s.size() && s[i + 1] == L'n') {
            out += L'\n';
            ++i;
        } else {
            out += s[i];
        }
    }
    return out;
}

bool isLineBreak(wchar_t c) { return c == L'\r' || c == L'\n'; }

}  // namespace

LanguageMap parseLanguageText(const wchar_t* text, size_t length) {
    LanguageMap table;
    size_t pos = 0;
    while (pos < length) {
        // The line runs to the first CR LF; CR and LF directly after it are skipped too.
        size_t end = pos;
        while (end < length && !(text[end] == L'\r' && end + 1 < length && text[end + 1] == L'\n')) ++end;
        const std::wstring line(text + pos, end - pos);
        pos = end;
        if (pos < length) {
            pos += 2;
            while (pos < length && isLineBreak(text[pos])) ++pos;
        }

        const size_t firstNonBlank = line.find_first_not_of(L' ');
        if (firstNonBlank != std::wstring::npos && line[firstNonBlank] == L'#') continue;
        const size_t eq = line.find(L'=');
        if (eq == std::wstring::npos) continue;
        table.emplace(trimSpaces(line.substr(0, eq)), unescape(line.substr(eq + 1)));  // first wins
    }
    return table;
}

CLocalize::CLocalize(const std::wstring& path) {
    if (path.empty()) return;
    const CFileDescriptor file(_wopen(path.c_str(), _O_RDONLY | _O_BINARY | _O_SEQUENTIAL));
    if (file.get() < 0) return;

    unsigned char bom[2] = {};
    if (_read(file.get(), bom, 2) != 2 || bom[0] != 0xFF || bom[1] != 0xFE) return;

    const long long fileLength = _lseeki64(file.get(), 0, SEEK_END);
    if (fileLength < 2) return;
    const size_t units = static_cast<size_t>((fileLength - 2) / 2);
    if (units == 0 || units > 0x3FFFFFFF) return;
    if (_lseeki64(file.get(), 2, SEEK_SET) != 2) return;

    // The whole body in one read of the exact size; a short read parses nothing.
    std::vector<wchar_t> body(units);
    const unsigned bytes = static_cast<unsigned>(units * sizeof(wchar_t));
    if (_read(file.get(), body.data(), bytes) != static_cast<int>(bytes)) return;
    m_table = parseLanguageText(body.data(), body.size());
}

std::wstring CLocalize::translate(const char* key) const { return translate(win::widenAnsi(key)); }

std::wstring CLocalize::translate(const std::wstring& key) const {
    const auto it = m_table.find(key);
    return it != m_table.end() ? it->second : key;
}

bool CLocalize::localizeWindow(HWND window) const {
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) return false;
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    const auto it = m_table.find(text);
    if (it == m_table.end()) return false;
    SetWindowTextW(window, it->second.c_str());
    return true;
}

BOOL CALLBACK CLocalize::localizeChildProc(HWND child, LPARAM owner) {
    const auto* holder = reinterpret_cast<const CLocalizeOwner*>(owner);
    if (!holder) return FALSE;
    holder->localize().localizeWindow(child);
    EnumChildWindows(child, localizeChildProc, owner);
    return TRUE;
}

void CLocalizeOwner::localizeTree(HWND window) const {
    m_localize->localizeWindow(window);
    EnumChildWindows(window, CLocalize::localizeChildProc, reinterpret_cast<LPARAM>(this));
}
