// The warnings dialog of the real launcher on a 640 x 480 desktop (see tests/CMakeLists.txt), where
// Wine's Direct3D makes the device check report the low resolution (the report itself: caps_check).
// How the warnings block the lists until ignored is shown by the unit tests of the graphics page.
#include <gtest/gtest.h>

#include "e2e.h"

using namespace e2e;

namespace {

constexpr int kReport = 1016;

class SmallDesktop : public FirstStartTest {};

}  // namespace

TEST_F(SmallDesktop, TheWarningsDialogOfTheRealCheckShowsInFront) {
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
    clickButton(dialog, IDCANCEL);
    EXPECT_EQ(exitCode(), 1u);
}
