// The advanced video dialog: vertical sync, triple buffering and glow. Each click changes the
// settings dialog's working copy at once; closing undoes nothing.
#pragma once

#include "settings/settings_dialog.h"

class CSettingsDialog::CVAdvSetDialog : public win::CDialog {
public:
    explicit CVAdvSetDialog(CSettingsDialog& owner);

protected:
    INT_PTR handleMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    CSettingsDialog& m_owner;
};
