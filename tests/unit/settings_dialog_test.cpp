// The settings dialog shell with scripted services: construction, end codes and saving.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "res/resource.h"
#include "unit/settings_dialog_harness.h"

namespace {

class SettingsDialogUnit : public ::testing::Test {
protected:
    fake::Direct3D9 d3d;
    CLocalize localize;
    std::shared_ptr<harness::ScriptedSoundLibrary> sound = std::make_shared<harness::ScriptedSoundLibrary>();
    std::wstring report;

    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tolmira\\Skelvane");
        harness::addPlainAdapter(d3d);
        win::g_module.init(GetModuleHandleW(nullptr));  // as the launch has it: resources come from there
    }
    void TearDown() override {
        win::g_module.term();
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tolmira\\Skelvane");
    }
    SettingsServices services() {
        return harness::fakeServices(d3d, [this](UINT) { return report; }, sound);
    }
};

TEST_F(SettingsDialogUnit, NothingStoredMeansInvalidAndCancelSavesNothing) {
    CSettingsDialog dialog(localize, false, services());
    EXPECT_TRUE(dialog.settingsInvalid());
    HICON icons[2] = {};
    EXPECT_EQ(harness::runDialog(dialog,
                                 [&](HWND w) {
                                     for (WPARAM size : {ICON_BIG, ICON_SMALL})
                                         icons[size] = reinterpret_cast<HICON>(SendMessageW(w, WM_GETICON, size, 0));
                                     SendMessageW(w, WM_COMMAND, IDCANCEL, 0);
                                 }),
              kSettingsCancel);
    for (HICON icon : icons) {
        ASSERT_TRUE(icon);
        EXPECT_FALSE(DestroyIcon(icon)) << "the dialog's icons go with its window";
    }
    HKEY key = nullptr;
    EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Tolmira\\Skelvane", 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(sound->setOutputCalls.back(), 0) << "the sound library is left on no sound";
}

TEST_F(SettingsDialogUnit, StartSavesAndTheNextConstructionFindsValidSettings) {
    {
        CSettingsDialog dialog(localize, true, services());
        EXPECT_EQ(harness::runDialog(dialog, [](HWND w) { SendMessageW(w, WM_COMMAND, IDC_START, 0); }),
                  kSettingsStart);
        EXPECT_TRUE(dialog.resetSettings());
    }
    CSettingsDialog again(localize, false, services());
    EXPECT_FALSE(again.settingsInvalid());
    EXPECT_EQ(again.settings().GraphicsSettings.Width, 1024u);
    report = L"too old";
    CSettingsDialog warned(localize, false, services());
    EXPECT_TRUE(warned.settingsInvalid()) << "a device warning makes the stored settings unusable";
}

TEST_F(SettingsDialogUnit, TabsSwitchThePages) {
    harness::runDialog(*std::make_unique<CSettingsDialog>(localize, false, services()), [](HWND w) {
        const HWND graphics = GetParent(harness::findControl(w, IDC_ADAPTER));
        const HWND soundPage = GetParent(harness::findControl(w, IDC_SND_OUTPUT));
        EXPECT_TRUE(IsWindowVisible(graphics));
        EXPECT_FALSE(IsWindowVisible(soundPage));
        const HWND tabs = GetDlgItem(w, IDC_TABS);
        TabCtrl_SetCurSel(tabs, 1);
        NMHDR change{tabs, IDC_TABS, static_cast<UINT>(TCN_SELCHANGE)};
        SendMessageW(w, WM_NOTIFY, IDC_TABS, reinterpret_cast<LPARAM>(&change));
        EXPECT_FALSE(IsWindowVisible(graphics));
        EXPECT_TRUE(IsWindowVisible(soundPage));
    });
}

}  // namespace
