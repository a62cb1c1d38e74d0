#include <gtest/gtest.h>

#include <memory>

#include "app/game.h"
#include "config/language_table.h"
#include "support/test_engine_control.h"

namespace {

constexpr wchar_t kClass[] = L"SkelvaneHostUnderTest";
constexpr UINT WM_PROBE = WM_USER + 77;

int cursorCount() {
    const int count = ShowCursor(TRUE);
    ShowCursor(FALSE);
    return count - 1;
}

bool takeMessage(HWND window, UINT message, MSG* out = nullptr) {
    MSG msg;
    const bool found = PeekMessageW(&msg, window, message, message, PM_REMOVE) != FALSE;
    if (out) *out = msg;
    return found;
}

void drainQueue() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

class GameHost : public ::testing::Test {
protected:
    CLocalize localize;
    std::unique_ptr<CGame> game;
    HWND window = nullptr;

    void SetUp() override {
        testEngineClearLog();
        testEngineSetScript("");
        registerWndClass(kClass, GetModuleHandleW(nullptr));
    }
    void TearDown() override {
        if (IsWindow(window)) DestroyWindow(window);
        game.reset();
        drainQueue();
        unregisterWndClass(kClass, GetModuleHandleW(nullptr));
    }
    // The host and its window, as the launch makes them; the engine is not created yet.
    void makeHost(const char* script = "", bool reset = false) {
        testEngineSetScript(script);
        game = std::make_unique<CGame>(L"-x -y", localize, reset);
        window = createWindow(kClass, kGameWindowName, GetModuleHandleW(nullptr), game.get());
        ASSERT_TRUE(window);
        game->setWindow(window);
    }
    void createEngine() {
        ASSERT_TRUE(takeMessage(window, WM_GAME_CREATE)) << "WM_CREATE posts the creation request";
        EXPECT_EQ(game->windowProc(window, WM_GAME_CREATE, 0, 0), 1);
    }
    LRESULT send(UINT message, WPARAM w = 0, LPARAM l = 0) { return game->windowProc(window, message, w, l); }
};

TEST_F(GameHost, WindowIsABarePopupSurface) {
    makeHost();
    EXPECT_EQ(GetWindowLongPtrW(window, GWL_STYLE) & (WS_POPUP | WS_CLIPSIBLINGS | WS_CAPTION | WS_VISIBLE),
              WS_POPUP | WS_CLIPSIBLINGS);
    EXPECT_TRUE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_APPWINDOW);
    EXPECT_EQ(GetClassLongPtrW(window, GCL_STYLE), CS_OWNDC | CS_DBLCLKS);
    EXPECT_EQ(GetWindowLongPtrW(window, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(gameWndProc));
    EXPECT_EQ(GetWindowLongPtrW(window, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(game.get()));
}

TEST_F(GameHost, EngineIsCreatedOnRequestWithCommandLineAndResetFlag) {
    makeHost("", true);
    EXPECT_FALSE(game->hasEngine());
    createEngine();
    EXPECT_TRUE(game->hasEngine());
    EXPECT_TRUE(engineLogHas("reset=1 cmd=[-x -y]")) << testEngineLog();
}

TEST_F(GameHost, NullEngineHidesTheWindowAndAsksForTheFailureReport) {
    makeHost("null");
    ShowWindow(window, SW_SHOW);
    createEngine();
    EXPECT_FALSE(game->hasEngine());
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_TRUE(takeMessage(window, WM_GAME_INITFAILED));
}

TEST_F(GameHost, DestroyPostsQuitWithTheExitCode) {
    makeHost();
    EXPECT_EQ(send(WM_DESTROY), 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 0u);
}

TEST_F(GameHost, ActivationShowsOrHidesTheCursorAndTellsTheEngine) {
    makeHost();
    createEngine();
    testEngineClearLog();
    const int before = cursorCount();
    EXPECT_EQ(send(WM_ACTIVATE, WA_INACTIVE), 0);
    EXPECT_EQ(cursorCount(), before + 1);
    EXPECT_TRUE(engineLogHas("onFocusLost"));
    EXPECT_EQ(send(WM_ACTIVATE, WA_CLICKACTIVE), 0);
    EXPECT_EQ(cursorCount(), before);
    EXPECT_TRUE(engineLogHas("onFocusGained"));
    testEngineClearLog();
    EXPECT_EQ(send(WM_ACTIVATE, 7), 0);
    EXPECT_EQ(cursorCount(), before);
    EXPECT_FALSE(engineLogHas("onFocus"));
    EXPECT_EQ(send(WM_KILLFOCUS), 0);
    EXPECT_TRUE(engineLogHas("onFocusLost"));
}

TEST_F(GameHost, FocusMessagesWithoutEngineOnlyMoveTheCursor) {
    makeHost();
    const int before = cursorCount();
    EXPECT_EQ(send(WM_ACTIVATE, WA_ACTIVE), 0);
    EXPECT_EQ(cursorCount(), before - 1);
    EXPECT_EQ(send(WM_ACTIVATE, WA_INACTIVE), 0);
    EXPECT_EQ(send(WM_KILLFOCUS), 0);
    EXPECT_EQ(testEngineLog(), std::string());
}

TEST_F(GameHost, HostDrawsNothing) {
    makeHost();
    ShowWindow(window, SW_SHOW);
    InvalidateRect(window, nullptr, FALSE);
    EXPECT_EQ(send(WM_PAINT), 0);
    EXPECT_FALSE(GetUpdateRect(window, nullptr, FALSE)) << "WM_PAINT validates";
    EXPECT_EQ(send(WM_ERASEBKGND), 1);
}

TEST_F(GameHost, CloseDestroysTheEngineThenTheWindow) {
    makeHost();
    createEngine();
    EXPECT_EQ(send(WM_CLOSE), 0);
    EXPECT_TRUE(engineLogHas("destroy"));
    EXPECT_FALSE(game->hasEngine());
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(GameHost, SystemAnswersThatKeepTheWindowABareSurface) {
    makeHost();
    EXPECT_EQ(send(WM_ACTIVATEAPP, TRUE), 0);
    EXPECT_EQ(send(WM_ACTIVATEAPP, FALSE), 0);
    EXPECT_EQ(send(WM_POWER, PWR_SUSPENDREQUEST), PWR_FAIL);
    EXPECT_EQ(send(WM_POWER, PWR_SUSPENDRESUME), 0);
    EXPECT_EQ(send(WM_POWER, PWR_CRITICALRESUME), 0);
    EXPECT_EQ(send(WM_NCHITTEST, 0, MAKELPARAM(5000, 5000)), HTCLIENT);
    EXPECT_EQ(send(WM_SYSCHAR, 'f'), 0);
    EXPECT_EQ(send(WM_MENUCHAR, 'f'), 0x10000);
}

TEST_F(GameHost, SystemCommandsToMoveSizeOrOpenMenusAreBlocked) {
    makeHost();
    ShowWindow(window, SW_SHOW);
    RECT before{};
    GetWindowRect(window, &before);
    for (WPARAM command : {SC_SIZE, SC_MOVE, SC_MAXIMIZE, SC_NEXTWINDOW, SC_PREVWINDOW, SC_KEYMENU, SC_SCREENSAVE,
                           SC_MONITORPOWER, SC_MAXIMIZE | 2})
        EXPECT_EQ(send(WM_SYSCOMMAND, command), 0) << std::hex << command;
    RECT after{};
    GetWindowRect(window, &after);
    EXPECT_TRUE(EqualRect(&before, &after));
    EXPECT_FALSE(IsZoomed(window));
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(GameHost, SystemCloseAsksForAnOrdinaryCloseAndMinimizeIsDefault) {
    makeHost();
    ShowWindow(window, SW_SHOW);
    EXPECT_EQ(send(WM_SYSCOMMAND, SC_CLOSE), 0);
    EXPECT_TRUE(takeMessage(window, WM_CLOSE));
    EXPECT_TRUE(IsWindow(window));
    send(WM_SYSCOMMAND, SC_MINIMIZE);
    EXPECT_TRUE(IsIconic(window));
}

TEST_F(GameHost, MessagesTheEngineHandlesNeverReachTheHost) {
    makeHost("handled=0x10:0x2:0x84");
    createEngine();
    EXPECT_EQ(send(WM_CLOSE), 0x5A);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_FALSE(engineLogHas("destroy"));
    EXPECT_EQ(send(WM_NCHITTEST), 0x5A);
    EXPECT_EQ(send(WM_DESTROY), 0x5A);
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
    EXPECT_EQ(send(WM_ERASEBKGND), 1) << "unhandled ones still do";
}

TEST_F(GameHost, NothingIsOfferedToTheEngineWhileItIsCreatedAndACloseThenIsDropped) {
    makeHost("pumpInCreate=10");
    PostMessageW(window, WM_PROBE, 1, 0);
    PostMessageW(window, WM_CLOSE, 0, 0);
    createEngine();
    EXPECT_TRUE(game->hasEngine());
    EXPECT_TRUE(IsWindow(window)) << "the close arrived during creation";
    EXPECT_FALSE(engineLogHas("handleMessage 0x044D")) << testEngineLog();
    EXPECT_FALSE(takeMessage(window, WM_PROBE)) << "the pump dispatched it";

    PostMessageW(window, WM_PROBE, 2, 0);
    game->pumpMessages(5);
    EXPECT_TRUE(engineLogHas("handleMessage 0x044D 0x2"));
}

// The engine may pump messages while it ends; a close among them must neither reach the dying
// instance nor end it a second time.
TEST_F(GameHost, CloseArrivingWhileTheEngineEndsDestroysItOnce) {
    makeHost("pumpInDestroy=10");
    createEngine();
    PostMessageW(window, WM_CLOSE, 0, 0);
    testEngineClearLog();
    EXPECT_EQ(send(WM_CLOSE), 0);
    EXPECT_EQ(std::string(testEngineLog()), "handleMessage 0x0010 0x0\ndestroy enter #1\n");
    EXPECT_FALSE(IsWindow(window));
}

// One engine per window: a request pumped during the creation or posted later from anywhere
// (WM_GAME_CREATE is an ordinary message any process can post) is ignored.
TEST_F(GameHost, EngineIsCreatedOnceWhoeverAsksAgain) {
    makeHost("pumpInCreate=10");
    PostMessageW(window, WM_GAME_CREATE, 0, 0);
    createEngine();
    EXPECT_EQ(send(WM_GAME_CREATE), 1);
    EXPECT_EQ(engineLogCount("createInstance"), 1) << testEngineLog();
    send(WM_CLOSE);
    EXPECT_EQ(engineLogCount("destroy enter"), 1);
}

// Ends a host loop that would otherwise wait for ever.
void CALLBACK quitSoon(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    PostQuitMessage(5);
}

TEST_F(GameHost, CloseFromInsideTheIdleStepIsDroppedAndTheLoopGoesOn) {
    makeHost("closeInIdle;pumpInIdle=10");
    const UINT_PTR timer = SetTimer(nullptr, 0, 300, quitSoon);
    EXPECT_EQ(game->run(), 5);
    KillTimer(nullptr, timer);
    EXPECT_TRUE(engineLogHas("onIdle"));
    EXPECT_TRUE(IsWindow(window));
    EXPECT_FALSE(engineLogHas("destroy")) << "a quit while the window exists leaves the engine alone";
}

TEST_F(GameHost, LoopEndsWithTheQuitCodeAndKeepsIdlingWhileTheEngineAsks) {
    makeHost("idle=true;quitInIdle");
    EXPECT_EQ(game->run(), 7);
}

TEST_F(GameHost, NormalEndRunsThroughCloseDestroyAndQuit) {
    makeHost("closeInIdle");  // posted from onIdle, handled after it returns
    EXPECT_EQ(game->run(), 0);
    EXPECT_TRUE(engineLogHas("destroy"));
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(GameHost, DestructorDetachesTheHostFromAWindowThatOutlivesIt) {
    makeHost();
    game.reset();
    EXPECT_EQ(GetWindowLongPtrW(window, GWLP_USERDATA), 0);
    EXPECT_EQ(SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(-5, -5)), HTNOWHERE) << "default processing now";
}

// Counts 0 and negative dispatch nothing, positive ones at most that many; a quit at the head stops
// the pump and stays queued.
TEST_F(GameHost, PumpMessagesDispatchesAtMostTheCountAndStopsAtAQuit) {
    makeHost();
    takeMessage(window, WM_GAME_CREATE);
    const auto queued = [](UINT message) {
        int n = 0;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, message, message, PM_REMOVE)) ++n;
        return n;
    };
    for (const int count : {0, -4, 2}) {
        for (int i = 0; i < 3; ++i) PostMessageW(window, WM_PROBE, 0, 0);
        game->pumpMessages(count);
        EXPECT_EQ(queued(WM_PROBE), count > 0 ? 3 - count : 3) << count;
    }
    game->pumpMessages(10);  // an empty queue ends the pump early

    PostThreadMessageW(GetCurrentThreadId(), WM_QUIT, 3, 0);
    PostMessageW(window, WM_PROBE, 0, 0);
    game->pumpMessages(5);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(queued(WM_PROBE), 1);
}

}  // namespace
