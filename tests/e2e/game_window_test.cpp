// The game window of the real launcher, driven from outside: what only the whole launch shows.
#include <gtest/gtest.h>

#include <string>

#include "e2e.h"

using namespace e2e;

namespace {

class GameWindow : public LauncherTest {};

// The engine gets the window shown, centred and sized, and the arguments as the process got them.
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

}  // namespace
