// The two tab pages of the settings dialog. They hold only their windows: the lists are filled by
// the settings dialog, and the pages hand the players' selections on to it.
#pragma once

#include "settings/settings_dialog.h"

// What both pages share: labels drawn on the tab's background and selections forwarded.
class CSettingsPage : public win::CDialog {
public:
    CSettingsPage(int templateId, CSettingsDialog& owner) : win::CDialog(templateId), m_owner(owner) {}

protected:
    INT_PTR handleMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;
    // Which command notifications go on to the settings dialog.
    virtual bool forwards(int code) const { return code == CBN_SELCHANGE; }

    CSettingsDialog& m_owner;
};

class CSettingsDialog::CPageGraphics : public CSettingsPage {
public:
    explicit CPageGraphics(CSettingsDialog& owner);

protected:
    bool forwards(int code) const override { return code == CBN_SELCHANGE || code == BN_CLICKED; }
};

class CSettingsDialog::CPageSound : public CSettingsPage {
public:
    explicit CPageSound(CSettingsDialog& owner);
};
