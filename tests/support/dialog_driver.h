// Reading and working the settings dialog of another process, as a player would.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "e2e.h"

namespace e2e {

// The settings dialog of the process (the top-level dialog with the tab control), when shown.
HWND waitForSettingsDialog(DWORD pid, Ms timeout = 20s);
// A shown top-level dialog of the process holding the control with this id.
HWND waitForDialogWith(DWORD pid, int controlId, Ms timeout = 10s);
// The child dialog of the settings dialog that holds the control with this id.
HWND pageWith(HWND settings, int controlId);
HWND control(HWND settings, int controlId);

struct ComboState {
    std::vector<std::wstring> texts;
    std::vector<LONG_PTR> data;
    int selected = -1;
    bool enabled = false;
    std::wstring selectedText() const { return selected >= 0 ? texts[selected] : L""; }
};
ComboState readCombo(HWND combo);
// Selects an entry the way a player's choice arrives: the selection, then CBN_SELCHANGE to the parent.
void selectComboIndex(HWND combo, int index);
bool selectComboText(HWND combo, const std::wstring& text);
bool isChecked(HWND button);
// Clicks the tab of the settings dialog's tab control as the player would; true once it is selected.
bool selectTab(HWND settings, int index);

// The value as `reg query` prints it: "REG_DWORD 0x1", "REG_SZ {...}"; empty when absent.
std::string regValue(const std::wstring& key, const std::wstring& name);
// A DWORD as regValue prints it.
std::string regDword(DWORD value);
std::wstring settingsKey(const std::wstring& subkey = L"");

}  // namespace e2e
