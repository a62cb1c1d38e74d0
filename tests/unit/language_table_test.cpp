// The language file: its format and the table built from it.
#include <gtest/gtest.h>

#include <string>

#include "config/language_table.h"
#include "support/scratch_folder.h"

namespace {

std::string utf16(const std::wstring& s) { return std::string(reinterpret_cast<const char*>(s.data()), s.size() * 2); }

}  // namespace

TEST(LanguageParse, LinesKeysValuesCommentsAndEscapes) {
    const struct { std::wstring body; LanguageMap table; } cases[] = {
        // Lines end at CR LF only, with any CR and LF right after; the last line needs no end.
        {L"A=1\r\n\r\n\r\r\n\nB=2\r\nC=3", {{L"A", L"1"}, {L"B", L"2"}, {L"C", L"3"}}},
        {L" K = a\nB=b\n", {{L"K", L" a\nB=b\n"}}},
        {L"K=v\r\r\n", {{L"K", L"v\r"}}},
        // A comment starts with '#' after spaces only; no comment follows a value.
        {L"   # K=v\r\n#K=v\r\n\t#K=v\r\nL=v # x", {{L"\t#K", L"v"}, {L"L", L"v # x"}}},
        // Keys are trimmed of spaces (a key of only spaces stays), values are kept as written.
        {L"  T_OK  =  Fine  \r\nT_EQ=a=b\r\nno equals\r\n   =x\r\n\tK\t=v",
         {{L"T_OK", L"  Fine  "}, {L"T_EQ", L"a=b"}, {L"   ", L"x"}, {L"\tK\t", L"v"}}},
        // Backslash n is a line feed in values; nothing else is an escape.
        {L"K=a\\nb\r\nL=\\t\\\\n\r\nM\\n=v", {{L"K", L"a\nb"}, {L"L", L"\\t\\\n"}, {L"M\\n", L"v"}}},
        {L"T_OK=first\r\n T_OK =second", {{L"T_OK", L"first"}}},
    };
    for (const auto& c : cases) EXPECT_EQ(parseLanguageText(c.body.data(), c.body.size()), c.table);
}

TEST(LanguageFile, OnlyALittleEndianMarkedFileIsReadAndAnOddLastByteIsIgnored) {
    test::ScratchFolder dir;
    const auto load = [&](const std::string& bytes) {
        dir.write(L"lang.txt", bytes);
        return CLocalize(dir.file(L"lang.txt"));
    };
    EXPECT_EQ(load("\xFF\xFE" + utf16(L"T_OK=Fine\r\n=empty key") + "\x41").translate("T_OK"), L"Fine");
    EXPECT_EQ(load("\xFF\xFE" + utf16(L"=empty key")).translate(""), L"empty key");
    for (const std::string& unread : {"\xFE\xFF" + utf16(L"T_OK=Fine"), utf16(L"T_OK=Fine"), std::string("\xFF\xFE")})
        EXPECT_EQ(load(unread).size(), 0u);
    EXPECT_EQ(CLocalize(L"no such file.txt").translate("T_SETTINGS"), L"T_SETTINGS");
    EXPECT_EQ(CLocalize().translate(std::wstring(L"t_ok")), L"t_ok");
}
