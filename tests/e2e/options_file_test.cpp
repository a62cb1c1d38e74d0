// The launcher finds its language file through the options file of its working directory.
#include <gtest/gtest.h>

#include "e2e.h"
#include "held_guard.h"

using namespace e2e;

TEST(OptionsFile, TheWorkingDirectorysOptionsOrElseItsLanguageTxtGiveTheTexts) {
    GameFolder game;
    GameFolder work;
    const std::vector<std::wstring> german = {L"T_FATAL_ERROR_HDR=Fehler", L"T_ANOTHER_COPY_RUN_MSG=Schon offen"};
    work.writeLanguage(german, L"deutsch.txt");
    work.writeBytes(L"korvex.ini", "[OPTIONS]\r\nLanguage=deutsch.txt\r\n");
    ErrorBox box = startAgainstHeldGuard(game, work.path());
    EXPECT_EQ(box.caption + L"|" + box.text, L"Fehler|Schon offen");
    EXPECT_EQ(box.exitCode, 1u);

    work.remove(L"korvex.ini");
    work.writeLanguage(german);
    box = startAgainstHeldGuard(game, work.path());
    EXPECT_EQ(box.caption, L"Fehler") << "not the language file next to the executable";
}
