#include <gtest/gtest.h>

#include "app/command_line.h"

TEST(HasSwitch, DashOrSlashInAnyLetterCase) {
    EXPECT_TRUE(hasSwitch(L"-s", L"s"));
    EXPECT_TRUE(hasSwitch(L"/s", L"s"));
    EXPECT_TRUE(hasSwitch(L"-S", L"s"));
    EXPECT_TRUE(hasSwitch(L"  -x   /R ", L"r"));
}

TEST(HasSwitch, AWordCountsWhenItBeginsWithTheSwitch) {
    EXPECT_TRUE(hasSwitch(L"-settings", L"s"));
    EXPECT_TRUE(hasSwitch(L"/reset", L"r"));
    EXPECT_TRUE(hasSwitch(L"-rs", L"r"));
    EXPECT_FALSE(hasSwitch(L"-rs", L"s"));
    EXPECT_TRUE(hasSwitch(L"-srx", L"s"));
    EXPECT_FALSE(hasSwitch(L"-srx", L"r"));
}

TEST(HasSwitch, OnlyADashOrSlashAtTheStartOfAWordStartsASwitch) {
    EXPECT_FALSE(hasSwitch(L"x-s", L"s"));
    EXPECT_FALSE(hasSwitch(L"a/r b", L"r"));
    EXPECT_FALSE(hasSwitch(L"s r", L"s"));
    EXPECT_FALSE(hasSwitch(L"-", L"s"));
}

TEST(HasSwitch, OnlyBlanksSeparateWords) {
    EXPECT_FALSE(hasSwitch(L"x\t-s", L"s")) << "a tab is part of the word";
    EXPECT_TRUE(hasSwitch(L"\"my folder -s\"", L"s")) << "quotes are not special";
    EXPECT_FALSE(hasSwitch(L"\"-s\"", L"s"));
}

TEST(HasSwitch, EmptyAndMissingStrings) {
    EXPECT_FALSE(hasSwitch(L"", L"s"));
    EXPECT_FALSE(hasSwitch(nullptr, L"s"));
    EXPECT_FALSE(hasSwitch(L"-s", nullptr));
    EXPECT_TRUE(hasSwitch(L"-x", L"")) << "an empty name matches any switch";
}
