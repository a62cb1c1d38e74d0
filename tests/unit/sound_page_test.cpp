// The sound page against a scripted sound library: its lists as plain functions (which outputs and
// drivers are offered, how a driver reads, which entry is chosen), then the page of the settings
// dialog (the version check, what a selection changes and what Start stores).
#include <gtest/gtest.h>

#include <cmath>

#include "fmod.h"
#include "settings/sound_choices.h"
#include "unit/settings_dialog_harness.h"

namespace {

using harness::ScriptedSoundLibrary;
using harness::texts;
using Texts = std::vector<std::wstring>;

// A machine with sound: every output type the launcher lists, A3D without drivers, no ASIO.
void addSoundDevices(ScriptedSoundLibrary& library) {
    const std::vector<ScriptedSoundLibrary::Driver> waveOut{{"Speakers", true, 0}, {"Headset", true, 0}},
        directSound{{"Primary", true, FSOUND_CAPS_HARDWARE}, {"Speakers", true, 0}, {"Headset", true, 0}};
    library.outputs.insert({{FSOUND_OUTPUT_AUTODETECT, directSound}, {FSOUND_OUTPUT_WINMM, waveOut},
                            {FSOUND_OUTPUT_DSOUND, directSound}, {FSOUND_OUTPUT_A3D, {}}});  // and no sound
}

TEST(SoundLibraryVersion, From374On) {
    ScriptedSoundLibrary library;
    for (const auto& [version, accepted] : std::vector<std::pair<float, bool>>{{3.74f, true}, {4.0f, true},
             {3.73f, false}, {std::nextafter(3.74f, 0.0f), false}, {NAN, false}}) {
        library.version = version;
        EXPECT_EQ(soundLibraryVersionAccepted(library), accepted) << version;
    }
}

// Which outputs are listed: end to end, against the real library.
TEST(SoundOutputChoices, SelectsTheStoredOne) {
    ScriptedSoundLibrary library;
    addSoundDevices(library);
    EXPECT_EQ(soundOutputChoices(library, FSOUND_OUTPUT_DSOUND).chosenData(), FSOUND_OUTPUT_DSOUND);
    // First start (-1), and stored outputs that are not offered, take the first entry.
    for (const int stored : {-1, 3, 7, 42})
        EXPECT_EQ(soundOutputChoices(library, stored).chosen, 0) << stored;
}

TEST(SoundDriverChoices, EntriesTellNameMixingAndEax) {
    ScriptedSoundLibrary library;
    library.outputs[FSOUND_OUTPUT_DSOUND] = {
        {"Creative", true, FSOUND_CAPS_HARDWARE | FSOUND_CAPS_EAX2}, {"Onboard", true, FSOUND_CAPS_HARDWARE},
        {"USB", false, 0}, {"Line", true, 0}, {"Card", true, FSOUND_CAPS_EAX3},
        {nullptr, true, FSOUND_CAPS_HARDWARE},
    };
    const ChoiceList list = soundDriverChoices(library, FSOUND_OUTPUT_DSOUND, 0);
    EXPECT_EQ(texts(list),
              (Texts{L"Creative HW EAX", L"Onboard HW ", L"USB  ", L"Line SW ", L"Card SW EAX", L" HW "}));
    EXPECT_EQ(library.current, FSOUND_OUTPUT_DSOUND) << "the output stays selected";
    if (GetACP() == 1252) {
        EXPECT_EQ(soundDriverText("R\xE9" "altek", true, 0), L"R\u00E9altek SW ");
    }
}

class SoundPage : public ::testing::Test, protected harness::ScriptedDialog {
    void SetUp() override {
        harness::addPlainAdapter(d3d);
        addSoundDevices(*sound);
    }
};

TEST_F(SoundPage, AnOlderLibraryThan374EndsTheDialogBeforeItShows) {
    sound->version = 3.73f;
    std::wstring box;
    harness::whenDialogShows(0xFFFF, [&](HWND shown) {
        const HWND owner = GetWindow(shown, GW_OWNER);
        EXPECT_TRUE(GetDlgItem(owner, IDC_TABS) && !IsWindowVisible(owner)) << "owned by the hidden dialog";
        EXPECT_TRUE(harness::readCombo(owner, IDC_SND_OUTPUT).texts.empty());
        box = ui::messageBoxText(shown);
        SendMessageW(shown, WM_COMMAND, IDOK, 0);
    });
    bool shown = false;
    EXPECT_EQ(run([&](HWND, const LaunchSettings&) { shown = true; }), kSettingsCancel);
    EXPECT_FALSE(shown) << "the player sees only the message box";
    EXPECT_EQ(box, L"Error|Wrong FMod version!");
}

TEST_F(SoundPage, NoUsableOutputLeavesBothListsEmptyAndStoresMinusOne) {
    sound->outputs = {{FSOUND_OUTPUT_A3D, {}}};  // selectable, but without drivers
    const DWORD directSound = FSOUND_OUTPUT_DSOUND;
    const std::wstring key = std::wstring(kSettingsKey) + L"\\Sound";
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"SoundOutput", REG_DWORD, &directSound, 4), 0);
    run([](HWND w, const LaunchSettings&) {
        EXPECT_TRUE(harness::readCombo(w, IDC_SND_OUTPUT).texts.empty());
        EXPECT_TRUE(harness::readCombo(w, IDC_SND_DRIVER).texts.empty());
        SendMessageW(w, WM_COMMAND, IDC_START, 0);
    });
    EXPECT_EQ(harness::stored(L"Sound", {L"SoundOutput", L"SoundDriver"}), (std::vector<DWORD>{~0u, ~0u}));
}

TEST_F(SoundPage, ChangingTheOutputKeepsTheDriverIndexWhenItExistsElseTakesTheFirst) {
    run([](HWND w, const LaunchSettings&) {
        harness::select(w, IDC_SND_DRIVER, 2);
        harness::select(w, IDC_SND_OUTPUT, 3);  // Direct Sound: three drivers
        EXPECT_EQ(harness::readCombo(w, IDC_SND_DRIVER).selected, 2);
        harness::select(w, IDC_SND_OUTPUT, 2);  // waveOut: two drivers, index 2 is gone
        EXPECT_EQ(harness::readCombo(w, IDC_SND_DRIVER).selected, 0);
        harness::select(w, IDC_SND_OUTPUT, 0);  // Autodetect's -1 is an entry like any other, not "none"
        SendMessageW(w, WM_COMMAND, IDC_START, 0);
    });
    EXPECT_EQ(sound->current, FSOUND_OUTPUT_NOSOUND) << "set back to no sound when the window goes";
    EXPECT_EQ(harness::stored(L"Sound", {L"SoundOutput", L"SoundDriver"}), (std::vector<DWORD>{~0u, 0}));
}

}  // namespace
