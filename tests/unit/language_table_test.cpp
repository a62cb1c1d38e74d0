#include <gtest/gtest.h>

#include <random>
#include <string>

#include "config/language_table.h"
#include "support/scratch_folder.h"

namespace {

LanguageMap parse(const std::wstring& body) { return parseLanguageText(body.data(), body.size()); }

// Writes bytes to a file in a scratch folder and builds the table from it.
class LanguageFileTest : public ::testing::Test {
protected:
    test::ScratchFolder dir;
    CLocalize load(const std::string& bytes) {
        dir.write(L"lang.txt", bytes);
        return CLocalize(dir.file(L"lang.txt"));
    }
    static std::string utf16(const std::wstring& s) {
        return std::string(reinterpret_cast<const char*>(s.data()), s.size() * 2);
    }
};

TEST_F(LanguageFileTest, ByteOrderMarkDecidesWhetherTheFileIsRead) {
    EXPECT_EQ(load("\xFF\xFE" + utf16(L"T_OK=Fine")).translate("T_OK"), L"Fine");
    EXPECT_EQ(load("\xFE\xFF" + utf16(L"T_OK=Fine")).size(), 0u) << "big-endian mark";
    EXPECT_EQ(load(utf16(L"T_OK=Fine")).size(), 0u) << "no mark";
    EXPECT_EQ(load("\xEF\xBB\xBFT_OK=Fine\r\n").size(), 0u) << "UTF-8";
    EXPECT_EQ(load("\xFF\xFE").size(), 0u) << "mark only";
    EXPECT_EQ(load("\xFF").size(), 0u) << "half a mark";
    EXPECT_EQ(load("").size(), 0u);
}

TEST_F(LanguageFileTest, OddTrailingByteIsIgnoredAndSurrogatesPassThrough) {
    const std::wstring value = L"\xD83D\xDE00 \xD800";  // a pair, then a lone high surrogate
    const CLocalize table = load("\xFF\xFE" + utf16(L"T_X=" + value) + "\x41");
    EXPECT_EQ(table.translate("T_X"), value);
}

TEST_F(LanguageFileTest, MissingFileOrEmptyPathGivesEmptyTableAndRawKeys) {
    EXPECT_EQ(CLocalize(L"no such file.txt").translate("T_SETTINGS"), L"T_SETTINGS");
    EXPECT_EQ(CLocalize(L"").size(), 0u);
}

TEST(LanguageParse, LinesEndOnlyAtCrLfAndBlankLinesVanish) {
    const LanguageMap m = parse(L"A=1\r\n\r\n\r\r\n\nB=2\r\nC=3");
    EXPECT_EQ(m.size(), 3u);
    EXPECT_EQ(m.at(L"A"), L"1");
    EXPECT_EQ(m.at(L"B"), L"2");
    EXPECT_EQ(m.at(L"C"), L"3") << "the last line needs no line end";
}

TEST(LanguageParse, LoneLineFeedsAndCarriageReturnsAreText) {
    const LanguageMap lf = parse(L" K = a\nB=b\n");
    ASSERT_EQ(lf.size(), 1u);
    EXPECT_EQ(lf.at(L"K"), L" a\nB=b\n");
    EXPECT_EQ(parse(L"K=v\r\r\n").at(L"K"), L"v\r") << "CR before the line's CR LF";
    EXPECT_EQ(parse(L"\nK=v").count(L"\nK"), 1u) << "LF at the very start of the file";
}

TEST(LanguageParse, CommentsStartWithHashAfterSpacesOnly) {
    EXPECT_TRUE(parse(L"   # K=v\r\n").empty());
    EXPECT_TRUE(parse(L"#K=v").empty());
    const LanguageMap tab = parse(L"\t#K=v");
    EXPECT_EQ(tab.at(L"\t#K"), L"v") << "a tab is no blank";
    EXPECT_EQ(parse(L"K=v # remark").at(L"K"), L"v # remark") << "no trailing comments";
}

TEST(LanguageParse, KeyIsTrimmedOfSpacesValueIsKeptAsWritten) {
    const LanguageMap m = parse(L"  T_OK  =  Fine  \r\nT_EQ=a=b\r\nno equals sign\r\n   =x\r\n=empty");
    EXPECT_EQ(m.at(L"T_OK"), L"  Fine  ");
    EXPECT_EQ(m.at(L"T_EQ"), L"a=b");
    EXPECT_EQ(m.at(L"   "), L"x") << "a key of only spaces stays as it is";
    EXPECT_EQ(m.at(L""), L"empty");
    EXPECT_EQ(m.size(), 4u);
    EXPECT_EQ(parse(L"\tK\t=v").count(L"\tK\t"), 1u) << "only U+0020 is trimmed";
}

TEST(LanguageParse, BackslashNBecomesLineFeedAndNothingElseIsAnEscape) {
    EXPECT_EQ(parse(L"K=a\\nb").at(L"K"), L"a\nb");
    EXPECT_EQ(parse(L"K=\\\\n").at(L"K"), L"\\\n");
    EXPECT_EQ(parse(L"K=\\t\\r\\").at(L"K"), L"\\t\\r\\");
    EXPECT_EQ(parse(L"K\\n=v").count(L"K\\n"), 1u) << "keys are not rewritten";
}

TEST(LanguageParse, FirstOfDuplicateKeysWins) {
    const LanguageMap m = parse(L"T_OK=first\r\nT_OK=second\r\n T_OK =third");
    EXPECT_EQ(m.at(L"T_OK"), L"first");
}

TEST(LanguageTranslate, MissingKeysComeBackWidened) {
    CLocalize table;
    EXPECT_EQ(table.translate("T_OK"), L"T_OK");
    EXPECT_EQ(table.translate(std::wstring(L"T_AA_NONE")), L"T_AA_NONE");
    EXPECT_EQ(table.translate(""), L"");
}

TEST_F(LanguageFileTest, TranslateFindsEntriesByNarrowAndWideKeys) {
    const CLocalize table = load("\xFF\xFE" + utf16(L"T_OK=Fine\r\n=for the empty key\r\n"));
    EXPECT_EQ(table.translate("T_OK"), L"Fine");
    EXPECT_EQ(table.translate(std::wstring(L"T_OK")), L"Fine");
    EXPECT_EQ(table.translate("t_ok"), L"t_ok") << "keys are case-sensitive";
    EXPECT_EQ(table.translate(""), L"for the empty key");
}

TEST_F(LanguageFileTest, WindowTextsAreReplacedOnlyWhenTheWholeTextIsAKey) {
    const CLocalize table = load("\xFF\xFE" + utf16(L"T_OK=Fine\r\nT_CANCEL=Stop"));
    HWND parent = CreateWindowW(L"STATIC", L"T_OK", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    HWND child = CreateWindowW(L"BUTTON", L"T_CANCEL", WS_CHILD, 0, 0, 10, 10, parent, nullptr, nullptr, nullptr);
    HWND grandchild = CreateWindowW(L"STATIC", L"T_OK", WS_CHILD, 0, 0, 5, 5, child, nullptr, nullptr, nullptr);
    HWND other = CreateWindowW(L"STATIC", L"T_OK and more", WS_CHILD, 0, 0, 5, 5, parent, nullptr, nullptr, nullptr);
    HWND empty = CreateWindowW(L"STATIC", L"", WS_CHILD, 0, 0, 5, 5, parent, nullptr, nullptr, nullptr);

    EXPECT_FALSE(table.localizeWindow(empty));
    CLocalizeOwner(table).localizeTree(parent);
    wchar_t text[64];
    GetWindowTextW(parent, text, 64);
    EXPECT_STREQ(text, L"Fine");
    GetWindowTextW(child, text, 64);
    EXPECT_STREQ(text, L"Stop");
    GetWindowTextW(grandchild, text, 64);
    EXPECT_STREQ(text, L"Fine");
    GetWindowTextW(other, text, 64);
    EXPECT_STREQ(text, L"T_OK and more");
    EXPECT_FALSE(table.localizeWindow(other));
    EXPECT_FALSE(CLocalize::localizeChildProc(child, 0)) << "no owner ends the walk";
    DestroyWindow(parent);
}

// A second reading of the file rules, written plainly, for the random files below.
LanguageMap referenceParse(const std::wstring& text) {
    LanguageMap m;
    std::wstring rest = text;
    while (!rest.empty()) {
        const size_t crlf = rest.find(L"\r\n");
        std::wstring line = crlf == std::wstring::npos ? rest : rest.substr(0, crlf);
        if (crlf == std::wstring::npos) {
            rest.clear();
        } else {
            rest.erase(0, crlf + 2);
            while (!rest.empty() && (rest[0] == L'\r' || rest[0] == L'\n')) rest.erase(0, 1);
        }
        size_t i = 0;
        while (i < line.size() && line[i] == L' ') ++i;
        if (i < line.size() && line[i] == L'#') continue;
        const size_t eq = line.find(L'=');
        if (eq == std::wstring::npos) continue;
        std::wstring key = line.substr(0, eq), value = line.substr(eq + 1), unescaped;
        if (key.find_first_not_of(L' ') != std::wstring::npos) {
            key.erase(0, key.find_first_not_of(L' '));
            key.erase(key.find_last_not_of(L' ') + 1);
        }
        for (size_t j = 0; j < value.size(); ++j) {
            if (value.compare(j, 2, L"\\n") == 0) {
                unescaped += L'\n';
                ++j;
            } else {
                unescaped += value[j];
            }
        }
        if (!m.count(key)) m[key] = unescaped;
    }
    return m;
}

TEST_F(LanguageFileTest, RandomAndMutatedFilesParseLikeTheReferenceReading) {
    std::mt19937 rng(20261206);
    const wchar_t alphabet[] = {L'\r', L'\n', L'=', L'#', L' ', L'\\', L'n', L'\t', L'T', L'_', L'K',
                                L'\xD800', L'\xDC00', L'\xFEFF', L'\x00E9', L'0'};
    const std::wstring seed = L"# comment\r\nT_OK=Fine\r\n  T_A = a\\nb \r\n\r\n=empty\r\nT_OK=dup\r\nbroken";
    for (int round = 0; round < 3000; ++round) {
        std::wstring body;
        switch (round % 3) {
        case 0: {  // random text from the characters that matter
            const size_t n = rng() % 200;
            for (size_t i = 0; i < n; ++i) body += alphabet[rng() % (sizeof alphabet / sizeof *alphabet)];
            break;
        }
        case 1: {  // the seed with random edits
            body = seed;
            for (int e = rng() % 8; e >= 0; --e) {
                const size_t at = rng() % (body.size() + 1);
                if (rng() % 2 && at < body.size())
                    body.erase(at, 1 + rng() % 3);
                else
                    body.insert(at, 1, alphabet[rng() % (sizeof alphabet / sizeof *alphabet)]);
            }
            break;
        }
        default:  // a very long line, sometimes cut short
            body = L"T_LONG=" + std::wstring(5000 + rng() % 5000, L'x') + L"\r\nT_B=b";
            body.resize(rng() % (body.size() + 1));
        }
        EXPECT_EQ(parse(body), referenceParse(body)) << "round " << round;

        if (round % 100 == 0) {  // through the file, with and without an odd trailing byte
            const std::string bytes = "\xFF\xFE" + utf16(body) + (round % 200 ? "" : "\x01");
            const CLocalize table = load(bytes);
            EXPECT_EQ(table.size(), referenceParse(body).size()) << "round " << round;
        }
    }
}

}  // namespace
