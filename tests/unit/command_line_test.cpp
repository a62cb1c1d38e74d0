#include <gtest/gtest.h>

#include <iterator>

#include "app/command_line.h"

TEST(HasSwitch, ADashOrSlashWordBeginningWithTheNameInAnyCase) {
    const struct { const wchar_t* line; const wchar_t* name; bool found; } cases[] = {
        {L"-s", L"s", true}, {L"/s", L"s", true}, {L"-S", L"s", true}, {L"  -x   /R ", L"r", true},
        {L"-settings", L"s", true}, {L"-rs", L"s", false}, {L"x-s", L"s", false}, {L"s r", L"s", false},
        {L"x\t-s", L"s", false},  // only blanks separate words
        {L"\"my folder -s\"", L"s", true}, {L"", L"s", false}, {nullptr, L"s", false}, {L"-s", nullptr, false},
    };
    for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(hasSwitch(cases[i].line, cases[i].name), cases[i].found) << i;
}
