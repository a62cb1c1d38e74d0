// A fresh folder made the current directory while it lives, for tests of what the launcher reads
// from its working directory (the options file, the language file).
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace test {

class ScratchFolder {
public:
    ScratchFolder() {
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        m_path = std::wstring(base) + L"skelvane-scratch-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                 std::to_wstring(++s_count);
        CreateDirectoryW(m_path.c_str(), nullptr);
        wchar_t previous[MAX_PATH];
        GetCurrentDirectoryW(MAX_PATH, previous);
        m_previous = previous;
        SetCurrentDirectoryW(m_path.c_str());
    }
    ~ScratchFolder() {
        SetCurrentDirectoryW(m_previous.c_str());
        for (const std::wstring& name : m_files) DeleteFileW(file(name).c_str());
        RemoveDirectoryW(m_path.c_str());
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::wstring file(const std::wstring& name) const { return m_path + L"\\" + name; }
    // False when the file cannot be written.
    bool write(const std::wstring& name, const std::string& bytes) {
        FILE* f = _wfopen(file(name).c_str(), L"wb");
        if (!f) return false;
        const bool written = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
        fclose(f);
        m_files.push_back(name);
        return written;
    }
    // A language file as the launcher reads it (UTF-16 LE with its mark, CR LF); returns its path.
    std::wstring writeLanguage(const std::vector<std::wstring>& lines) {
        std::wstring text(1, L'\xFEFF');
        for (const std::wstring& line : lines) text += line + L"\r\n";
        write(L"language.txt", std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t)));
        return file(L"language.txt");
    }

private:
    static inline int s_count = 0;
    std::wstring m_path;
    std::wstring m_previous;
    std::vector<std::wstring> m_files;
};

}  // namespace test
