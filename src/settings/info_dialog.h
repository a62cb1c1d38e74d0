// The warnings dialog: a modeless window beside the settings dialog that shows the device check's
// report and lets the player go on despite the warnings.
#pragma once

#include <richedit.h>

#include <string>

#include "settings/settings_dialog.h"

class CSettingsDialog::CInfoDialog : public win::CDialog {
public:
    explicit CInfoDialog(CSettingsDialog& owner);

    // Created without a parent and hidden.
    void create();
    // Replaces the text with the report and shows the dialog.
    void showReport(const std::wstring& report);
    void bringToFront() const;
    bool ignoreWarnings() const { return m_ignoreWarnings; }
    bool isVisible() const { return hwnd() && IsWindowVisible(hwnd()); }

protected:
    INT_PTR handleMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    void prepareReportControl();
    bool openLink(const ENLINK& link);

    CSettingsDialog& m_owner;
    bool m_ignoreWarnings = false;
};

// Only web and mail links are opened: the report holds texts of the language file and the
// display driver, and a click must never start a program or open a local file.
bool isOpenableLink(const std::wstring& link);
// The piece of the report a click on the link range [from, to) opens: any non-empty range inside
// the text, the very end included, whose scheme isOpenableLink accepts; empty otherwise.
std::wstring linkToOpen(const std::wstring& text, LONG from, LONG to);
