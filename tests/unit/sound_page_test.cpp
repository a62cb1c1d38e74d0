// The sound page against a scripted sound library: its lists as plain functions (which outputs and
// drivers are offered, how a driver reads, which entry is chosen), then the page of the settings
// dialog (the version check, what a selection changes and what Start stores).
#include <gtest/gtest.h>

#include <cmath>

#include "fmod.h"
#include "settings/sound_choices.h"
#include "unit/settings_dialog_fixture.h"

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

TEST(SoundOutputChoices, ListsTheOutputsWithDriversAndSelectsTheStoredOne) {
    ScriptedSoundLibrary library;
    addSoundDevices(library);
    const ChoiceList list = soundOutputChoices(library, FSOUND_OUTPUT_DSOUND);
    EXPECT_EQ(texts(list), (Texts{L"Autodetect", L"NoSound", L"Windows Multimedia Waveout", L"Direct Sound"}))
        << "the outputs with drivers";
    EXPECT_EQ(list.chosenData(), FSOUND_OUTPUT_DSOUND);
    EXPECT_EQ(library.current, FSOUND_OUTPUT_NOSOUND) << "left on no sound";
    // First start (-1), and stored outputs that are not offered, take the first entry.
    for (const int stored : {-1, 3, 7, 42})
        EXPECT_EQ(soundOutputChoices(library, stored).chosen, 0) << stored;

    // Drivers in the first pass only: left out. None in the first pass: not asked again.
    library.counts[FSOUND_OUTPUT_AUTODETECT] = {1, 0};
    library.counts[FSOUND_OUTPUT_WINMM] = {0, 2};
    const ChoiceList fewer = soundOutputChoices(library, FSOUND_OUTPUT_AUTODETECT);
    EXPECT_EQ(texts(fewer), (Texts{L"NoSound", L"Direct Sound"}));
    EXPECT_EQ(fewer.chosen, 0);
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
    EXPECT_EQ(library.setOutputCalls, std::vector<int>{FSOUND_OUTPUT_DSOUND}) << "the output stays selected";
    if (GetACP() == 1252) {
        EXPECT_EQ(soundDriverText("R\xE9" "altek", true, 0), L"R\u00E9altek SW ");
    }
}

// Texts, values and a stored choice are shown end to end; here what an unknown stored value picks.
TEST(SoundFixedChoices, AnUnknownValuePicksTheFirstSpeakerModeAnd48000) {
    EXPECT_EQ(speakerModeChoices(CLocalize(), 6).chosen, 0);
    for (const int stored : {96000, 0})
        EXPECT_EQ(sampleRateChoices(stored).chosenData(), 48000) << stored;
}

class SoundPage : public harness::DialogTest {
    void SetUp() override {
        DialogTest::SetUp();
        harness::addPlainAdapter(d3d);
        addSoundDevices(*sound);
    }
};

void start(HWND w) { SendMessageW(w, WM_COMMAND, IDC_START, 0); }

TEST_F(SoundPage, AnOlderLibraryThan374EndsTheDialogBeforeItShows) {
    sound->version = 3.73f;
    std::wstring box;
    harness::whenDialogShows(0xFFFF, [&](HWND shown) {
        const HWND owner = GetWindow(shown, GW_OWNER);
        EXPECT_TRUE(GetDlgItem(owner, IDC_TABS) && !IsWindowVisible(owner)) << "owned by the hidden dialog";
        EXPECT_TRUE(harness::readCombo(owner, IDC_SND_OUTPUT).texts.empty());
        box = ui::text(shown) + L"|" + ui::text(GetDlgItem(shown, 0xFFFF));
        SendMessageW(shown, WM_COMMAND, IDOK, 0);
    });
    bool shown = false;
    EXPECT_EQ(run([&](HWND, const LaunchSettings&) { shown = true; }), kSettingsCancel);
    EXPECT_FALSE(shown) << "the player sees only the message box";
    EXPECT_EQ(box, L"Error|Wrong FMod version!");
    EXPECT_EQ(harness::stored(L"Sound", {L"SoundOutput"}), std::vector<DWORD>{0xDEADBEEF}) << "nothing saved";
    EXPECT_EQ(sound->setOutputCalls, std::vector<int>{FSOUND_OUTPUT_NOSOUND}) << "left on no sound";
}

TEST_F(SoundPage, NoUsableOutputLeavesBothListsEmptyAndStoresMinusOne) {
    sound->outputs = {{FSOUND_OUTPUT_A3D, {}}};  // selectable, but without drivers
    const DWORD directSound = FSOUND_OUTPUT_DSOUND;
    const std::wstring key = std::wstring(kSettingsKey) + L"\\Sound";
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"SoundOutput", REG_DWORD, &directSound, 4), 0);
    run([](HWND w, const LaunchSettings&) {
        EXPECT_TRUE(harness::readCombo(w, IDC_SND_OUTPUT).texts.empty());
        EXPECT_TRUE(harness::readCombo(w, IDC_SND_DRIVER).texts.empty());
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(w, IDC_START))) << "only the graphics page disables Start";
        start(w);
    });
    EXPECT_EQ(harness::stored(L"Sound", {L"SoundOutput", L"SoundDriver"}), (std::vector<DWORD>{~0u, ~0u}));
}

TEST_F(SoundPage, ChangingTheOutputKeepsTheDriverIndexWhenItExistsElseTakesTheFirst) {
    std::vector<int> libraryOutputs;
    run([&](HWND w, const LaunchSettings&) {
        harness::select(w, IDC_SND_DRIVER, 2);
        harness::select(w, IDC_SND_OUTPUT, 3);  // Direct Sound: three drivers
        EXPECT_EQ(harness::readCombo(w, IDC_SND_DRIVER).selected, 2);
        libraryOutputs.push_back(sound->current);
        harness::select(w, IDC_SND_OUTPUT, 2);  // waveOut: two drivers, index 2 is gone
        EXPECT_EQ(harness::readCombo(w, IDC_SND_DRIVER).texts, (Texts{L"Speakers SW ", L"Headset SW "}));
        EXPECT_EQ(harness::readCombo(w, IDC_SND_DRIVER).selected, 0);
        libraryOutputs.push_back(sound->current);
        start(w);
    });
    EXPECT_EQ(libraryOutputs, (std::vector<int>{FSOUND_OUTPUT_DSOUND, FSOUND_OUTPUT_WINMM}))
        << "the chosen output stays selected while the dialog runs";
    EXPECT_EQ(sound->current, FSOUND_OUTPUT_NOSOUND) << "set back to no sound when the window goes";
    EXPECT_EQ(harness::stored(L"Sound", {L"SoundOutput", L"SoundDriver"}), (std::vector<DWORD>{1, 0}));

    // Autodetect's value -1 is an entry like any other, not "no selection".
    run([](HWND w, const LaunchSettings&) {
        EXPECT_EQ(harness::readCombo(w, IDC_SND_OUTPUT).selected, 2);
        harness::select(w, IDC_SND_DRIVER, 1);
        harness::select(w, IDC_SND_OUTPUT, 0);
        start(w);
    });
    EXPECT_EQ(harness::stored(L"Sound", {L"SoundOutput", L"SoundDriver"}), (std::vector<DWORD>{~0u, 1}));
}

}  // namespace
