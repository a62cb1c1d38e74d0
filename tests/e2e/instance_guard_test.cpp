// One copy at a time: second copies started against a real first copy.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "e2e.h"

using namespace e2e;

namespace {

bool guardTaken() {
    const HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, L"Global\\Korvex");
    if (mutex) CloseHandle(mutex);
    return mutex != nullptr;
}

std::unique_ptr<Process> startGame(const GameFolder& game) {
    return std::make_unique<Process>(game.file(L"Skelvane.exe"), L"", game.path(), engineEnv(game));
}
HWND gameWindow(const Process& process) { return waitForWindow(process.pid(), L"Korvex//Class", L"Korvex//Window"); }

// Answers the process's "another copy" box, if it shows one; true once the process has ended.
bool endedAnsweringBoxes(const Process& process, DWORD& code) {
    for (HWND w : topWindows(process.pid()))
        if (IsWindowVisible(w) && GetDlgItem(w, 0xFFFF)) {
            EXPECT_EQ(messageBoxText(w), L"Another copy runs.");
            clickButton(w, IDOK);
        }
    return process.waitExit(0ms, code);
}

void closeGame(const Process& process, HWND window) {
    PostMessageW(window, WM_CLOSE, 0, 0);
    DWORD code = 0xDEAD;
    EXPECT_TRUE(process.waitExit(15s, code));
    EXPECT_EQ(code, 0u);
}

}  // namespace

TEST(SingleInstance, SecondCopyRestoresTheRunningGameAndEndsQuietly) {
    ASSERT_FALSE(guardTaken());
    GameFolder game;
    const auto first = startGame(game);
    const HWND window = gameWindow(*first);
    ASSERT_TRUE(window);
    ShowWindow(window, SW_MINIMIZE);
    ASSERT_TRUE(waitFor([&] { return IsIconic(window) != FALSE; }, 5s));

    const auto second = startGame(game);
    DWORD code = 0xDEAD;
    EXPECT_TRUE(second->waitExit(20s, code)) << "a box on the way out waits for its answer";
    EXPECT_EQ(code, 1u);
    EXPECT_TRUE(waitFor([&] { return !IsIconic(window); }, 5s)) << "the first copy's window stays minimised";
    EXPECT_EQ(GetForegroundWindow(), window) << "brought to the front";
    // Not minimised but behind another window: brought to the front all the same.
    const HWND other = CreateWindowW(L"STATIC", L"in front", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                                     nullptr, nullptr);
    ASSERT_TRUE(waitFor([&] { return SetForegroundWindow(other) && GetForegroundWindow() == other; }, 5s));
    const auto third = startGame(game);
    EXPECT_TRUE(third->waitExit(20s, code));
    EXPECT_TRUE(waitFor([&] { return GetForegroundWindow() == window; }, 5s)) << "left behind";
    DestroyWindow(other);
    closeGame(*first, window);
    EXPECT_FALSE(guardTaken()) << "given back at the end of the game";
}

// The loser ends with 1: quietly when the winner's window already exists, after its box when not.
TEST(SingleInstance, TwoCopiesStartedTogetherLeaveExactlyOneGame) {
    GameFolder game;
    game.writeLanguage({L"T_ANOTHER_COPY_RUN_MSG=Another copy runs."});
    for (int round = 0; round < 10; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        ASSERT_TRUE(waitFor([] { return !guardTaken(); }, 10s));
        std::unique_ptr<Process> copies[2] = {startGame(game), startGame(game)};
        int loser = -1;
        DWORD code = 0xDEAD;
        ASSERT_TRUE(waitFor([&] { return endedAnsweringBoxes(*copies[loser = 0], code) ||
                                         endedAnsweringBoxes(*copies[loser = 1], code); }, 30s));
        EXPECT_EQ(code, 1u);
        const HWND window = gameWindow(*copies[1 - loser]);
        ASSERT_TRUE(window) << "neither copy reached the game";
        closeGame(*copies[1 - loser], window);
    }
}
