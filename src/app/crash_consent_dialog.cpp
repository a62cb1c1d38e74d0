#include "app/crash_consent_dialog.h"

#include "config/language_keys.h"
#include "res/resource.h"

CCrashConsentDialog::CCrashConsentDialog(const CLocalize& localize)
    : win::CDialog(IDD_CRASH_CONSENT), CLocalizeOwner(localize) {}

bool CCrashConsentDialog::ask() {
    return doModal(nullptr) == IDC_CRASH_SEND;
}

INT_PTR CCrashConsentDialog::handleMessage(UINT msg, WPARAM wParam, LPARAM, bool& handled) {
    switch (msg) {
    case WM_INITDIALOG:
        localizeTree(hwnd());
        // A message, not a label: it carries no access key, so the template leaves it empty.
        item(IDC_CRASH_TEXT).setText(localize().translate(key::T_CRASH_CONSENT_MSG));
        window().centerWindow(nullptr);
        SetForegroundWindow(hwnd());
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_CRASH_SEND || LOWORD(wParam) == IDCANCEL) {
            m_alwaysSend = LOWORD(wParam) == IDC_CRASH_SEND && IsDlgButtonChecked(hwnd(), IDC_CRASH_ALWAYS) == BST_CHECKED;
            endDialog(LOWORD(wParam));
        }
        return 0;
    }
    handled = false;
    return 0;
}
