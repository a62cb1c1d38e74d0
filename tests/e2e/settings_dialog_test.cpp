// The settings dialog of the real launcher, driven from outside: when it appears, what Start, OK
// and Cancel do, and what reaches the registry.
#include <gtest/gtest.h>

#include "dialog_driver.h"
#include "e2e.h"

using namespace e2e;

namespace {

constexpr int kStart = 3;
constexpr int kShowAtLaunch = 1010;

class SettingsDialog : public ::testing::Test {
protected:
    GameFolder folder;
    std::unique_ptr<Process> process;

    void SetUp() override {
        deleteSettings();
        folder.writeLanguage({L"T_SETTINGS=Game settings", L"T_START=Play", L"T_RESETSET=Reset the game",
                              L"T_SET_APPLY_ERR_HDR=Not saved", L"T_SET_APPLY_ERR_MSG=Could not save."});
    }
    void TearDown() override {
        process.reset();
        e2e::storeValidSettings();
    }
    Process& start(const std::wstring& arguments = L"") {
        process = std::make_unique<Process>(folder.file(L"Skelvane.exe"), arguments, folder.path(), engineEnv(folder));
        return *process;
    }
    HWND gameWindow(Ms timeout = 20s) {
        return waitForWindow(process->pid(), L"Korvex//Class", L"Korvex//Window", timeout);
    }
    DWORD exitCode() {
        DWORD code = 99;
        EXPECT_TRUE(process->waitExit(20s, code));
        return code;
    }
    HWND openDialog(const std::wstring& arguments = L"") {
        start(arguments);
        return waitForSettingsDialog(process->pid());
    }
    // Closes the running game, which ends normally.
    void closeGame() {
        const HWND game = gameWindow();
        ASSERT_TRUE(game);
        PostMessageW(game, WM_CLOSE, 0, 0);
        EXPECT_EQ(exitCode(), 0u);
    }
    // A first start that saves with Start.
    void saveThroughDialog() {
        HWND dialog = openDialog();
        ASSERT_TRUE(dialog);
        clickButton(dialog, kStart);
        closeGame();
    }
};

TEST_F(SettingsDialog, FirstStartShowsItAndStartStoresEveryValueThenTheGameRuns) {
    HWND dialog = openDialog();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(narrow(windowText(dialog)), "Game settings");
    EXPECT_EQ(narrow(windowText(control(dialog, kStart))), "Play");
    EXPECT_FALSE(gameWindow(0ms));
    clickButton(dialog, kStart);
    ASSERT_TRUE(gameWindow());

    EXPECT_EQ(regValue(settingsKey(), L"ShowSettingsAtLaunch"), "REG_DWORD 0x0");
    const std::string id = regValue(settingsKey(L"Graphics"), L"DeviceIdentifier");
    EXPECT_EQ(id.substr(0, 7), "REG_SZ ");
    EXPECT_EQ(id.size(), 7u + 38u) << id;
    for (const wchar_t* name : {L"AdapterOrdinal", L"AdapterFormat", L"Width", L"Height", L"RefreshRate",
                                L"SurfaceFormat", L"MultiSampleType", L"MultiSampleQuality", L"VSync",
                                L"BackBufferCount", L"GlowEnable", L"ATiA2CEnable", L"NVTrSSEnable", L"NVTrMSEnable"})
        EXPECT_EQ(regValue(settingsKey(L"Graphics"), name).substr(0, 10), "REG_DWORD ") << narrow(name);
    EXPECT_EQ(regValue(settingsKey(L"Graphics"), L"BackBufferCount"), "REG_DWORD 0x1");
    for (const wchar_t* name : {L"SoundOutput", L"SoundDriver", L"SoundSpeakerMode", L"SoundSampleRate"})
        EXPECT_EQ(regValue(settingsKey(L"Sound"), name).substr(0, 10), "REG_DWORD ") << narrow(name);

    closeGame();

    start();  // the stored settings are good now: no dialog
    ASSERT_TRUE(gameWindow());
    EXPECT_FALSE(waitForSettingsDialog(process->pid(), 0ms));
    closeGame();
}

TEST_F(SettingsDialog, OkSavesButDoesNotStartTheGame) {
    HWND dialog = openDialog();
    ASSERT_TRUE(dialog);
    clickButton(dialog, IDOK);
    EXPECT_EQ(exitCode(), 1u);
    EXPECT_EQ(regValue(settingsKey(), L"ShowSettingsAtLaunch"), "REG_DWORD 0x0");
    EXPECT_EQ(folder.engineLog(), "");
}

TEST_F(SettingsDialog, CancelEscapeAndTheCloseBoxSaveNothing) {
    for (int way = 0; way < 3; ++way) {
        HWND dialog = openDialog();
        ASSERT_TRUE(dialog) << way;
        clickButton(dialog, kShowAtLaunch);
        if (way == 0) clickButton(dialog, IDCANCEL);
        if (way == 1) PostMessageW(dialog, WM_KEYDOWN, VK_ESCAPE, 0), PostMessageW(dialog, WM_KEYUP, VK_ESCAPE, 0);
        if (way == 2) PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_EQ(exitCode(), 1u) << way;
        EXPECT_EQ(regValue(settingsKey(), L"ShowSettingsAtLaunch"), "") << way;
        EXPECT_EQ(folder.engineLog(), "");
    }
}

TEST_F(SettingsDialog, ShowSwitchOpensItWhenNothingElseAsks) {
    saveThroughDialog();
    for (const wchar_t* arguments : {L"-s", L"-S", L"/s"}) {
        HWND dialog = openDialog(arguments);
        ASSERT_TRUE(dialog) << narrow(arguments);
        clickButton(dialog, IDCANCEL);
        EXPECT_EQ(exitCode(), 1u);
    }
}

TEST_F(SettingsDialog, ResetSwitchTicksTheBoxAndReachesTheEngineUnlessUnticked) {
    HWND dialog = openDialog(L"/r -s");
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(isChecked(control(dialog, 1017)));
    EXPECT_EQ(narrow(windowText(control(dialog, 1017))), "Reset the game");
    clickButton(dialog, kStart);
    ASSERT_TRUE(gameWindow());
    ASSERT_TRUE(waitFor([&] { return folder.engineLog().find("reset=1") != std::string::npos; }));
    closeGame();

    dialog = openDialog(L"/r -s");
    ASSERT_TRUE(dialog);
    clickButton(dialog, 1017);
    ASSERT_TRUE(waitFor([&] { return !isChecked(control(dialog, 1017)); }));
    clickButton(dialog, kStart);
    ASSERT_TRUE(gameWindow());
    ASSERT_TRUE(waitFor([&] { return folder.engineLog().find("reset=0") != std::string::npos; }));
    closeGame();

    start(L"-r");  // valid settings: no dialog, and the flag still goes through
    ASSERT_TRUE(gameWindow());
    ASSERT_TRUE(waitFor([&] { return folder.engineLog().rfind("reset=1") > folder.engineLog().find("reset=0"); }));
    closeGame();
}

TEST_F(SettingsDialog, ShowAtLaunchIsOnlyStoredByStartOrOk) {
    saveThroughDialog();
    HWND dialog = openDialog(L"-s");
    ASSERT_TRUE(dialog);
    clickButton(dialog, kShowAtLaunch);
    ASSERT_TRUE(waitFor([&] { return isChecked(control(dialog, kShowAtLaunch)); }));
    clickButton(dialog, IDCANCEL);
    exitCode();
    EXPECT_EQ(regValue(settingsKey(), L"ShowSettingsAtLaunch"), "REG_DWORD 0x0");

    dialog = openDialog(L"-s");
    ASSERT_TRUE(dialog);
    clickButton(dialog, kShowAtLaunch);
    ASSERT_TRUE(waitFor([&] { return isChecked(control(dialog, kShowAtLaunch)); }));
    clickButton(dialog, IDOK);
    exitCode();
    EXPECT_EQ(regValue(settingsKey(), L"ShowSettingsAtLaunch"), "REG_DWORD 0x1");

    dialog = openDialog();  // now it comes by itself
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(isChecked(control(dialog, kShowAtLaunch)));
    clickButton(dialog, IDCANCEL);
    exitCode();
}

TEST_F(SettingsDialog, AFailedSaveKeepsTheDialogOpenAndStartAgainRetries) {
    // A volatile key cannot hold the lasting subkeys the save creates.
    HKEY root = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Tolmira\\Skelvane", 0, nullptr, REG_OPTION_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &root, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(root);
    HWND dialog = openDialog();
    ASSERT_TRUE(dialog);
    clickButton(dialog, kStart);
    HWND box = waitForMessageBox(process->pid());
    ASSERT_TRUE(box);
    EXPECT_EQ(narrow(windowText(box)), "Not saved");
    EXPECT_EQ(narrow(messageBoxText(box)), "Could not save.");
    clickButton(box, IDOK);
    ASSERT_TRUE(waitFor([&] { return !IsWindow(box); }));
    EXPECT_TRUE(IsWindowVisible(dialog));
    DWORD code = 0;
    EXPECT_FALSE(process->waitExit(300ms, code));

    deleteSettings();
    clickButton(dialog, kStart);
    ASSERT_TRUE(gameWindow());
    EXPECT_EQ(regValue(settingsKey(L"Sound"), L"SoundSampleRate").substr(0, 10), "REG_DWORD ");
    closeGame();
}

TEST_F(SettingsDialog, EnterWithNoButtonFocusedIsStart) {
    HWND dialog = openDialog();
    ASSERT_TRUE(dialog);
    PostMessageW(control(dialog, 1002), WM_KEYDOWN, VK_RETURN, 0);
    closeGame();
}

TEST_F(SettingsDialog, TabReachesTheListsOnThePage) {
    HWND dialog = openDialog(L"-s");
    ASSERT_TRUE(dialog);
    const DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
    auto focus = [&] {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
    };
    bool reached = false;
    for (int press = 0; press < 12 && !reached; ++press) {
        HWND target = focus() ? focus() : dialog;
        PostMessageW(target, WM_KEYDOWN, VK_TAB, 0);
        PostMessageW(target, WM_KEYUP, VK_TAB, 0);
        waitFor([&] { return focus() != target; }, 1s);
        reached = focus() == control(dialog, 1006);
    }
    EXPECT_TRUE(reached) << "the adapter list never got the focus";
    clickButton(dialog, IDCANCEL);
    EXPECT_EQ(exitCode(), 1u);
}

}  // namespace
