// The game host against the scripted test engine: its window's answers, the engine's one life and
// the host loop.
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

// Removes the queued messages of one number (0: of every number) and counts them.
int takeAll(UINT message) {
    int n = 0;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, message, message, PM_REMOVE)) ++n;
    return n;
}

class GameHost : public ::testing::Test {
protected:
    CLocalize localize;
    std::unique_ptr<CGame> game;
    HWND window = nullptr;

    void SetUp() override { registerWndClass(kClass, GetModuleHandleW(nullptr)); }
    void TearDown() override {
        if (IsWindow(window)) DestroyWindow(window);
        game.reset();
        takeAll(0);
        unregisterWndClass(kClass, GetModuleHandleW(nullptr));
    }
    // The host and its window as the launch makes them, with the scripted engine unless told not to.
    void makeHost(const char* script = "", bool withEngine = true, bool reset = false) {
        testEngineSetScript(script);
        testEngineClearLog();
        game = std::make_unique<CGame>(L"-x -y", localize, reset);
        window = createWindow(kClass, kGameWindowName, GetModuleHandleW(nullptr), game.get());
        ASSERT_TRUE(window);
        game->setWindow(window);
        ASSERT_EQ(takeAll(WM_GAME_CREATE), 1) << "WM_CREATE posts the creation request";
        if (withEngine) {
            EXPECT_EQ(send(WM_GAME_CREATE), 1);
        }
    }
    LRESULT send(UINT message, WPARAM w = 0, LPARAM l = 0) { return game->windowProc(window, message, w, l); }
};

// One engine per window: a request pumped during the creation or posted later from anywhere
// (WM_GAME_CREATE is an ordinary message any process can post) is ignored. Nothing is offered to the
// engine while it is created, and a close then is dropped.
TEST_F(GameHost, EngineIsCreatedOnceWithTheCommandLineAndTheResetFlagAndHearsNothingMeanwhile) {
    makeHost("pumpInCreate=10", false, true);
    EXPECT_FALSE(game->hasEngine());
    PostMessageW(window, WM_GAME_CREATE, 0, 0);
    PostMessageW(window, WM_PROBE, 1, 0);
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(send(WM_GAME_CREATE), 1);
    EXPECT_EQ(send(WM_GAME_CREATE), 1);
    EXPECT_TRUE(game->hasEngine());
    EXPECT_TRUE(IsWindow(window)) << "the close arrived during creation";
    EXPECT_EQ(takeAll(WM_PROBE), 0) << "the pump dispatched it";
    EXPECT_EQ(engineLogCount("createInstance"), 1) << testEngineLog();
    EXPECT_TRUE(engineLogHas("reset=1 cmd=[-x -y]")) << testEngineLog();
    EXPECT_FALSE(engineLogHas("handleMessage 0x044D")) << testEngineLog();

    PostMessageW(window, WM_PROBE, 2, 0);
    game->pumpMessages(5);
    EXPECT_TRUE(engineLogHas("handleMessage 0x044D 0x2"));
}

// Losing the focus shows the cursor, gaining it hides it; the engine hears of both.
TEST_F(GameHost, FocusMovesTheCursorAndTellsTheEngine) {
    const struct { UINT message; WPARAM w; int cursor, lost, gained; } cases[] = {
        {WM_ACTIVATE, WA_INACTIVE, +1, 1, 0}, {WM_ACTIVATE, WA_ACTIVE, -1, 0, 1},
        {WM_ACTIVATE, WA_CLICKACTIVE, -1, 0, 1}, {WM_ACTIVATE, 7, 0, 0, 0}, {WM_KILLFOCUS, 0, 0, 1, 0},
    };
    makeHost();
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.message << " " << c.w);
        testEngineClearLog();
        const int before = cursorCount();
        EXPECT_EQ(send(c.message, c.w), 0);
        EXPECT_EQ(cursorCount(), before + c.cursor);
        EXPECT_EQ(engineLogCount("onFocusLost"), c.lost);
        EXPECT_EQ(engineLogCount("onFocusGained"), c.gained);
    }
}

TEST_F(GameHost, MessagesTheEngineHandlesNeverReachTheHost) {
    makeHost("handled=0x10:0x2:0x84");
    for (const UINT message : {WM_CLOSE, WM_NCHITTEST, WM_DESTROY}) EXPECT_EQ(send(message), 0x5A) << message;
    EXPECT_TRUE(IsWindow(window) && !engineLogHas("destroy"));
    EXPECT_EQ(takeAll(WM_QUIT), 0);
    EXPECT_EQ(send(WM_ERASEBKGND), 1) << "unhandled ones still do";
}

// The engine may pump messages while it ends; a close among them must neither reach the dying
// instance nor end it a second time.
TEST_F(GameHost, CloseArrivingWhileTheEngineEndsDestroysItOnce) {
    makeHost("pumpInDestroy=10");
    PostMessageW(window, WM_CLOSE, 0, 0);
    testEngineClearLog();
    EXPECT_EQ(send(WM_CLOSE), 0);
    EXPECT_EQ(std::string(testEngineLog()), "handleMessage 0x0010 0x0\ndestroy enter #1\n");
    EXPECT_FALSE(IsWindow(window));
}

// Ends a host loop that would otherwise wait for ever.
void CALLBACK quitSoon(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    PostQuitMessage(5);
}

// A close posted from the idle step ends the game once the step is over; one pumped inside it is
// dropped, and the loop goes on until a quit, which leaves the engine alone.
TEST_F(GameHost, CloseFromTheIdleStepEndsTheGameOnlyAfterTheStep) {
    for (const bool pumped : {false, true}) {
        makeHost(pumped ? "closeInIdle;pumpInIdle=10" : "closeInIdle");
        const UINT_PTR timer = SetTimer(nullptr, 0, 300, quitSoon);
        EXPECT_EQ(game->run(), pumped ? 5 : 0);
        KillTimer(nullptr, timer);
        EXPECT_TRUE(engineLogHas("onIdle"));
        EXPECT_EQ(engineLogHas("destroy"), !pumped) << testEngineLog();
        EXPECT_EQ(game->hasEngine() && IsWindow(window), pumped);
    }
}

// A quit at the head stops the pump and stays queued. The host's end detaches it from a window that
// outlives it.
TEST_F(GameHost, PumpMessagesStopsAtAQuit) {
    makeHost("", false);
    PostThreadMessageW(GetCurrentThreadId(), WM_QUIT, 3, 0);
    PostMessageW(window, WM_PROBE, 0, 0);
    game->pumpMessages(5);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(takeAll(WM_PROBE), 1);
    game.reset();
    EXPECT_EQ(SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(-5, -5)), HTNOWHERE) << "default processing now";
}

}  // namespace
