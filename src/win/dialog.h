// One base class for every dialog: modal (doModal) or modeless (create), built from a template
// resource. Derived classes implement handleMessage as their message map. Every top-level dialog
// works with a game controller too (win/gamepad.h), with no code of its own.
#pragma once

#include "win/window.h"

namespace win {

class CDialog {
public:
    explicit CDialog(int templateId) : m_templateId(templateId) {}
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog modally; returns what endDialog was given, or -1 when it could not be made.
    INT_PTR doModal(HWND parent);
    // Creates the dialog modeless and hidden or shown as its template says.
    HWND create(HWND parent);
    void destroy();

    HWND hwnd() const { return m_hwnd; }
    CWindow window() const { return m_hwnd; }
    CWindow item(int id) const { return GetDlgItem(m_hwnd, id); }
    bool isModal() const { return m_modal; }
    void endDialog(INT_PTR result);

protected:
    // The message map. Set handled to false to get the default dialog processing; the result
    // is the dialog procedure's answer (SetWindowLongPtr DWLP_MSGRESULT is done for the caller).
    virtual INT_PTR handleMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) = 0;
    // The button that Y on the pad presses while it is shown and enabled (a child of a page too).
    virtual int padMoreButton() const { return 0; }

private:
    static INT_PTR CALLBACK dialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    const int m_templateId;
    HWND m_hwnd = nullptr;
    bool m_modal = false;
};

}  // namespace win
