// Reading and working the controls of a dialog as a player would, in this process or in another
// one: the standard controls carry these messages across processes.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace ui {

// The child window with this id, at any depth (the pages are dialogs inside the dialog).
inline HWND find(HWND parent, int id) {
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (GetDlgCtrlID(child) == id) return child;
        if (const HWND inner = find(child, id)) return inner;
    }
    return nullptr;
}

// The scale the runner set (tests/run_at_dpi.sh), 96 DPI without one.
inline UINT runnerDpi() {
    const char* dpi = std::getenv("SKELVANE_DPI");
    return dpi ? static_cast<UINT>(std::atoi(dpi)) : USER_DEFAULT_SCREEN_DPI;
}

// Asked of the window itself, as the text of another process's edit controls must be.
inline std::wstring text(HWND window) {
    std::wstring text(static_cast<size_t>(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
    const LPARAM into = reinterpret_cast<LPARAM>(text.data());
    text.resize(static_cast<size_t>(SendMessageW(window, WM_GETTEXT, text.size(), into)));
    return text;
}

inline std::wstring className(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

// "caption|text" of a message box (the dialog whose static text has the id 0xFFFF).
inline std::wstring messageBoxText(HWND box) { return text(box) + L"|" + text(GetDlgItem(box, 0xFFFF)); }

struct Combo {
    std::vector<std::wstring> texts;
    std::vector<LONG_PTR> data;
    int selected = -1;
    std::wstring selectedText() const { return selected >= 0 ? texts[selected] : L""; }
};

inline Combo readCombo(HWND dialog, int id) {
    const HWND combo = find(dialog, id);
    Combo c;
    c.selected = static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0));
    const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        std::wstring text(static_cast<size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
        const LRESULT length = SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        text.resize(length > 0 ? static_cast<size_t>(length) : 0);
        c.texts.push_back(text);
        c.data.push_back(static_cast<LONG_PTR>(SendMessageW(combo, CB_GETITEMDATA, i, 0)));
    }
    return c;
}

// Selects an entry the way the player's choice arrives: the selection, then CBN_SELCHANGE to the page.
inline void select(HWND dialog, int id, int index) {
    const HWND combo = find(dialog, id);
    SendMessageW(combo, CB_SETCURSEL, index, 0);
    const LPARAM from = reinterpret_cast<LPARAM>(combo);
    SendMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), from);
}

// False when the list has no entry with this text.
inline bool selectText(HWND dialog, int id, const std::wstring& text) {
    const std::vector<std::wstring> texts = readCombo(dialog, id).texts;
    const auto at = std::find(texts.begin(), texts.end(), text);
    if (at != texts.end()) select(dialog, id, static_cast<int>(at - texts.begin()));
    return at != texts.end();
}

}  // namespace ui
