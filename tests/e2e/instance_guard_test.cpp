// One copy at a time: second copies started against a real first copy. A copy that finds the guard
// taken but no window to bring back is shown with the options file.
#include <gtest/gtest.h>

#include "e2e.h"

using namespace e2e;

namespace {

bool guardTaken() {
    const HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, L"Global\\Korvex");
    if (mutex) CloseHandle(mutex);
    return mutex != nullptr;
}

class SingleInstance : public LauncherTest {
protected:
    // Another copy from the same folder; true when it ended with 1 within 20 s.
    bool secondCopyEnds() {
        const Process copy(folder.file(L"Skelvane.exe"), L"", folder.path(), engineEnv(folder));
        DWORD code = 0xDEAD;
        return copy.waitExit(20s, code) && code == 1;
    }
};

}  // namespace

TEST_F(SingleInstance, SecondCopyRestoresTheRunningGameAndEndsQuietly) {
    ASSERT_FALSE(guardTaken());
    start();
    const HWND window = gameWindow();
    ASSERT_TRUE(window);
    ShowWindow(window, SW_MINIMIZE);
    ASSERT_TRUE(waitFor([&] { return IsIconic(window) != FALSE; }, 5s));

    EXPECT_TRUE(secondCopyEnds()) << "a box on the way out waits for its answer";
    EXPECT_TRUE(waitFor([&] { return !IsIconic(window); }, 5s)) << "the first copy's window stays minimised";
    EXPECT_EQ(GetForegroundWindow(), window) << "brought to the front";
    // Not minimised but behind another window: brought to the front all the same.
    const HWND other = CreateWindowW(L"STATIC", L"in front", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                                     nullptr, nullptr);
    ASSERT_TRUE(waitFor([&] { return SetForegroundWindow(other) && GetForegroundWindow() == other; }, 5s));
    EXPECT_TRUE(secondCopyEnds());
    EXPECT_TRUE(waitFor([&] { return GetForegroundWindow() == window; }, 5s)) << "left behind";
    DestroyWindow(other);
    closeGame();
    EXPECT_FALSE(guardTaken()) << "given back at the end of the game";
}
