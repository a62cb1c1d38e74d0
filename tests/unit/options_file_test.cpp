#include <gtest/gtest.h>

#include <string>

#include "config/options_file.h"
#include "support/scratch_folder.h"

namespace {

// An options file in a scratch folder made the current directory for the test.
class OptionsFileTest : public ::testing::Test {
protected:
    test::ScratchFolder dir;
    void write(const std::string& text) { ASSERT_TRUE(dir.write(L"korvex.ini", text)); }
    static std::wstring language() { return readOption(L"korvex.ini", L"OPTIONS", L"Language", L"language.txt"); }
};

}  // namespace

TEST(OptionsFilePath, OneBackslashBetweenDirectoryAndName) {
    EXPECT_EQ(optionsFilePath(L"C:\\Games\\Skelvane", L"korvex.ini"), L"C:\\Games\\Skelvane\\korvex.ini");
    EXPECT_EQ(optionsFilePath(L"C:\\", L"korvex.ini"), L"C:\\korvex.ini");
    EXPECT_EQ(optionsFilePath(L"", L"korvex.ini"), L".\\korvex.ini");
}

TEST_F(OptionsFileTest, MissingFileSectionOrKeyGivesTheDefault) {
    EXPECT_EQ(language(), L"language.txt") << "no file";
    write("[OTHER]\r\nLanguage=x.txt\r\n");
    EXPECT_EQ(language(), L"language.txt") << "no section";
    write("[OPTIONS]\r\nLanguages=x.txt\r\n");
    EXPECT_EQ(language(), L"language.txt") << "no key";
    write("[OPTIONS]\r\nLanguage=\r\n");
    EXPECT_EQ(language(), L"") << "an empty value is not the default";
}

TEST_F(OptionsFileTest, LongValueIsCutTo259Characters) {
    write("[OPTIONS]\r\nLanguage=" + std::string(300, 'a') + "\r\n");
    EXPECT_EQ(language(), std::wstring(259, L'a'));
}
