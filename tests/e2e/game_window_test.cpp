// The game window of the real launcher, driven from outside: what only the whole launch shows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e.h"

using namespace e2e;

namespace {

class GameWindow : public LauncherTest {};

// The engine gets the window shown, centred and sized, and the arguments as the process got them.
// The size is in pixels at every scale (tests/run_at_dpi.sh runs this at 144 DPI too): the launcher
// is per-monitor DPI aware, and its window has the system's DPI.
// The start-up trace: the probes start only once COM security is set, the game window waits for the
// diagnostic query, and without a driver date in the options file nobody asks for the driver rows.
TEST_F(GameWindow, IsShownCentredAt512BeforeTheEngineAndTheStartUpKeepsItsOrder) {
    auto environment = engineEnv(folder);
    environment[L"SKELVANE_TRACE"] = folder.file(L"trace.txt");
    start(L"-x \"quoted arg\"", environment);
    const HWND window = gameWindow();
    ASSERT_TRUE(window);
    ASSERT_TRUE(waitFor([&] { return folder.engineLog().find("createInstance") != std::string::npos; }));
    RECT frame{}, work{};
    GetWindowRect(window, &frame);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR((frame.left + frame.right) / 2, (work.left + work.right) / 2, 1);
    EXPECT_NEAR((frame.top + frame.bottom) / 2, (work.top + work.bottom) / 2, 1);
    const WindowScale scale = scaleOf(window);
    EXPECT_TRUE(scale.awareness == 2 && scale.dpi == runnerDpi() && scale.client.cx == 512 && scale.client.cy == 512)
        << scale.awareness << " " << scale.dpi << " " << scale.client.cx << "x" << scale.client.cy;
    const std::string log = folder.engineLog();
    EXPECT_NE(log.find("createInstance visible=1 client=512x512 reset=0 cmd=[-x \"quoted arg\"]"), std::string::npos)
        << log;
    closeGame();
    EXPECT_NE(folder.engineLog().find("destroy"), std::string::npos);

    const std::string trace = folder.read(L"trace.txt");
    const auto at = [&](const char* line) { return trace.find(line); };
    ASSERT_NE(at("end    probe: DirectX diagnostic query"), std::string::npos) << trace;
    EXPECT_LT(at("end    appPreInit"), at("start  probe: DirectX diagnostic query")) << trace;
    EXPECT_LT(at("end    probe: DirectX diagnostic query"), at("start  game window")) << trace;
    EXPECT_EQ(at("video-controller"), std::string::npos) << trace;
    EXPECT_NE(at("end    wWinMain"), std::string::npos) << trace;
}

TEST_F(GameWindow, EngineThatCannotStartGivesTheTranslatedBoxAndMinusOne) {
    folder.writeLanguage({L"T_INIT_ERROR_HDR=No game today", L"T_INIT_ERROR_MSG=The engine\\nrefused."});
    start(L"", engineEnv(folder, "null"));
    const HWND window = gameWindow();
    ASSERT_TRUE(window);
    const HWND box = waitForMessageBox(process->pid());
    ASSERT_TRUE(box);
    EXPECT_EQ(messageBoxText(box), L"No game today|The engine\nrefused.");
    EXPECT_FALSE(IsWindowVisible(window));
    DWORD code = 0;
    EXPECT_FALSE(process->waitExit(300ms, code)) << "waits for the player";
    clickButton(box, IDOK);
    EXPECT_EQ(exitCode(), 0xFFFFFFFFu);
}

// Its client area takes the chosen resolution, in pixels at every scale.
TEST(GameWindowDemo, DemoEngineDrawsAtTheChosenResolutionAndClosesOnEscape) {
    GameFolder folder(true);
    Process p(folder.file(L"Skelvane.exe"), L"", folder.path());
    const HWND window = waitForGameWindow(p.pid());
    ASSERT_TRUE(window);
    const LONG width = static_cast<LONG>(storedDword(L"Graphics", L"Width").value_or(0));
    const LONG height = static_cast<LONG>(storedDword(L"Graphics", L"Height").value_or(0));
    EXPECT_TRUE(waitFor([&] { return scaleOf(window).client.cx == width && scaleOf(window).client.cy == height; }))
        << scaleOf(window).client.cx << "x" << scaleOf(window).client.cy << " for " << width << "x" << height;
    DWORD code = 0;
    EXPECT_FALSE(p.waitExit(1500ms, code)) << "the demo engine started";
    PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(p.waitExit(15s, code));
    EXPECT_EQ(code, 0u);
}

// Wine stops treating every program as DPI aware once DpiScalingVer is set, and virtualizes an
// unaware one. The launcher then runs aware, its window 512 pixels, only by its manifest entry;
// without it, it runs unaware (and Wine 8 mis-sizes the 32-bit build's window).
TEST(GameWindowDpi, OnlyTheManifestEntryKeepsTheWindowInPixelsWhereTheSystemScales) {
    if (runnerDpi() == USER_DEFAULT_SCREEN_DPI) GTEST_SKIP() << "run at 144 DPI by tests/run_at_dpi.sh";
    const auto desktop = L"Control Panel\\Desktop";
    const DWORD scaling = 0x1018;
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, desktop, L"DpiScalingVer", REG_DWORD, &scaling, sizeof scaling), 0);
    struct Restore {
        const wchar_t* key;
        ~Restore() { RegDeleteKeyValueW(HKEY_CURRENT_USER, key, L"DpiScalingVer"); }
    } restore{desktop};
    // Each entry replaced by a comment of its length. Windows 10 reads dpiAwareness before dpiAware;
    // Wine 8 takes its first word, which it cannot set, and leaves the program unaware: dpiAware alone
    // is what it follows.
    const std::string awareness =
        "<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">PerMonitorV2, PerMonitor</dpiAwareness>";
    const std::string aware = "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm</dpiAware>";
    for (const bool withEntry : {true, false}) {
        SCOPED_TRACE(withEntry ? "dpiAware true/pm" : "no DPI entry");
        GameFolder folder;
        std::string program = folder.read(L"Skelvane.exe");
        for (const std::string& entry : withEntry ? std::vector{awareness} : std::vector{awareness, aware}) {
            const size_t at = program.find(entry);
            ASSERT_NE(at, std::string::npos) << entry;
            program.replace(at, entry.size(), "<!--" + std::string(entry.size() - 7, ' ') + "-->");
        }
        ASSERT_TRUE(folder.write(L"Skelvane.exe", program));
        Process launcher(folder.file(L"Skelvane.exe"), L"", folder.path(), engineEnv(folder));
        const HWND window = waitForGameWindow(launcher.pid());
        ASSERT_TRUE(window);
        ASSERT_TRUE(waitFor([&] { return folder.engineLog().find("createInstance") != std::string::npos; }));
        const WindowScale scale = scaleOf(window);
        std::printf("%s: awareness %d, client area %ldx%ld\n", withEntry ? "dpiAware true/pm" : "no DPI entry",
                    scale.awareness, scale.client.cx, scale.client.cy);
        EXPECT_EQ(scale.awareness == 2 && scale.client.cx == 512 && scale.client.cy == 512, withEntry);
        PostMessageW(window, WM_CLOSE, 0, 0);
        DWORD code = 0;
        EXPECT_TRUE(launcher.waitExit(20s, code));
    }
}

}  // namespace
