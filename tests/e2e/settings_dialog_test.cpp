// The settings dialog of the real launcher, driven from outside: when it appears, what Start, OK
// and Cancel do, and what reaches the registry.
#include <gtest/gtest.h>

#include "dialog_driver.h"
#include "e2e.h"

using namespace e2e;

namespace {

constexpr int kStart = 3, kTabs = 1002, kShowAtLaunch = 1010, kReset = 1017, kAdapter = 1006;

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
        storeValidSettings();
    }
    void start(const std::wstring& arguments = L"") {
        process = std::make_unique<Process>(folder.file(L"Skelvane.exe"), arguments, folder.path(), engineEnv(folder));
    }
    HWND openDialog(const std::wstring& arguments = L"") {
        start(arguments);
        return waitForSettingsDialog(process->pid());
    }
    HWND gameWindow(Ms timeout = 20s) { return waitForWindow(process->pid(), L"Korvex//Class", L"Korvex//Window", timeout); }
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
    // Ticks "show at launch" and ends the dialog with the button.
    void tickShowAtLaunchAnd(int button, const std::wstring& arguments) {
        HWND dialog = openDialog(arguments);
        ASSERT_TRUE(dialog);
        clickButton(dialog, kShowAtLaunch);
        ASSERT_TRUE(waitFor([&] { return isChecked(control(dialog, kShowAtLaunch)); }));
        clickButton(dialog, button);
        EXPECT_EQ(exitCode(), 1u);
    }
};

TEST_F(SettingsDialog, FirstStartShowsItAndStartStoresEveryValueThenTheGameRunsWithoutIt) {
    HWND dialog = openDialog();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(narrow(windowText(dialog)), "Game settings");
    EXPECT_EQ(narrow(windowText(control(dialog, kStart))), "Play");
    EXPECT_FALSE(gameWindow(0ms));
    PostMessageW(control(dialog, kTabs), WM_KEYDOWN, VK_RETURN, 0);  // Enter with no button focused is Start
    ASSERT_TRUE(gameWindow());
    EXPECT_EQ(regValue(settingsKey(), L"ShowSettingsAtLaunch"), "REG_DWORD 0x0");
    EXPECT_EQ(regValue(settingsKey(L"Graphics"), L"DeviceIdentifier").size(), 7u + 38u);
    for (const wchar_t* name : {L"AdapterOrdinal", L"AdapterFormat", L"Width", L"Height", L"RefreshRate",
                                L"SurfaceFormat", L"MultiSampleType", L"MultiSampleQuality", L"VSync",
                                L"BackBufferCount", L"GlowEnable", L"ATiA2CEnable", L"NVTrSSEnable", L"NVTrMSEnable"})
        EXPECT_EQ(regValue(settingsKey(L"Graphics"), name).substr(0, 10), "REG_DWORD ") << narrow(name);
    for (const wchar_t* name : {L"SoundOutput", L"SoundDriver", L"SoundSpeakerMode", L"SoundSampleRate"})
        EXPECT_EQ(regValue(settingsKey(L"Sound"), name).substr(0, 10), "REG_DWORD ") << narrow(name);
    closeGame();

    start();
    ASSERT_TRUE(gameWindow());
    EXPECT_FALSE(waitForSettingsDialog(process->pid(), 0ms));
    closeGame();
}

TEST_F(SettingsDialog, CancelAndTheCloseBoxSaveNothingOkSavesWithoutTheGame) {
    tickShowAtLaunchAnd(IDCANCEL, L"");
    EXPECT_EQ(regValue(settingsKey(), L"ShowSettingsAtLaunch"), "");
    HWND dialog = openDialog();
    ASSERT_TRUE(dialog);
    PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(exitCode(), 1u);
    tickShowAtLaunchAnd(IDOK, L"");
    EXPECT_EQ(regValue(settingsKey(), L"ShowSettingsAtLaunch"), "REG_DWORD 0x1");
    EXPECT_EQ(folder.engineLog(), "");
    dialog = openDialog();  // now it comes by itself
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(isChecked(control(dialog, kShowAtLaunch)));
    clickButton(dialog, IDCANCEL);
    exitCode();
}

TEST_F(SettingsDialog, ResetSwitchTicksTheBoxAndReachesTheEngineUnlessUnticked) {
    HWND dialog = openDialog(L"/r -s");
    ASSERT_TRUE(dialog);
    EXPECT_EQ(narrow(windowText(control(dialog, kReset))), "Reset the game");
    clickButton(dialog, kReset);
    ASSERT_TRUE(waitFor([&] { return !isChecked(control(dialog, kReset)); }));
    clickButton(dialog, kStart);
    ASSERT_TRUE(waitFor([&] { return folder.engineLog().find("reset=0") != std::string::npos; }));
    closeGame();
    dialog = openDialog(L"/S");
    ASSERT_TRUE(dialog) << "the switch opens it over valid settings";
    clickButton(dialog, IDCANCEL);
    EXPECT_EQ(exitCode(), 1u);

    start(L"-r");  // valid settings now: no dialog, and the flag still goes through
    ASSERT_TRUE(gameWindow());
    ASSERT_TRUE(waitFor([&] {
        const std::string log = folder.engineLog();
        return log.rfind("reset=1") != std::string::npos && log.rfind("reset=1") > log.find("reset=0");
    }));
    closeGame();
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
    EXPECT_EQ(narrow(windowText(box) + L"|" + messageBoxText(box)), "Not saved|Could not save.");
    clickButton(box, IDOK);
    ASSERT_TRUE(waitFor([&] { return !IsWindow(box); }));
    EXPECT_TRUE(IsWindowVisible(dialog));
    deleteSettings();
    clickButton(dialog, kStart);
    closeGame();
}

}  // namespace
