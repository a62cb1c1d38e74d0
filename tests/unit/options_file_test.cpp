#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <string>

#include "config/options_file.h"

namespace {

// A scratch folder made the current directory for the test; the old one comes back afterwards.
class OptionsFileTest : public ::testing::Test {
protected:
    std::wstring dir;
    std::wstring previous;

    void SetUp() override {
        wchar_t buffer[MAX_PATH];
        GetCurrentDirectoryW(MAX_PATH, buffer);
        previous = buffer;
        GetTempPathW(MAX_PATH, buffer);
        dir = std::wstring(buffer) + L"skelvane-options-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(dir.c_str(), nullptr);
        ASSERT_TRUE(SetCurrentDirectoryW(dir.c_str()));
    }
    void TearDown() override {
        SetCurrentDirectoryW(previous.c_str());
        DeleteFileW((dir + L"\\korvex.ini").c_str());
        RemoveDirectoryW(dir.c_str());
    }
    void write(const std::string& text) { std::ofstream((dir + L"\\korvex.ini").c_str(), std::ios::binary) << text; }
    static std::wstring language() { return readOption(L"korvex.ini", L"OPTIONS", L"Language", L"language.txt"); }
};

}  // namespace

TEST(OptionsFilePath, OneBackslashBetweenDirectoryAndName) {
    EXPECT_EQ(optionsFilePath(L"C:\\Games\\Skelvane", L"korvex.ini"), L"C:\\Games\\Skelvane\\korvex.ini");
    EXPECT_EQ(optionsFilePath(L"C:\\", L"korvex.ini"), L"C:\\korvex.ini");
    EXPECT_EQ(optionsFilePath(L"", L"korvex.ini"), L".\\korvex.ini");
}

TEST_F(OptionsFileTest, ReadsTheFileOfTheCurrentDirectory) {
    write("[OPTIONS]\r\nLanguage=deutsch.txt\r\nVideoDrvLoDate=01.02.2008\r\n");
    EXPECT_EQ(language(), L"deutsch.txt");
    EXPECT_EQ(readOption(L"korvex.ini", L"OPTIONS", L"VideoDrvLoDate", L""), L"01.02.2008");

    // Another working directory has no options file: the defaults apply.
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    ASSERT_TRUE(SetCurrentDirectoryW(temp));
    EXPECT_EQ(language(), L"language.txt");
}

TEST_F(OptionsFileTest, AbsolutePathsAndEmptyValuesComeBackAsWritten) {
    write("[OPTIONS]\r\nLanguage=C:\\Lang\\polski.txt\r\n");
    EXPECT_EQ(language(), L"C:\\Lang\\polski.txt");
    write("[OPTIONS]\r\nLanguage=\r\n");
    EXPECT_EQ(language(), L"") << "an empty value is not the default";
}

TEST_F(OptionsFileTest, MissingFileSectionOrKeyGivesTheDefault) {
    EXPECT_EQ(language(), L"language.txt") << "no file";
    write("[OTHER]\r\nLanguage=x.txt\r\n");
    EXPECT_EQ(language(), L"language.txt") << "no section";
    write("[OPTIONS]\r\nLanguages=x.txt\r\n");
    EXPECT_EQ(language(), L"language.txt") << "no key";
    EXPECT_EQ(readOption(L"korvex.ini", L"OPTIONS", L"VideoDrvLoDate", L""), L"");
}

TEST_F(OptionsFileTest, LongValueIsCutTo259Characters) {
    const std::string value(300, 'a');
    write("[OPTIONS]\r\nLanguage=" + value + "\r\n");
    EXPECT_EQ(language(), std::wstring(259, L'a'));
}

TEST_F(OptionsFileTest, DriveRootGetsNoDoubledBackslash) {
    const std::wstring name = L"skelvane-root-" + std::to_wstring(GetCurrentProcessId()) + L".ini";
    std::ofstream((L"C:\\" + name).c_str(), std::ios::binary) << "[OPTIONS]\r\nLanguage=root.txt\r\n";
    ASSERT_TRUE(SetCurrentDirectoryW(L"C:\\"));
    EXPECT_EQ(readOption(name, L"OPTIONS", L"Language", L"language.txt"), L"root.txt");
    DeleteFileW((L"C:\\" + name).c_str());
}
