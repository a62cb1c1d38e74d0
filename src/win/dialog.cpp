#include "win/dialog.h"

#include "win/gamepad.h"
#include "win/module.h"

namespace win {

CDialog::~CDialog() {
    if (!m_modal) destroy();
}

INT_PTR CDialog::doModal(HWND parent) {
    m_modal = true;
    return DialogBoxParamW(g_module.instance(), MAKEINTRESOURCEW(m_templateId), parent, dialogProc,
                           reinterpret_cast<LPARAM>(this));
}

HWND CDialog::create(HWND parent) {
    m_modal = false;
    return CreateDialogParamW(g_module.instance(), MAKEINTRESOURCEW(m_templateId), parent, dialogProc,
                              reinterpret_cast<LPARAM>(this));
}

void CDialog::destroy() {
    if (m_hwnd && IsWindow(m_hwnd)) DestroyWindow(m_hwnd);
    m_hwnd = nullptr;
}

void CDialog::endDialog(INT_PTR result) {
    if (m_modal)
        EndDialog(m_hwnd, result);
    else
        destroy();
}

INT_PTR CALLBACK CDialog::dialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CDialog* self = nullptr;
    if (msg == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lParam);
        self->m_hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        // The template's default button, asked before any focus moves onto another button.
        const LRESULT def = SendMessageW(hwnd, DM_GETDEFID, 0, 0);
        if (!(GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD))
            padDialogOpened(hwnd, HIWORD(def) == DC_HASDEFID ? LOWORD(def) : 0, self->padMoreButton());
    } else {
        self = reinterpret_cast<CDialog*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (msg == WM_ACTIVATE) padDialogActivated(hwnd, LOWORD(wParam) != WA_INACTIVE);
    if (msg == WM_NCDESTROY) padDialogClosed(hwnd);
    if (!self) return FALSE;

    bool handled = true;
    const INT_PTR result = self->handleMessage(msg, wParam, lParam, handled);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->m_hwnd = nullptr;
    }
    if (!handled) return FALSE;
    // Messages with their own return value answer directly; the rest go through DWLP_MSGRESULT.
    switch (msg) {
    case WM_INITDIALOG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORMSGBOX:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
        return result;
    default:
        SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
}

}  // namespace win
