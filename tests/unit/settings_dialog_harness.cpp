#include "unit/settings_dialog_harness.h"

namespace harness {

namespace {
CSettingsDialog* g_dialog = nullptr;
const std::function<void(HWND)>* g_drive = nullptr;

void CALLBACK onTimer(HWND, UINT, UINT_PTR id, DWORD) {
    if (!g_dialog || !g_dialog->hwnd() || !IsWindowVisible(g_dialog->hwnd())) return;
    KillTimer(nullptr, id);
    const HWND window = g_dialog->hwnd();
    (*g_drive)(window);
    if (IsWindow(window)) PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
}
}  // namespace

INT_PTR runDialog(CSettingsDialog& dialog, const std::function<void(HWND)>& drive) {
    g_dialog = &dialog;
    g_drive = &drive;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, onTimer);
    const INT_PTR result = dialog.run(nullptr);
    KillTimer(nullptr, timer);
    g_dialog = nullptr;
    g_drive = nullptr;
    return result;
}

namespace {
struct ControlSearch {
    int id;
    HWND found;
};

BOOL CALLBACK matchControl(HWND w, LPARAM p) {
    auto* s = reinterpret_cast<ControlSearch*>(p);
    if (GetDlgCtrlID(w) != s->id) return TRUE;
    s->found = w;
    return FALSE;
}

BOOL CALLBACK matchOwnDialog(HWND w, LPARAM p) {
    auto* s = reinterpret_cast<ControlSearch*>(p);
    wchar_t name[16] = {};
    GetClassNameW(w, name, 16);
    if (wcscmp(name, L"#32770") != 0 || !GetDlgItem(w, s->id)) return TRUE;
    s->found = w;
    return FALSE;
}
}  // namespace

HWND findControl(HWND dialog, int id) {
    ControlSearch s{id, nullptr};
    EnumChildWindows(dialog, matchControl, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

Combo readCombo(HWND dialog, int id) {
    const HWND combo = findControl(dialog, id);
    Combo c{{}, {}, static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0)), IsWindowEnabled(combo) != FALSE};
    const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        c.texts.push_back(text);
        c.data.push_back(static_cast<LONG_PTR>(SendMessageW(combo, CB_GETITEMDATA, i, 0)));
    }
    return c;
}

void select(HWND dialog, int id, int index) {
    const HWND combo = findControl(dialog, id);
    SendMessageW(combo, CB_SETCURSEL, index, 0);
    SendMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

bool isEnabled(HWND dialog, int id) { return IsWindowEnabled(findControl(dialog, id)) != FALSE; }

HWND findOwnDialog(int controlId) {
    ControlSearch s{controlId, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), matchOwnDialog, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

void click(HWND dialog, int id) { SendMessageW(findControl(dialog, id), BM_CLICK, 0, 0); }

namespace {
std::vector<std::pair<int, std::function<void(HWND)>>> g_pending;

void CALLBACK onPendingTimer(HWND, UINT, UINT_PTR id, DWORD) {
    if (g_pending.empty()) {
        KillTimer(nullptr, id);
        return;
    }
    const HWND dialog = findOwnDialog(g_pending.front().first);
    if (!dialog || !IsWindowVisible(dialog)) return;
    KillTimer(nullptr, id);
    const std::function<void(HWND)> drive = std::move(g_pending.front().second);
    g_pending.erase(g_pending.begin());
    drive(dialog);
}
}  // namespace

void whenDialogShows(int controlId, std::function<void(HWND)> drive) {
    g_pending.emplace_back(controlId, std::move(drive));
    SetTimer(nullptr, 0, 20, onPendingTimer);
}

}  // namespace harness
