// Driving the real launcher from outside, as a player would: a throwaway game folder, the
// process, its windows and controls, and the settings it stored.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "dialog_controls.h"
#include "scratch_folder.h"
#include "valid_settings.h"

namespace e2e {

using namespace std::chrono_literals;
using Ms = std::chrono::milliseconds;

constexpr int kTabs = 1002;  // the settings dialog's tab control

// A temporary copy of the game folder; removed again when the object goes. It is also the local
// application data folder of the launchers engineEnv starts, so a crash report would land in it:
// none may when it goes.
class GameFolder : public test::ScratchFolder {
public:
    // With the test engine in place of the demo engine unless demoEngine is true.
    explicit GameFolder(bool demoEngine = false);
    ~GameFolder();
    // The log the test engine writes (engineEnv points it here).
    std::string engineLog() const { return read(L"engine.log"); }
};

// One run of a program; killed when the object goes and it still runs.
class Process {
public:
    Process(const std::wstring& exe, const std::wstring& arguments, const std::wstring& workingDir,
            const std::map<std::wstring, std::wstring>& environment = {});
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    DWORD pid() const { return m_info.dwProcessId; }
    // The exit code, or nothing when it has not ended within the time.
    bool waitExit(Ms timeout, DWORD& exitCode) const;

private:
    PROCESS_INFORMATION m_info{};
};

// The environment that scripts the test engine of a game folder and sends its log and the crash
// reports there.
std::map<std::wstring, std::wstring> engineEnv(const GameFolder& folder, const std::string& script = "");

// A variable the test runner sets (the built game folder, the test engine, ...); empty when unset.
std::wstring env(const wchar_t* name);

// Polls until the predicate holds or the time is up.
bool waitFor(const std::function<bool()>& predicate, Ms timeout = 10s);

HWND waitForGameWindow(DWORD pid, Ms timeout = 15s);
// A shown top-level dialog of the process holding the control with this id; a message box is the
// dialog with the static text 0xFFFF.
HWND waitForDialogWith(DWORD pid, int controlId, Ms timeout = 15s);
inline HWND waitForMessageBox(DWORD pid) { return waitForDialogWith(pid, 0xFFFF); }
using ui::messageBoxText;
// Presses the keys together and lets them go, as the player's keyboard does: they go to the window
// in front.
void pressKeys(std::initializer_list<WORD> keys);
inline void clickButton(HWND dialog, int id) { PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
inline bool isChecked(HWND dialog, int id) {
    return SendMessageW(ui::find(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// A value of the stored settings (subkey "" for their root); nothing when there is no such DWORD.
std::optional<DWORD> storedDword(const std::wstring& subkey, const wchar_t* name);
void deleteSettings();
// Stores settings that match this machine's adapter, so the launcher starts without its dialog.
// Every end-to-end test starts with them in place.
void storeValidSettings();

// The launcher started from a game folder of its own with the test engine.
class LauncherTest : public ::testing::Test {
protected:
    GameFolder folder;
    std::unique_ptr<Process> process;

    void TearDown() override { process.reset(); }
    void start(const std::wstring& arguments = L"") { start(arguments, engineEnv(folder)); }
    void start(const std::wstring& arguments, const std::map<std::wstring, std::wstring>& environment) {
        process = std::make_unique<Process>(folder.file(L"Skelvane.exe"), arguments, folder.path(), environment);
    }
    HWND gameWindow(Ms timeout = 20s) { return waitForGameWindow(process->pid(), timeout); }
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

// A first start: no stored settings, and a language of the tests' own; valid settings are stored
// again afterwards.
class FirstStartTest : public LauncherTest {
protected:
    void SetUp() override;
    void TearDown() override {
        LauncherTest::TearDown();
        storeValidSettings();
    }
    // Starts the launcher and waits for its settings dialog.
    HWND openDialog(const std::wstring& arguments = L"") {
        start(arguments);
        return waitForDialogWith(process->pid(), kTabs, 20s);
    }
};

}  // namespace e2e
