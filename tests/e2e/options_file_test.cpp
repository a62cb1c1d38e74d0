// The launcher finds its language file through the options file of its working directory. The
// error box of a launcher that finds its guard taken (this test holds it) and no game window to
// bring back shows which language file it read.
#include <gtest/gtest.h>

#include <memory>

#include "e2e.h"

using namespace e2e;

namespace {

// "caption|text" of the box of a launcher started in the working directory, and its exit code.
std::wstring errorBoxAgainstHeldGuard(const GameFolder& game, const std::wstring& workingDir, DWORD& exitCode) {
    const std::unique_ptr<void, decltype(&CloseHandle)> guard(CreateMutexW(nullptr, FALSE, L"Global\\Korvex"),
                                                               &CloseHandle);
    EXPECT_TRUE(guard && GetLastError() != ERROR_ALREADY_EXISTS) << "the guard was already taken";
    Process launcher(game.file(L"Skelvane.exe"), L"", workingDir, engineEnv(game));
    const HWND box = waitForMessageBox(launcher.pid());
    if (!box) return L"no error box";
    const std::wstring seen = messageBoxText(box);
    EXPECT_FALSE(FindWindowW(L"Korvex//Class", L"Korvex//Window")) << "the game window was created";
    clickButton(box, IDOK);
    EXPECT_TRUE(launcher.waitExit(15s, exitCode)) << "still running after the box";
    EXPECT_FALSE(storedDword(L"", L"LastRunCrashed")) << "an error box is no crash";  // nor a report (~GameFolder)
    return seen;
}

}  // namespace

TEST(OptionsFile, TheWorkingDirectorysOptionsOrElseItsLanguageTxtGiveTheTexts) {
    GameFolder game;
    GameFolder work;
    const std::vector<std::wstring> german = {L"T_FATAL_ERROR_HDR=Fehler", L"T_ANOTHER_COPY_RUN_MSG=Schon offen"};
    work.writeLanguage(german, L"deutsch.txt");
    work.write(L"korvex.ini", "[OPTIONS]\r\nLanguage=deutsch.txt\r\n");
    DWORD code = 0xDEAD;
    EXPECT_EQ(errorBoxAgainstHeldGuard(game, work.path(), code), L"Fehler|Schon offen");
    EXPECT_EQ(code, 1u);

    work.remove(L"korvex.ini");
    work.writeLanguage(german);
    EXPECT_EQ(errorBoxAgainstHeldGuard(game, work.path(), code), L"Fehler|Schon offen")
        << "not the language file next to the executable";
}
