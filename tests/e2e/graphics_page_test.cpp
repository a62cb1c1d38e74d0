// The warnings dialog of the real launcher on a 640 x 480 desktop (see tests/CMakeLists.txt), where
// Wine's Direct3D makes the device check report the low resolution.
#include <gtest/gtest.h>

#include "dialog_driver.h"
#include "e2e.h"

using namespace e2e;

namespace {

constexpr int kStart = 3, kColourDepth = 1008, kReport = 1016, kIgnoreWarnings = 1018;

bool blocked(HWND dialog) {
    const ComboState depths = readCombo(control(dialog, kColourDepth));
    return depths.texts == std::vector<std::wstring>{L"<none>"} && !depths.enabled &&
           !IsWindowEnabled(GetDlgItem(dialog, kStart)) && !IsWindowEnabled(GetDlgItem(dialog, IDOK));
}

}  // namespace

TEST(SmallDesktop, TheWarningsDialogInFrontBlocksTheChoiceUntilTheWarningsAreIgnored) {
    if (GetSystemMetrics(SM_CXSCREEN) != 640 || GetSystemMetrics(SM_CYSCREEN) != 480)
        GTEST_SKIP() << "needs a 640 x 480 desktop";
    GameFolder folder;
    folder.writeLanguage({L"T_INFORMATION=Warnings"});
    Process process(folder.file(L"Skelvane.exe"), L"", folder.path(), engineEnv(folder));
    const HWND dialog = waitForSettingsDialog(process.pid());
    ASSERT_TRUE(dialog);
    const HWND warnings = waitForDialogWith(process.pid(), kReport);
    ASSERT_TRUE(warnings);
    EXPECT_EQ(narrow(windowText(warnings)), "Warnings");
    EXPECT_TRUE(waitFor([&] {
        HWND w = GetTopWindow(nullptr);
        while (w && w != warnings && w != dialog) w = GetWindow(w, GW_HWNDNEXT);
        return w == warnings;
    }, 5s)) << "in front of the settings dialog";
    EXPECT_EQ(narrow(windowText(GetDlgItem(warnings, kReport))).substr(0, 37), "current display resolution is too low");
    EXPECT_TRUE(blocked(dialog));

    clickButton(warnings, kIgnoreWarnings);
    ASSERT_TRUE(waitFor([&] { return readCombo(control(dialog, kColourDepth)).enabled; }));
    clickButton(warnings, kIgnoreWarnings);
    ASSERT_TRUE(waitFor([&] { return blocked(dialog); }));
    clickButton(warnings, IDOK);
    ASSERT_TRUE(waitFor([&] { return !IsWindowVisible(warnings); }));
    EXPECT_TRUE(IsWindowVisible(dialog));
    clickButton(dialog, IDCANCEL);
    DWORD code = 0;
    EXPECT_TRUE(process.waitExit(20s, code));
    EXPECT_EQ(code, 1u);
}
