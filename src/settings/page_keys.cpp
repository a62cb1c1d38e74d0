#include "settings/page_keys.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

namespace {

bool down(int key) { return GetKeyState(key) < 0; }

bool isTabStop(HWND w) {
    return (GetWindowLongW(w, GWL_STYLE) & (WS_TABSTOP | WS_VISIBLE | WS_DISABLED)) == (WS_TABSTOP | WS_VISIBLE);
}

// 1 or -1 when the key turns the pages, 0 otherwise.
int pageStep(const MSG& msg) {
    if (!down(VK_CONTROL) || down(VK_MENU)) return 0;
    switch (msg.wParam) {
    case VK_TAB: return down(VK_SHIFT) ? -1 : 1;
    case VK_NEXT: return 1;
    case VK_PRIOR: return -1;
    }
    return 0;
}

void turnPage(HWND dialog, HWND tabs, int step) {
    const int count = static_cast<int>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
    if (count <= 0) return;
    const int current = static_cast<int>(SendMessageW(tabs, TCM_GETCURSEL, 0, 0));
    // A click on a tab puts the focus on the tab control; so does the key when the focus is on the
    // page that goes.
    if (IsChild(tabs, GetFocus())) SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(tabs), TRUE);
    // The tab control's own selection step, with the notifications a click sends.
    SendMessageW(tabs, TCM_SETCURFOCUS, static_cast<WPARAM>((current + step + count) % count), 0);
}

bool stepTabOrder(HWND dialog, HWND tabs, HWND focus, bool backwards) {
    std::vector<HWND> stops;
    for (HWND w = GetWindow(dialog, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (isTabStop(w)) stops.push_back(w);
        if (w != tabs) continue;
        for (HWND page = GetWindow(tabs, GW_CHILD); page; page = GetWindow(page, GW_HWNDNEXT))
            if (IsWindowVisible(page))
                for (HWND c = GetWindow(page, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
                    if (isTabStop(c)) stops.push_back(c);
    }
    const auto at = std::find(stops.begin(), stops.end(), focus);
    if (at == stops.end()) return false;  // the dialog manager's to place
    const size_t n = stops.size(), next = (static_cast<size_t>(at - stops.begin()) + (backwards ? n - 1 : 1)) % n;
    SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(stops[next]), TRUE);
    return true;
}

}  // namespace

bool handlePageKey(HWND dialog, HWND tabs, const MSG& msg) {
    if (msg.message != WM_KEYDOWN || (msg.hwnd != dialog && !IsChild(dialog, msg.hwnd))) return false;
    // A control that wants the key keeps it (an open list takes Enter and Esc, an editor Tab).
    const LRESULT wants = SendMessageW(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg));
    if (wants & DLGC_WANTMESSAGE) return false;
    if (const int step = pageStep(msg)) {
        turnPage(dialog, tabs, step);
        return true;
    }
    if (msg.wParam != VK_TAB || (wants & DLGC_WANTTAB) || down(VK_CONTROL) || down(VK_MENU)) return false;
    return stepTabOrder(dialog, tabs, msg.hwnd, down(VK_SHIFT));
}
