#include "settings/vadv_dialog.h"

#include "res/resource.h"

CSettingsDialog::CVAdvSetDialog::CVAdvSetDialog(CSettingsDialog& owner)
    : win::CDialog(IDD_VADVSET), m_owner(owner) {}

INT_PTR CSettingsDialog::CVAdvSetDialog::handleMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    switch (msg) {
    case WM_INITDIALOG: {
        const GraphicsSettings& g = m_owner.settings().GraphicsSettings;
        item(IDC_VSYNC).send(BM_SETCHECK, g.VSync ? BST_CHECKED : BST_UNCHECKED);
        item(IDC_TRIPLEBUF).send(BM_SETCHECK, g.TripleBuffer ? BST_CHECKED : BST_UNCHECKED);
        item(IDC_GLOW).send(BM_SETCHECK, g.GlowEnable ? BST_CHECKED : BST_UNCHECKED);
        m_owner.localizeTree(hwnd());
        return FALSE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            endDialog(LOWORD(wParam));
            return 0;
        }
        // The check boxes' clicks are the settings dialog's to handle.
        return SendMessageW(GetParent(hwnd()), msg, wParam, lParam);
    }
    handled = false;
    return 0;
}
