#include "settings/settings_pages.h"

#include "res/resource.h"

INT_PTR CSettingsPage::handleMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;  // the tab control has drawn the background already
    case WM_CTLCOLORSTATIC: {
        const HDC dc = reinterpret_cast<HDC>(wParam);
        SetBkMode(dc, TRANSPARENT);
        SelectObject(dc, GetStockObject(NULL_BRUSH));
        return reinterpret_cast<INT_PTR>(GetCurrentObject(dc, OBJ_BRUSH));
    }
    case WM_COMMAND:
        if (forwards(HIWORD(wParam))) {
            SendMessageW(m_owner.hwnd(), WM_COMMAND, wParam, lParam);
            return 0;
        }
        break;
    }
    handled = false;
    return 0;
}

CSettingsDialog::CPageGraphics::CPageGraphics(CSettingsDialog& owner) : CSettingsPage(IDD_PAGE_GRAPHICS, owner) {}

CSettingsDialog::CPageSound::CPageSound(CSettingsDialog& owner) : CSettingsPage(IDD_PAGE_SOUND, owner) {}
