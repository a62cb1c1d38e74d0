// Reading and working the settings dialog of another process, as a player would.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "dialog_controls.h"
#include "e2e.h"

namespace e2e {

// The settings dialog of the process (the top-level dialog with the tab control), when shown.
HWND waitForSettingsDialog(DWORD pid, Ms timeout = 20s);
// A shown top-level dialog of the process holding the control with this id.
HWND waitForDialogWith(DWORD pid, int controlId, Ms timeout = 10s);
bool isChecked(HWND dialog, int id);
// Goes to the next tab with the arrow key, as the player can; true once it is selected.
bool nextTab(HWND settings);
// A value of the stored settings (subkey "" for their root); nothing when there is no such DWORD.
std::optional<DWORD> storedDword(const std::wstring& subkey, const wchar_t* name);

// The launcher started from a game folder of its own, with a language of the tests' own and no
// stored settings; valid settings are stored again afterwards.
class LauncherTest : public ::testing::Test {
protected:
    GameFolder folder;
    std::unique_ptr<Process> process;

    void SetUp() override;
    void TearDown() override;
    void start(const std::wstring& arguments = L"");
    // Starts the launcher and waits for its settings dialog.
    HWND openDialog(const std::wstring& arguments = L"");
    HWND gameWindow(Ms timeout = 20s);
    // Waits for the launcher to end; 99 when it does not within 20 s.
    DWORD exitCode();
    void closeGame();
};

}  // namespace e2e
