#include "unit/settings_dialog_harness.h"

namespace harness {

namespace {
std::vector<std::pair<int, std::function<void(HWND)>>> g_pending;

void CALLBACK onPendingTimer(HWND, UINT, UINT_PTR id, DWORD) {
    for (auto at = g_pending.begin(); at != g_pending.end(); ++at) {
        const HWND dialog = findOwnDialog(at->first);
        if (!dialog || !IsWindowVisible(dialog)) continue;
        const std::function<void(HWND)> drive = std::move(at->second);
        g_pending.erase(at);
        KillTimer(nullptr, id);
        drive(dialog);
        return;
    }
    if (g_pending.empty()) KillTimer(nullptr, id);
}
}  // namespace

void whenDialogShows(int controlId, std::function<void(HWND)> drive) {
    g_pending.emplace_back(controlId, std::move(drive));
    SetTimer(nullptr, 0, 20, onPendingTimer);
}

HWND findOwnDialog(int controlId) {
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
        const bool own = GetWindowThreadProcessId(w, nullptr) == GetCurrentThreadId();
        if (own && ui::className(w) == L"#32770" && GetDlgItem(w, controlId)) return w;
    }
    return nullptr;
}

INT_PTR runDialog(CSettingsDialog& dialog, const std::function<void(HWND)>& drive) {
    whenDialogShows(IDC_TABS, [&](HWND w) {
        drive(w);
        if (IsWindow(w)) PostMessageW(w, WM_COMMAND, IDCANCEL, 0);
    });
    const INT_PTR end = dialog.run(nullptr);
    g_pending.clear();  // a dialog that never showed is not driven
    return end;
}

std::vector<DWORD> stored(const wchar_t* subkey, std::initializer_list<const wchar_t*> names) {
    const std::wstring key = std::wstring(kSettingsKey) + L"\\" + subkey;
    std::vector<DWORD> values;
    for (const wchar_t* name : names) {
        DWORD value = 0xDEADBEEF, size = sizeof value;
        RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size);
        values.push_back(value);
    }
    return values;
}

}  // namespace harness
