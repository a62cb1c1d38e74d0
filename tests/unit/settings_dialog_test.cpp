// The settings dialog shell with scripted services: its icons and when stored settings are usable.
// What Start, OK and Cancel store is shown end to end.
#include <gtest/gtest.h>

#include "unit/settings_dialog_fixture.h"

namespace {

class SettingsDialogUnit : public harness::DialogTest {};

TEST_F(SettingsDialogUnit, TheIconsGoWithTheWindow) {
    harness::addPlainAdapter(d3d);
    HICON icons[2] = {};
    run([&](HWND w, const LaunchSettings&) {
        for (WPARAM size : {ICON_BIG, ICON_SMALL})
            icons[size] = reinterpret_cast<HICON>(SendMessageW(w, WM_GETICON, size, 0));
    });
    for (HICON icon : icons) {
        ASSERT_TRUE(icon);
        EXPECT_FALSE(DestroyIcon(icon)) << "already destroyed";
    }
}

TEST_F(SettingsDialogUnit, StoredSettingsWithADeviceWarningAreInvalid) {
    harness::addPlainAdapter(d3d);
    EXPECT_TRUE(CSettingsDialog(localize, false, services()).settingsInvalid()) << "nothing stored";
    run([](HWND w, const LaunchSettings&) { SendMessageW(w, WM_COMMAND, IDC_START, 0); });
    EXPECT_FALSE(CSettingsDialog(localize, false, services()).settingsInvalid());
    reports[0] = L"too old";
    EXPECT_TRUE(CSettingsDialog(localize, false, services()).settingsInvalid());
}

}  // namespace
