// Which clicked links of a warnings report are opened.
#include <gtest/gtest.h>

#include "settings/info_dialog.h"

namespace {

TEST(WarningsLinks, AnyNonEmptyRangeInsideTheTextOpensTheVeryEndIncluded) {
    const std::wstring text = L"driver too old\rsee https://example.com/d";
    const LONG start = static_cast<LONG>(text.find(L"https")), end = static_cast<LONG>(text.size());
    EXPECT_EQ(linkToOpen(text, start, end), L"https://example.com/d");
    EXPECT_EQ(linkToOpen(text, start, end - 2), L"https://example.com");
    EXPECT_EQ(linkToOpen(text, start, start), L"") << "empty range";
    EXPECT_EQ(linkToOpen(text, start, end + 1), L"") << "beyond the text";
    EXPECT_EQ(linkToOpen(text, -1, end), L"");
    EXPECT_EQ(linkToOpen(text, end, start), L"");
}

TEST(WarningsLinks, OnlyWebAndMailLinksOpen) {
    for (const wchar_t* link : {L"http://example.com", L"HTTPS://EXAMPLE.COM/x", L"mailto:support@example.com"})
        EXPECT_TRUE(isOpenableLink(link)) << std::wstring(link).size();
    for (const wchar_t* link : {L"file:///C:/windows/system32/calc.exe", L"C:\\windows\\notepad.exe",
                                L"\\\\server\\share\\run.bat", L"ftp://example.com", L"javascript:alert(1)",
                                L"http://", L"mailto:", L"xhttp://example.com", L""})
        EXPECT_FALSE(isOpenableLink(link)) << std::wstring(link).size();
    const std::wstring text = L"see file://C:/x.exe";
    EXPECT_EQ(linkToOpen(text, 4, static_cast<LONG>(text.size())), L"");
}

}  // namespace
