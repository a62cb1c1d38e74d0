// The warnings dialog of the real launcher: on a 640 x 480 desktop (see tests/CMakeLists.txt), where
// Wine's Direct3D makes the device check report the low resolution (the report itself: caps_check),
// and for a video driver older than korvex.ini asks, worked by keys.
// How the warnings block the lists until ignored is shown by the unit tests of the graphics page.
#include <gtest/gtest.h>

#include "e2e.h"

using namespace e2e;

namespace {

constexpr int kReport = 1016;

class SmallDesktop : public FirstStartTest {};
class WarningsWindow : public FirstStartTest {};

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

TEST_F(WarningsWindow, GoesByKeysAndLeavesEnterToStart) {
    folder.write(L"korvex.ini", "[OPTIONS]\r\nVideoDrvLoDate=01.01.2030\r\n");  // no driver is that new
    const HWND dialog = openDialog();
    ASSERT_TRUE(dialog);
    const HWND warnings = waitForDialogWith(process->pid(), kReport);
    ASSERT_TRUE(warnings && waitFor([&] { return GetForegroundWindow() == warnings; }, 5s));
    pressKeys({VK_MENU, 'I'});  // "&Ignore warnings"
    ASSERT_TRUE(waitFor([&] { return IsWindowEnabled(ui::find(dialog, 3)) != FALSE; }, 5s));
    pressKeys({VK_ESCAPE});  // as OK
    ASSERT_TRUE(waitFor([&] { return !IsWindowVisible(warnings) && GetForegroundWindow() == dialog; }, 5s));
    pressKeys({VK_RETURN});  // Start, not the button the focus fell on while Start was disabled
    closeGame();
}
