// The launcher finds its language file through the options file of its working directory.
#include <gtest/gtest.h>

#include "e2e.h"
#include "held_guard.h"

using namespace e2e;

namespace {

const std::vector<std::wstring> kOtherLanguage = {L"T_FATAL_ERROR_HDR=Fehler", L"T_ANOTHER_COPY_RUN_MSG=Schon offen"};

}  // namespace

TEST(OptionsFile, WorkingDirectoryOptionsNameTheLanguageFile) {
    GameFolder game;
    GameFolder work;
    work.writeLanguage(kOtherLanguage, L"deutsch.txt");
    work.writeBytes(L"korvex.ini", "[OPTIONS]\r\nLanguage=deutsch.txt\r\n");
    const ErrorBox box = startAgainstHeldGuard(game, work.path());
    EXPECT_EQ(box.caption, L"Fehler");
    EXPECT_EQ(box.text, L"Schon offen");
    EXPECT_EQ(box.exitCode, 1u);
}

TEST(OptionsFile, WithoutOptionsTheWorkingDirectorysLanguageTxtIsRead) {
    GameFolder game;
    GameFolder work;
    work.remove(L"korvex.ini");
    work.writeLanguage(kOtherLanguage);
    const ErrorBox box = startAgainstHeldGuard(game, work.path());
    EXPECT_EQ(box.caption, L"Fehler") << "not the language file next to the executable";
}

TEST(OptionsFile, AbsoluteLanguagePathIsOpenedFromThere) {
    GameFolder game;
    GameFolder elsewhere;
    elsewhere.writeLanguage(kOtherLanguage, L"deutsch.txt");
    game.writeBytes(L"korvex.ini", "[OPTIONS]\r\nLanguage=" + narrow(elsewhere.file(L"deutsch.txt")) + "\r\n");
    const ErrorBox box = startAgainstHeldGuard(game, game.path());
    EXPECT_EQ(box.caption, L"Fehler");
    EXPECT_EQ(box.text, L"Schon offen");
}

TEST(OptionsFile, EmptyLanguageValueShowsTheRawKeys) {
    GameFolder game;
    game.writeBytes(L"korvex.ini", "[OPTIONS]\r\nLanguage=\r\n");
    const ErrorBox box = startAgainstHeldGuard(game, game.path());
    EXPECT_EQ(box.caption, L"T_FATAL_ERROR_HDR");
    EXPECT_EQ(box.text, L"T_ANOTHER_COPY_RUN_MSG");
    EXPECT_EQ(box.exitCode, 1u);
}
