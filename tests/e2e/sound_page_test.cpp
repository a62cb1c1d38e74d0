// The sound page of the real launcher with the sound library that ships beside it: what it offers
// on this machine at the first start, and what Start stores of the player's choices.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include "dialog_driver.h"
#include "e2e.h"

using namespace e2e;

namespace {

constexpr int kStart = 3;
constexpr int kGraphicsAdapter = 1006;
constexpr int kOutput = 1011, kRate = 1012, kDriver = 1013, kSpeakers = 1015;

BOOL CALLBACK countDevice(LPGUID, LPCWSTR, LPCWSTR, LPVOID count) {
    ++*static_cast<int*>(count);
    return TRUE;
}

// The outputs the shipped library offers, from the devices the system shows this test: DirectSound
// and waveOut when they have devices, autodetect when either has, no sound always.
std::vector<std::wstring> expectedOutputs() {
    int directSound = 0;
    DirectSoundEnumerateW(countDevice, &directSound);
    const bool waveOut = waveOutGetNumDevs() > 0;
    std::vector<std::wstring> outputs;
    if (directSound > 0 || waveOut) outputs.push_back(L"Autodetect");
    outputs.push_back(L"NoSound");
    if (waveOut) outputs.push_back(L"Windows Multimedia Waveout");
    if (directSound > 0) outputs.push_back(L"Direct Sound");
    return outputs;
}

class SoundPage : public ::testing::Test {
protected:
    GameFolder folder;
    std::unique_ptr<Process> process;

    void SetUp() override {
        deleteSettings();
        folder.writeLanguage({L"T_SPEAKERMODE_STEREO=Two speakers", L"T_SPEAKERMODE_HEADPHONES=Headphones",
                              L"T_SNDDEVICE=Output"});
    }
    void TearDown() override {
        process.reset();
        storeValidSettings();
    }
    HWND openSoundPage(const std::wstring& arguments = L"") {
        process = std::make_unique<Process>(folder.file(L"Skelvane.exe"), arguments, folder.path(), engineEnv(folder));
        const HWND dialog = waitForSettingsDialog(process->pid());
        if (!dialog) return nullptr;
        EXPECT_TRUE(selectTab(dialog, 1));
        EXPECT_TRUE(waitFor([&] { return IsWindowVisible(pageWith(dialog, kOutput)) != FALSE; }, 5s));
        EXPECT_FALSE(IsWindowVisible(pageWith(dialog, kGraphicsAdapter)));
        return dialog;
    }
    DWORD exitCode() {
        DWORD code = 99;
        EXPECT_TRUE(process->waitExit(20s, code));
        return code;
    }
};

// Here Wine has no sound device: the library offers only "NoSound", so autodetect is not usable and
// the first entry is selected; DirectSound cannot be created either, so the speaker mode is stereo.
TEST_F(SoundPage, FirstStartOffersThisMachinesOutputsAndStartStoresTheChoices) {
    const HWND dialog = openSoundPage();
    ASSERT_TRUE(dialog);
    const ComboState outputs = readCombo(control(dialog, kOutput));
    EXPECT_EQ(outputs.texts, expectedOutputs());
    EXPECT_EQ(outputs.selected, 0);
    EXPECT_EQ(narrow(windowText(GetDlgItem(pageWith(dialog, kOutput), -1))), "Output") << "labels are translated";
    const ComboState drivers = readCombo(control(dialog, kDriver));
    ASSERT_FALSE(drivers.texts.empty());
    EXPECT_EQ(drivers.selected, 0);
    if (outputs.texts == std::vector<std::wstring>{L"NoSound"}) {
        EXPECT_EQ(drivers.texts, std::vector<std::wstring>{L"NoSound SW "});
    }
    EXPECT_EQ(narrow(readCombo(control(dialog, kSpeakers)).selectedText()), "Two speakers");
    EXPECT_EQ(readCombo(control(dialog, kSpeakers)).texts.size(), 6u);
    EXPECT_EQ(narrow(readCombo(control(dialog, kRate)).selectedText()), "22050 Hz");

    // Another output and driver where there is a choice; another speaker mode and rate always.
    selectComboIndex(control(dialog, kOutput), static_cast<int>(outputs.texts.size()) - 1);
    const ComboState newDrivers = readCombo(control(dialog, kDriver));
    ASSERT_FALSE(newDrivers.texts.empty());
    selectComboIndex(control(dialog, kDriver), static_cast<int>(newDrivers.texts.size()) - 1);
    ASSERT_TRUE(selectComboText(control(dialog, kSpeakers), L"Headphones"));
    ASSERT_TRUE(selectComboText(control(dialog, kRate), L"44100 Hz"));
    clickButton(dialog, kStart);
    const HWND game = waitForWindow(process->pid(), L"Korvex//Class", L"Korvex//Window", 20s);
    ASSERT_TRUE(game);

    EXPECT_EQ(regValue(settingsKey(L"Sound"), L"SoundOutput"), regDword(static_cast<DWORD>(outputs.data.back())));
    EXPECT_EQ(regValue(settingsKey(L"Sound"), L"SoundDriver"), regDword(static_cast<DWORD>(newDrivers.data.back())));
    EXPECT_EQ(regValue(settingsKey(L"Sound"), L"SoundSpeakerMode"), regDword(1));
    EXPECT_EQ(regValue(settingsKey(L"Sound"), L"SoundSampleRate"), regDword(44100));
    PostMessageW(game, WM_CLOSE, 0, 0);
    EXPECT_EQ(exitCode(), 0u);

    // The next time the page shows what was stored.
    const HWND again = openSoundPage(L"-s");
    ASSERT_TRUE(again);
    EXPECT_EQ(readCombo(control(again, kOutput)).selectedText(), outputs.texts.back());
    EXPECT_EQ(readCombo(control(again, kDriver)).selected, static_cast<int>(newDrivers.texts.size()) - 1);
    EXPECT_EQ(narrow(readCombo(control(again, kSpeakers)).selectedText()), "Headphones");
    EXPECT_EQ(narrow(readCombo(control(again, kRate)).selectedText()), "44100 Hz");
    clickButton(again, IDCANCEL);
    EXPECT_EQ(exitCode(), 1u);
}

}  // namespace
