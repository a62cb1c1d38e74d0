// A fresh folder of files, removed with all it holds when the object goes. Unless told otherwise it
// is the current directory while it lives, for tests of what the launcher reads from its working
// directory (the options file, the language file).
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace test {

// The whole file; empty when it cannot be read.
inline std::string readFile(const std::wstring& path) {
    std::string bytes;
    if (FILE* f = _wfopen(path.c_str(), L"rb")) {
        char buffer[65536];
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, f)) > 0;) bytes.append(buffer, n);
        fclose(f);
    }
    return bytes;
}

// False when the file cannot be written whole.
inline bool writeFile(const std::wstring& path, const std::string& bytes) {
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (!f) return false;
    const bool written = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && written;
}

// The names of the files (not folders) of a folder that match a pattern, sorted.
inline std::vector<std::wstring> filesIn(const std::wstring& folder, const std::wstring& pattern = L"*") {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder + L"\\" + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

class ScratchFolder {
public:
    explicit ScratchFolder(bool current = true) {
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        m_path = std::wstring(base) + L"skelvane-scratch-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                 std::to_wstring(++s_count);
        CreateDirectoryW(m_path.c_str(), nullptr);
        wchar_t previous[MAX_PATH];
        if (current && GetCurrentDirectoryW(MAX_PATH, previous)) m_previous = previous;
        if (current) SetCurrentDirectoryW(m_path.c_str());
    }
    ~ScratchFolder() {
        if (!m_previous.empty()) SetCurrentDirectoryW(m_previous.c_str());
        for (const std::wstring& name : filesIn(m_path)) DeleteFileW(file(name).c_str());
        RemoveDirectoryW(m_path.c_str());
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::wstring& path() const { return m_path; }
    std::wstring file(const std::wstring& name) const { return m_path + L"\\" + name; }
    // False when the file cannot be written.
    bool write(const std::wstring& name, const std::string& bytes) const { return writeFile(file(name), bytes); }
    // A language file as the launcher reads it (UTF-16 LE with its mark, CR LF); returns its path.
    std::wstring writeLanguage(const std::vector<std::wstring>& lines,
                               const std::wstring& name = L"language.txt") const {
        std::wstring text(1, L'\xFEFF');
        for (const std::wstring& line : lines) text += line + L"\r\n";
        write(name, std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t)));
        return file(name);
    }
    // The whole file; empty when it cannot be read.
    std::string read(const std::wstring& name) const { return readFile(file(name)); }
    void remove(const std::wstring& name) const { DeleteFileW(file(name).c_str()); }

private:
    static inline int s_count = 0;
    std::wstring m_path;
    std::wstring m_previous;
};

}  // namespace test
