// The question after a crash: may the waiting crash reports go to the studio? It says what a
// report holds and what it does not, and offers Send, Don't send (Enter and Esc) and "Always send
// without asking". Built on the dialog base like every other dialog, so keyboard, screen reader and
// controller reach it the same way.
#pragma once

#include "config/language_table.h"
#include "win/dialog.h"

class CCrashConsentDialog : public win::CDialog, private CLocalizeOwner {
public:
    explicit CCrashConsentDialog(const CLocalize& localize);

    // True when the player chose Send.
    bool ask();
    bool alwaysSend() const { return m_alwaysSend; }

protected:
    INT_PTR handleMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    bool m_alwaysSend = false;
};
