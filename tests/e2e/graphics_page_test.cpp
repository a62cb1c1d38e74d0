// The warnings dialog of the real launcher on a 640 x 480 desktop (see tests/CMakeLists.txt), where
// Wine's Direct3D makes the device check report the low resolution. How ignoring the warnings
// unblocks the lists is shown by the unit tests of the graphics page.
#include <gtest/gtest.h>

#include "dialog_driver.h"
#include "e2e.h"

using namespace e2e;

namespace {

constexpr int kStart = 3, kColourDepth = 1008, kReport = 1016, kIgnoreWarnings = 1018;

class SmallDesktop : public LauncherTest {};

}  // namespace

TEST_F(SmallDesktop, TheWarningsDialogInFrontBlocksTheChoiceUntilTheWarningsAreIgnored) {
    if (GetSystemMetrics(SM_CXSCREEN) != 640 || GetSystemMetrics(SM_CYSCREEN) != 480)
        GTEST_SKIP() << "needs a 640 x 480 desktop";
    const HWND dialog = openDialog();
    ASSERT_TRUE(dialog);
    const HWND warnings = waitForDialogWith(process->pid(), kReport);
    ASSERT_TRUE(warnings);
    EXPECT_EQ(ui::text(warnings), L"Warnings");
    EXPECT_TRUE(waitFor([&] {
        HWND w = GetTopWindow(nullptr);
        while (w && w != warnings && w != dialog) w = GetWindow(w, GW_HWNDNEXT);
        return w == warnings;
    }, 5s)) << "in front of the settings dialog";
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, kStart)));
    clickButton(warnings, kIgnoreWarnings);
    EXPECT_TRUE(waitFor([&] { return ui::readCombo(dialog, kColourDepth).enabled; }));
    clickButton(dialog, IDCANCEL);
    EXPECT_EQ(exitCode(), 1u);
}
