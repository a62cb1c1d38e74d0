// A fresh folder of files, removed with all it holds when the object goes. Unless told otherwise it
// is the current directory while it lives, for tests of what the launcher reads from its working
// directory (the options file, the language file).
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace test {

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
        WIN32_FIND_DATAW data;
        const HANDLE find = FindFirstFileW(file(L"*").c_str(), &data);
        if (find != INVALID_HANDLE_VALUE) {
            do DeleteFileW(file(data.cFileName).c_str());
            while (FindNextFileW(find, &data));
            FindClose(find);
        }
        RemoveDirectoryW(m_path.c_str());
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::wstring& path() const { return m_path; }
    std::wstring file(const std::wstring& name) const { return m_path + L"\\" + name; }
    // False when the file cannot be written.
    bool write(const std::wstring& name, const std::string& bytes) const {
        FILE* f = _wfopen(file(name).c_str(), L"wb");
        if (!f) return false;
        const bool written = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
        fclose(f);
        return written;
    }
    // A language file as the launcher reads it (UTF-16 LE with its mark, CR LF); returns its path.
    std::wstring writeLanguage(const std::vector<std::wstring>& lines,
                               const std::wstring& name = L"language.txt") const {
        std::wstring text(1, L'\xFEFF');
        for (const std::wstring& line : lines) text += line + L"\r\n";
        write(name, std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t)));
        return file(name);
    }
    // The whole file; empty when it cannot be read.
    std::string read(const std::wstring& name) const {
        std::string bytes;
        if (FILE* f = _wfopen(file(name).c_str(), L"rb")) {
            char buffer[4096];
            for (size_t n; (n = fread(buffer, 1, sizeof buffer, f)) > 0;) bytes.append(buffer, n);
            fclose(f);
        }
        return bytes;
    }
    void remove(const std::wstring& name) const { DeleteFileW(file(name).c_str()); }

private:
    static inline int s_count = 0;
    std::wstring m_path;
    std::wstring m_previous;
};

}  // namespace test
