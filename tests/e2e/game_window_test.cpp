// The game window of the real launcher, driven from outside.
#include <gtest/gtest.h>

#include "e2e.h"

using namespace e2e;

namespace {

class GameWindow : public ::testing::Test {
protected:
    std::unique_ptr<Process> p;

    // Starts the launcher with the test engine and waits for its game window.
    HWND start(const GameFolder& folder, const std::wstring& arguments = L"", const std::string& script = "") {
        p = std::make_unique<Process>(folder.file(L"Skelvane.exe"), arguments, folder.path(), engineEnv(folder, script));
        return waitForWindow(p->pid(), L"Korvex//Class", L"Korvex//Window");
    }
};

TEST_F(GameWindow, IsAShownCentredPopupWithA512ClientAreaAndGetsTheEngine) {
    GameFolder folder;
    HWND window = start(folder, L"-x \"quoted arg\"");
    ASSERT_TRUE(window);
    ASSERT_TRUE(waitFor([&] { return folder.engineLog().find("createInstance") != std::string::npos; }));

    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_TRUE(style & WS_CLIPSIBLINGS);
    EXPECT_FALSE(style & WS_CAPTION);
    EXPECT_TRUE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_APPWINDOW);
    EXPECT_TRUE(IsWindowVisible(window));

    RECT client{}, frame{}, work{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 512);
    EXPECT_EQ(client.bottom, 512);
    GetWindowRect(window, &frame);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR((frame.left + frame.right) / 2, (work.left + work.right) / 2, 1);
    EXPECT_NEAR((frame.top + frame.bottom) / 2, (work.top + work.bottom) / 2, 1);

    // Created once the window was shown and sized, with the arguments as the process got them.
    const std::string log = folder.engineLog();
    EXPECT_NE(log.find("createInstance visible=1 client=512x512 reset=0 cmd=[-x \"quoted arg\"]"), std::string::npos)
        << log;

    PostMessageW(window, WM_CLOSE, 0, 0);
    DWORD code = 99;
    ASSERT_TRUE(p->waitExit(15s, code));
    EXPECT_EQ(code, 0u);
    EXPECT_NE(folder.engineLog().find("destroy"), std::string::npos);
}

// Another creation request from outside is ignored, and a second close that reaches the window
// while the engine ends (it pumps messages in destroy) does not end it twice.
TEST_F(GameWindow, SystemCloseEndsTheGameLikeACloseAndTheEngineLivesOnce) {
    GameFolder folder;
    HWND window = start(folder, L"", "pumpInDestroy=10");
    ASSERT_TRUE(window);
    ASSERT_TRUE(waitFor([&] { return folder.engineLog().find("createInstance") != std::string::npos; }));
    PostMessageW(window, WM_USER + 1, 0, 0);
    PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    PostMessageW(window, WM_CLOSE, 0, 0);
    DWORD code = 99;
    ASSERT_TRUE(p->waitExit(15s, code));
    EXPECT_EQ(code, 0u);
    const std::string log = folder.engineLog();
    const auto count = [&](const std::string& text) {
        int n = 0;
        for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++n;
        return n;
    };
    EXPECT_EQ(count("createInstance"), 1) << log;
    EXPECT_EQ(count("destroy enter"), 1) << log;
}

TEST_F(GameWindow, EngineThatCannotStartGivesTheTranslatedBoxAndMinusOne) {
    GameFolder folder;
    folder.writeLanguage({L"T_INIT_ERROR_HDR=No game today", L"T_INIT_ERROR_MSG=The engine\\nrefused."});
    HWND window = start(folder, L"", "null");
    ASSERT_TRUE(window);
    HWND box = waitForMessageBox(p->pid());
    ASSERT_TRUE(box);
    EXPECT_EQ(narrow(windowText(box)), "No game today");
    EXPECT_EQ(narrow(messageBoxText(box)), "The engine\nrefused.");
    EXPECT_FALSE(IsWindowVisible(window));
    DWORD code = 0;
    EXPECT_FALSE(p->waitExit(300ms, code)) << "waits for the player";
    clickButton(box, IDOK);
    ASSERT_TRUE(p->waitExit(15s, code));
    EXPECT_EQ(code, 0xFFFFFFFFu);
}

TEST_F(GameWindow, MessagesTheEngineHandlesDoNotCloseTheWindow) {
    GameFolder folder;
    HWND window = start(folder, L"", "handled=0x10");
    ASSERT_TRUE(window);
    ASSERT_TRUE(waitFor([&] { return folder.engineLog().find("createInstance") != std::string::npos; }));
    PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(waitFor([&] { return folder.engineLog().find("handleMessage 0x0010") != std::string::npos; }));
    DWORD code = 0;
    EXPECT_FALSE(p->waitExit(500ms, code));
    EXPECT_TRUE(IsWindow(window));
    // A quit message still ends the loop, with its own code and without destroying the engine.
    PostMessageW(window, WM_QUIT, 12, 0);
    ASSERT_TRUE(p->waitExit(15s, code));
    EXPECT_EQ(code, 12u);
    EXPECT_EQ(folder.engineLog().find("destroy"), std::string::npos);
}

TEST_F(GameWindow, DemoEngineDrawsAndClosesOnEscape) {
    GameFolder folder(true);
    Process p(folder.file(L"Skelvane.exe"), L"", folder.path());
    HWND window = waitForWindow(p.pid(), L"Korvex//Class", L"Korvex//Window");
    ASSERT_TRUE(window);
    Sleep(1500);
    DWORD code = 0;
    EXPECT_FALSE(p.waitExit(0ms, code)) << "the demo engine started";
    PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(p.waitExit(15s, code));
    EXPECT_EQ(code, 0u);
}

}  // namespace
