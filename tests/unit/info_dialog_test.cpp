// Which clicked links of a warnings report are opened.
#include <gtest/gtest.h>

#include "settings/info_dialog.h"

TEST(WarningsLinks, OnlyWebAndMailLinksInsideTheTextOpen) {
    const std::wstring text = L"driver too old\rsee https://example.com/d";
    const LONG start = static_cast<LONG>(text.find(L"https")), end = static_cast<LONG>(text.size());
    EXPECT_EQ(linkToOpen(text, start, end), L"https://example.com/d");
    EXPECT_EQ(linkToOpen(text, start, end + 1), L"") << "beyond the text";
    EXPECT_EQ(linkToOpen(text, start, start), L"");
    for (const wchar_t* link : {L"http://example.com", L"HTTPS://EXAMPLE.COM/x", L"mailto:support@example.com"})
        EXPECT_TRUE(isOpenableLink(link)) << std::wstring(link).size();
    for (const wchar_t* link : {L"file:///C:/windows/system32/calc.exe", L"\\\\server\\share\\run.bat", L"http://",
                                L"mailto:", L"xhttp://example.com"})
        EXPECT_FALSE(isOpenableLink(link)) << std::wstring(link).size();
}
