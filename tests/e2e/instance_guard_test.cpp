// One copy at a time: second copies started against a real first copy. A copy that finds the guard
// taken but no window to bring back is shown with the options file.
#include <gtest/gtest.h>

#include <memory>

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

}  // namespace

TEST(SingleInstance, SecondCopyRestoresTheRunningGameAndEndsQuietly) {
    ASSERT_FALSE(guardTaken());
    GameFolder game;
    const auto first = startGame(game);
    const HWND window = waitForWindow(first->pid(), L"Korvex//Class", L"Korvex//Window");
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
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(first->waitExit(15s, code));
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(guardTaken()) << "given back at the end of the game";
}
