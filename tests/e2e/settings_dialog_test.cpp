// The settings dialog of the real launcher, driven from outside: when it appears, what Start, OK
// and Cancel do, what reaches the registry, and how the keys alone work it.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "e2e.h"

using namespace e2e;

namespace {

constexpr int kStart = 3, kShowAtLaunch = 1010, kReset = 1017, kSpeakers = 1015, kAdapter = 1006;

class SettingsDialog : public FirstStartTest {};

// From the page tabs, Tab goes once round the stops of the shown page and then of the dialog, from
// the last (Cancel) back to the tabs, never into the hidden page; Shift+Tab goes that round backwards.
void expectTabRound(HWND dialog, HWND shown) {
    const HWND tabs = GetDlgItem(dialog, kTabs);
    const DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
    const auto focus = [&] {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
    };
    ASSERT_EQ(focus(), tabs);
    const auto walk = [&](std::initializer_list<WORD> keys) {  // where each press puts the focus
        std::vector<HWND> seen;
        for (HWND at = tabs; seen.size() < 30 && (seen.empty() || at != tabs);) {
            const HWND from = at;
            pressKeys(keys);
            if (!waitFor([&] { return (at = focus()) != from; }, 5s)) break;
            seen.push_back(at);
        }
        return seen;
    };
    std::vector<HWND> round;
    for (const HWND parent : {shown, dialog})
        for (HWND w = GetWindow(parent, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
            if (w != tabs && (GetWindowLongW(w, GWL_STYLE) & (WS_TABSTOP | WS_VISIBLE | WS_DISABLED)) ==
                                 (WS_TABSTOP | WS_VISIBLE))
                round.push_back(w);
    round.push_back(tabs);
    EXPECT_EQ(walk({VK_TAB}), round) << "Tab";
    std::reverse(round.begin(), round.end() - 1);
    EXPECT_EQ(walk({VK_SHIFT, VK_TAB}), round) << "Shift+Tab";
}

// Started as a player starts it, twice, then from another program: each normal end gives back the
// screen saver and the monitor's power saving, off while the game runs, as the next program reads them.
TEST_F(SettingsDialog, FirstStartShowsItAndStartStoresWhatTheNextStartRunsWithoutIt) {
    asPlayer = true;
    ASSERT_EQ(powerSwitches(true), 7u);
    HWND dialog = openDialog();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(ui::text(dialog), L"Game settings");
    EXPECT_EQ(ui::text(ui::find(dialog, kStart)), L"Play");
    // At the runner's scale (tests/run_at_dpi.sh) and whole on the screen.
    RECT frame{}, work{};
    GetWindowRect(dialog, &frame);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_TRUE(frame.left >= work.left && frame.top >= work.top && frame.right <= work.right && frame.bottom <= work.bottom);
    EXPECT_EQ(scaleOf(dialog).dpi, runnerDpi());
    EXPECT_FALSE(gameWindow(0ms));
    PostMessageW(GetDlgItem(dialog, kTabs), WM_KEYDOWN, VK_RETURN, 0);  // Enter, no button focused: Start
    ASSERT_TRUE(gameWindow());
    EXPECT_EQ(storedDword(L"", L"ShowSettingsAtLaunch"), 0u);
    EXPECT_EQ(powerSwitches(), 0u) << "while the game runs";
    closeGame();
    EXPECT_EQ(powerSwitches(), 7u) << "after the start through the dialog";

    // What was stored is whole and valid for this machine (each value's coding: unit tests).
    ASSERT_EQ(powerSwitches(true), 7u);
    start();
    ASSERT_TRUE(gameWindow());
    EXPECT_FALSE(waitForDialogWith(process->pid(), kTabs, 0ms));
    closeGame();
    EXPECT_EQ(powerSwitches(), 7u) << "after a start straight to the game";

    // From another program, with the demo engine, after a run that crashed: the dialog comes back, and
    // the game, which draws until Esc, ends normally and forgets the crash.
    asPlayer = false;
    ASSERT_TRUE(CopyFileW((env(L"SKELVANE_DIST") + L"\\Korvex.dll").c_str(), folder.file(L"Korvex.dll").c_str(), FALSE));
    const DWORD crashed = 1;
    RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsRoot, L"LastRunCrashed", REG_DWORD, &crashed, sizeof crashed);
    ASSERT_EQ(powerSwitches(true), 7u);
    start();
    dialog = waitForDialogWith(process->pid(), kTabs, 20s);
    ASSERT_TRUE(dialog);
    clickButton(dialog, kStart);
    const HWND window = gameWindow();
    ASSERT_TRUE(window);
    DWORD code = 0;
    EXPECT_FALSE(process->waitExit(1500ms, code)) << "the demo engine started";
    PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(exitCode(), 0u);
    EXPECT_FALSE(storedDword(L"", L"LastRunCrashed"));
    EXPECT_EQ(powerSwitches(), 7u) << "after a start from another program";
}

TEST_F(SettingsDialog, KeysAloneTurnThePagesGoRoundTheStopsBothWaysChooseAndStart) {
    const HWND dialog = openDialog();
    ASSERT_TRUE(dialog);
    SetForegroundWindow(dialog);  // where a click on its caption would put it
    ASSERT_TRUE(waitFor([&] { return GetForegroundWindow() == dialog; }));
    const HWND soundPage = GetParent(ui::find(dialog, kSpeakers));
    const HWND graphicsPage = GetParent(ui::find(dialog, kAdapter));
    const auto turn = [&](std::initializer_list<WORD> keys, bool toSound) {
        pressKeys(keys);
        return waitFor([&] { return (IsWindowVisible(soundPage) != FALSE) == toSound; }, 5s);
    };
    ASSERT_TRUE(turn({VK_CONTROL, VK_TAB}, true));
    ASSERT_TRUE(turn({VK_CONTROL, VK_NEXT}, false)) << "round from the last page to the first";
    ASSERT_TRUE(turn({VK_CONTROL, VK_SHIFT, VK_TAB}, true));
    ASSERT_TRUE(turn({VK_CONTROL, VK_PRIOR}, false));
    expectTabRound(dialog, graphicsPage);
    ASSERT_TRUE(turn({VK_RIGHT}, true)) << "the focus is on the tab control";
    expectTabRound(dialog, soundPage);
    // From the tabs to output, driver, speakers; a step down there; the sample rate by its access
    // key, a step up; Enter is Start.
    for (const WORD key : {VK_TAB, VK_TAB, VK_TAB, VK_DOWN}) pressKeys({key});
    pressKeys({VK_MENU, 'T'});
    pressKeys({VK_UP});
    pressKeys({VK_RETURN});
    ASSERT_TRUE(gameWindow());
    EXPECT_EQ(storedDword(L"Sound", L"SoundSpeakerMode"), 5u) << "surround, below stereo";
    EXPECT_EQ(storedDword(L"Sound", L"SoundSampleRate"), 44100u) << "above 22050";
    closeGame();
}

TEST_F(SettingsDialog, CancelAndTheCloseBoxSaveNothingOkSavesWithoutTheGame) {
    HWND dialog = openDialog();
    ASSERT_TRUE(dialog);
    PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(exitCode(), 1u);
    for (const int button : {IDCANCEL, IDOK}) {  // with "show at launch" ticked
        dialog = openDialog();
        ASSERT_TRUE(dialog);
        clickButton(dialog, kShowAtLaunch);
        ASSERT_TRUE(waitFor([&] { return isChecked(dialog, kShowAtLaunch); }));
        clickButton(dialog, button);
        EXPECT_EQ(exitCode(), 1u);
        EXPECT_EQ(storedDword(L"", L"ShowSettingsAtLaunch").value_or(0), button == IDOK ? 1u : 0u);
    }
    EXPECT_EQ(folder.engineLog(), "");
}

TEST_F(SettingsDialog, ResetSwitchTicksTheBoxAndReachesTheEngineUnlessUnticked) {
    HWND dialog = openDialog(L"/r -s");
    ASSERT_TRUE(dialog);
    clickButton(dialog, kReset);
    ASSERT_TRUE(waitFor([&] { return !isChecked(dialog, kReset); }));
    clickButton(dialog, kStart);
    ASSERT_TRUE(waitFor([&] { return folder.engineLog().find("reset=0") != std::string::npos; }));
    closeGame();

    start(L"-r");  // valid settings now: no dialog, and the flag still goes through
    ASSERT_TRUE(gameWindow());
    ASSERT_TRUE(waitFor([&] {
        const std::string log = folder.engineLog();
        return log.rfind("reset=1") != std::string::npos && log.rfind("reset=1") > log.find("reset=0");
    }));
    closeGame();
}

// The settings' lock, abandoned by a copy killed while it held it (this test keeps it open
// meanwhile, as a copy waiting for it does): the next copy takes it at once and gives it back. Then
// another copy (this test) keeps it beyond the bounded wait: the save fails, the box says so, the
// mark stays for the next start, and Start saves once the lock is free.
TEST_F(SettingsDialog, AFailedSaveKeepsTheDialogOpenAndStartAgainRetries) {
    const HANDLE lock = CreateMutexW(nullptr, FALSE, L"Local\\Skelvane.Settings.Lock");
    ASSERT_EQ(runPeer(L"killed-holding Local\\Skelvane.Settings.Lock"), 3u);
    HWND dialog = openDialog();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(WaitForSingleObject(lock, 0), WAIT_OBJECT_0) << "kept, or still abandoned";
    clickButton(dialog, kStart);
    HWND box = waitForMessageBox(process->pid());
    ASSERT_TRUE(box);
    EXPECT_EQ(messageBoxText(box), L"Not saved|Could not save.");
    EXPECT_EQ(storedDword(L"", L"SaveIncomplete"), 1u);
    clickButton(box, IDOK);
    ASSERT_TRUE(waitFor([&] { return !IsWindow(box); }));
    EXPECT_TRUE(IsWindowVisible(dialog));
    ReleaseMutex(lock);
    CloseHandle(lock);
    clickButton(dialog, kStart);
    closeGame();
    EXPECT_FALSE(storedDword(L"", L"SaveIncomplete"));
}

}  // namespace
