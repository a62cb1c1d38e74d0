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

constexpr int kTabs = 1002;  // the settings dialog's tab control

// A shown top-level dialog of the process holding the control with this id.
HWND waitForDialogWith(DWORD pid, int controlId, Ms timeout = 10s);
inline bool isChecked(HWND dialog, int id) {
    return SendMessageW(ui::find(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}
// A value of the stored settings (subkey "" for their root); nothing when there is no such DWORD.
std::optional<DWORD> storedDword(const std::wstring& subkey, const wchar_t* name);

// The launcher started from a game folder of its own, with a language of the tests' own and no
// stored settings; valid settings are stored again afterwards.
class LauncherTest : public ::testing::Test {
protected:
    GameFolder folder;
    std::unique_ptr<Process> process;

    void SetUp() override;
    void TearDown() override {
        process.reset();
        storeValidSettings();
    }
    void start(const std::wstring& arguments = L"") {
        const std::wstring exe = folder.file(L"Skelvane.exe");
        process = std::make_unique<Process>(exe, arguments, folder.path(), engineEnv(folder));
    }
    // Starts the launcher and waits for its settings dialog.
    HWND openDialog(const std::wstring& arguments = L"") {
        start(arguments);
        return waitForDialogWith(process->pid(), kTabs, 20s);
    }
    HWND gameWindow(Ms timeout = 20s) {
        return waitForWindow(process->pid(), L"Korvex//Class", L"Korvex//Window", timeout);
    }
    // Waits for the launcher to end; 99 when it does not within 20 s.
    DWORD exitCode() {
        DWORD code = 99;
        EXPECT_TRUE(process->waitExit(20s, code));
        return code;
    }
    void closeGame() {
        const HWND game = gameWindow();
        ASSERT_TRUE(game);
        PostMessageW(game, WM_CLOSE, 0, 0);
        EXPECT_EQ(exitCode(), 0u);
    }
};

}  // namespace e2e
