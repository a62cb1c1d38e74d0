// One copy at a time: second copies started against a real first copy, or against a guard held
// without a game window.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "e2e.h"
#include "held_guard.h"

using namespace e2e;

namespace {

constexpr wchar_t kClass[] = L"Korvex//Class";
constexpr wchar_t kName[] = L"Korvex//Window";

bool guardTaken() {
    const HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, L"Global\\Korvex");
    if (mutex) CloseHandle(mutex);
    return mutex != nullptr;
}

std::unique_ptr<Process> startGame(const GameFolder& game) {
    return std::make_unique<Process>(game.file(L"Skelvane.exe"), L"", game.path(), engineEnv(game));
}

// Waits for the end of a process that must not show any box on its way out.
bool endsWithoutBox(const Process& process, DWORD& exitCode, Ms timeout = 20s) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
        if (process.waitExit(50ms, exitCode)) return true;
        for (HWND w : topWindows(process.pid()))
            if (className(w) == "#32770" && IsWindowVisible(w)) {
                ADD_FAILURE() << "a box was shown: " << narrow(messageBoxText(w));
                return false;
            }
    }
    ADD_FAILURE() << "did not end";
    return false;
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
    const HWND window = waitForWindow(first->pid(), kClass, kName);
    ASSERT_TRUE(window);
    ShowWindow(window, SW_MINIMIZE);
    ASSERT_TRUE(waitFor([&] { return IsIconic(window) != FALSE; }, 5s));

    const auto second = startGame(game);
    DWORD code = 0xDEAD;
    EXPECT_TRUE(endsWithoutBox(*second, code));
    EXPECT_EQ(code, 1u);
    EXPECT_TRUE(waitFor([&] { return !IsIconic(window); }, 5s)) << "the first copy's window stays minimised";
    EXPECT_TRUE(first->running());
    EXPECT_EQ(GetForegroundWindow(), window) << "brought to the front";

    closeGame(*first, window);
    EXPECT_FALSE(guardTaken()) << "given back at the end of the game";

    // A copy started after the first one ended runs normally.
    const auto third = startGame(game);
    const HWND again = waitForWindow(third->pid(), kClass, kName);
    ASSERT_TRUE(again);
    closeGame(*third, again);
}

TEST(SingleInstance, GuardTakenWithoutGameWindowIsReported) {
    GameFolder game;
    game.writeLanguage({L"T_FATAL_ERROR_HDR=Skelvane - Error", L"T_ANOTHER_COPY_RUN_MSG=Another copy runs."});
    const ErrorBox box = startAgainstHeldGuard(game, game.path());
    EXPECT_EQ(box.caption, L"Skelvane - Error");
    EXPECT_EQ(box.text, L"Another copy runs.");
    EXPECT_EQ(box.exitCode, 1u);
    EXPECT_FALSE(guardTaken());
}

TEST(SingleInstance, TwoCopiesStartedTogetherLeaveExactlyOneGame) {
    GameFolder game;
    game.writeLanguage({L"T_ANOTHER_COPY_RUN_MSG=Another copy runs."});
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        ASSERT_TRUE(waitFor([] { return !guardTaken(); }, 10s));
        std::unique_ptr<Process> copies[2] = {startGame(game), startGame(game)};

        // The loser ends with 1: quietly when the winner's window already exists, with the box
        // when it does not yet.
        int loser = -1;
        DWORD code = 0xDEAD;
        ASSERT_TRUE(waitFor(
            [&] {
                for (int i = 0; i < 2; ++i) {
                    if (copies[i]->waitExit(0ms, code)) {
                        loser = i;
                        return true;
                    }
                    for (HWND w : topWindows(copies[i]->pid()))
                        if (className(w) == "#32770" && IsWindowVisible(w) && GetDlgItem(w, 0xFFFF)) {
                            EXPECT_EQ(messageBoxText(w), L"Another copy runs.");
                            clickButton(w, IDOK);
                        }
                }
                return false;
            },
            30s));
        EXPECT_EQ(code, 1u);
        const Process& winner = *copies[1 - loser];
        const HWND window = waitForWindow(winner.pid(), kClass, kName);
        ASSERT_TRUE(window) << "neither copy reached the game";
        EXPECT_TRUE(winner.running());
        closeGame(winner, window);
    }
}
