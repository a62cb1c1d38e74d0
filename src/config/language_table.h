// The language table: keys written in the program ("T_OK") and in dialog templates, turned into
// the player's language from a UTF-16 language file.
#pragma once

#include <windows.h>

#include <string>
#include <unordered_map>

using LanguageMap = std::unordered_map<std::wstring, std::wstring>;

// Parses the body of a language file (the code units after the byte-order mark).
LanguageMap parseLanguageText(const wchar_t* text, size_t length);

class CLocalize {
public:
    CLocalize() = default;
    // Reads the file; a missing or unreadable file gives an empty table, silently.
    explicit CLocalize(const std::wstring& path);

    std::wstring translate(const char* key) const;
    std::wstring translate(const std::wstring& key) const;
    // Replaces the window's text by its translation when the whole text is a key.
    bool localizeWindow(HWND window) const;

    // EnumChildWindows callback; lParam is the CLocalizeOwner whose table is used.
    static BOOL CALLBACK localizeChildProc(HWND child, LPARAM owner);

    size_t size() const { return m_table.size(); }

private:
    LanguageMap m_table;
};

// Anything that lends its language table to the window-tree walk.
class CLocalizeOwner {
public:
    explicit CLocalizeOwner(const CLocalize& localize) : m_localize(&localize) {}
    const CLocalize& localize() const { return *m_localize; }

    // Translates the window's caption, then every window below it.
    void localizeTree(HWND window) const;

private:
    const CLocalize* m_localize;
};
