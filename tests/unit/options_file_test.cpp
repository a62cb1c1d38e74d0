#include <gtest/gtest.h>

#include <string>

#include "config/options_file.h"
#include "support/scratch_folder.h"

TEST(OptionsFile, PathNamesTheCurrentDirectoryWhenThereIsNone) {
    EXPECT_EQ(optionsFilePath(L"C:\\Games\\Skelvane", L"korvex.ini"), L"C:\\Games\\Skelvane\\korvex.ini");
    EXPECT_EQ(optionsFilePath(L"C:\\", L"korvex.ini"), L"C:\\korvex.ini");
    EXPECT_EQ(optionsFilePath(L"", L"korvex.ini"), L".\\korvex.ini");
}

TEST(OptionsFile, ValueFromTheWorkingDirectoryOrTheDefaultAndAtMost259Characters) {
    test::ScratchFolder dir;  // the current directory while it lives
    const auto language = [] { return readOption(L"korvex.ini", L"OPTIONS", L"Language", L"language.txt"); };
    EXPECT_EQ(language(), L"language.txt");
    ASSERT_TRUE(dir.write(L"korvex.ini", "[OPTIONS]\r\nLanguage=\r\n"));
    EXPECT_EQ(language(), L"") << "an empty value is not the default";
    ASSERT_TRUE(dir.write(L"korvex.ini", "[OPTIONS]\r\nLanguage=" + std::string(300, 'a') + "\r\n"));
    EXPECT_EQ(language(), std::wstring(259, L'a'));
}
