// The sound page's lists against a scripted sound library: which outputs and drivers are offered,
// how a driver reads, which entry is chosen and what goes back into the settings.
#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "fmod.h"
#include "settings/sound_choices.h"
#include "support/scratch_folder.h"

namespace {

struct ScriptedDriver {
    const char* name;
    bool capsRead;
    unsigned int caps;
};

// Only the outputs in the script can be selected.
class ScriptedSoundLibrary final : public ISoundLibrary {
public:
    float version = 3.75f;
    std::map<int, std::vector<ScriptedDriver>> outputs;
    std::map<int, std::deque<int>> counts;  // first answers of the driver count, then the list's size
    std::vector<int> selections;            // every setOutput, granted or not

    float getVersion() override { return version; }
    bool setOutput(int outputType) override {
        selections.push_back(outputType);
        if (!outputs.count(outputType)) return false;
        m_selected = outputType;
        return true;
    }
    int getNumDrivers() override {
        std::deque<int>& scripted = counts[m_selected];
        if (scripted.empty()) return outputs.count(m_selected) ? static_cast<int>(outputs[m_selected].size()) : 0;
        const int count = scripted.front();
        scripted.pop_front();
        return count;
    }
    const char* getDriverName(int driver) override { return outputs[m_selected].at(static_cast<size_t>(driver)).name; }
    bool getDriverCaps(int driver, unsigned int* caps) override {
        const ScriptedDriver& d = outputs[m_selected].at(static_cast<size_t>(driver));
        *caps = d.capsRead ? d.caps : 0x13u;  // what a failed call leaves behind must not show
        return d.capsRead;
    }

private:
    int m_selected = FSOUND_OUTPUT_NOSOUND;
};

// A machine with sound: every output type the launcher lists, A3D without drivers, no ASIO.
ScriptedSoundLibrary machineWithSound() {
    ScriptedSoundLibrary library;
    library.outputs[FSOUND_OUTPUT_AUTODETECT] = {{"Primary Sound Driver", true, FSOUND_CAPS_HARDWARE}};
    library.outputs[FSOUND_OUTPUT_NOSOUND] = {{"NoSound", true, 0}};
    library.outputs[FSOUND_OUTPUT_WINMM] = {{"Speakers", true, 0}, {"Headset", true, 0}};
    library.outputs[FSOUND_OUTPUT_DSOUND] = {{"Primary", true, 1}, {"Speakers", true, 0}, {"Headset", true, 0}};
    library.outputs[FSOUND_OUTPUT_A3D] = {};
    return library;
}

std::vector<std::wstring> texts(const ChoiceList& list) {
    std::vector<std::wstring> result;
    for (const ListEntry& entry : list.entries) result.push_back(entry.text);
    return result;
}
std::vector<int> values(const ChoiceList& list) {
    std::vector<int> result;
    for (const ListEntry& entry : list.entries) result.push_back(static_cast<int>(entry.data));
    return result;
}

}  // namespace

TEST(SoundLibraryVersion, From374On) {
    ScriptedSoundLibrary library;
    for (const float accepted : {3.74f, 3.75f, 4.0f}) {
        library.version = accepted;
        EXPECT_TRUE(soundLibraryVersionAccepted(library)) << accepted;
    }
    for (const float refused : {3.73f, std::nextafter(3.74f, 0.0f), 0.0f, NAN}) {
        library.version = refused;
        EXPECT_FALSE(soundLibraryVersionAccepted(library)) << refused;
    }
}

TEST(SoundOutputChoices, ListsTheOutputsWithDriversAndSelectsTheStoredOne) {
    ScriptedSoundLibrary library = machineWithSound();
    const ChoiceList list = soundOutputChoices(library, FSOUND_OUTPUT_DSOUND);
    EXPECT_EQ(texts(list), (std::vector<std::wstring>{L"Autodetect", L"NoSound", L"Windows Multimedia Waveout",
                                                      L"Direct Sound"}));
    EXPECT_EQ(values(list), (std::vector<int>{-1, 0, 1, 2}));
    EXPECT_EQ(list.chosen, 3);
    EXPECT_EQ(list.chosenData(), FSOUND_OUTPUT_DSOUND);
    EXPECT_EQ(library.selections.back(), FSOUND_OUTPUT_NOSOUND) << "left on no sound";

    // First start (-1), and stored outputs that are not offered, take the first entry.
    for (const int stored : {-1, 3, 7, 42}) {
        EXPECT_EQ(soundOutputChoices(library, stored).chosen, 0) << stored;
        EXPECT_EQ(soundOutputChoices(library, stored).chosenData(), FSOUND_OUTPUT_AUTODETECT) << stored;
    }

    // Drivers in the first pass only: left out. None in the first pass: not asked again.
    library.counts[FSOUND_OUTPUT_AUTODETECT] = {1, 0};
    library.counts[FSOUND_OUTPUT_WINMM] = {0, 2};
    const ChoiceList fewer = soundOutputChoices(library, FSOUND_OUTPUT_AUTODETECT);
    EXPECT_EQ(values(fewer), (std::vector<int>{FSOUND_OUTPUT_NOSOUND, FSOUND_OUTPUT_DSOUND}));
    EXPECT_EQ(fewer.chosenData(), FSOUND_OUTPUT_NOSOUND);
}

TEST(SoundOutputChoices, NoUsableOutputGivesAnEmptyListAndOutputMinusOne) {
    ScriptedSoundLibrary library;
    library.outputs[FSOUND_OUTPUT_A3D] = {};  // selectable, but without drivers; nothing else is
    const ChoiceList list = soundOutputChoices(library, FSOUND_OUTPUT_WINMM);
    EXPECT_TRUE(list.entries.empty());
    EXPECT_EQ(list.chosen, -1);
    EXPECT_EQ(list.chosenData(), -1);

    // The driver list is then filled for -1, as far as the library allows: here not at all.
    const ChoiceList drivers = soundDriverChoices(library, list.chosenData(), 0);
    EXPECT_TRUE(drivers.entries.empty());
    EXPECT_EQ(drivers.chosen, -1);
    EXPECT_EQ(drivers.chosenData(), -1);
    EXPECT_EQ(library.selections.back(), -1);
}

TEST(SoundDriverChoices, EntriesTellNameMixingAndEax) {
    ScriptedSoundLibrary library;
    library.outputs[FSOUND_OUTPUT_DSOUND] = {
        {"Creative", true, FSOUND_CAPS_HARDWARE | FSOUND_CAPS_EAX2}, {"Onboard", true, FSOUND_CAPS_HARDWARE},
        {"USB", false, 0}, {"Line", true, 0}, {"Card", true, FSOUND_CAPS_EAX3}, {nullptr, true, FSOUND_CAPS_HARDWARE},
    };
    const ChoiceList list = soundDriverChoices(library, FSOUND_OUTPUT_DSOUND, 0);
    EXPECT_EQ(texts(list), (std::vector<std::wstring>{L"Creative HW EAX", L"Onboard HW ", L"USB  ", L"Line SW ",
                                                      L"Card SW EAX", L" HW "}));
    EXPECT_EQ(values(list), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(library.selections, std::vector<int>{FSOUND_OUTPUT_DSOUND}) << "the output stays selected";

    if (GetACP() == 1252) {
        EXPECT_EQ(soundDriverText("R\xE9" "altek", true, 0), L"R\u00E9altek SW ");
    }
}

// Keeping the index across outputs is shown on the page; here the output without drivers.
TEST(SoundDriverChoices, AnOutputWithoutDriversChoosesNoneAndTheNextOneItsFirst) {
    ScriptedSoundLibrary library = machineWithSound();
    const ChoiceList list = soundDriverChoices(library, FSOUND_OUTPUT_A3D, 1);
    EXPECT_TRUE(list.entries.empty());
    EXPECT_EQ(list.chosenData(), -1);
    EXPECT_EQ(soundDriverChoices(library, FSOUND_OUTPUT_WINMM, list.chosenData()).chosenData(), 0) << "after none: the first";
}

TEST(SoundFixedChoices, SpeakerModesTranslatedSampleRatesFalling48000WhenUnknown) {
    test::ScratchFolder dir;
    const CLocalize localize(dir.writeLanguage({L"T_SPEAKERMODE_STEREO=Stereo", L"T_SPEAKERMODE_QUAD=Quadro"}));
    const ChoiceList speakers = speakerModeChoices(localize, 4);
    EXPECT_EQ(texts(speakers), (std::vector<std::wstring>{L"T_SPEAKERMODE_DOLBYDIGITAL", L"T_SPEAKERMODE_HEADPHONES",
                                                          L"T_SPEAKERMODE_MONO", L"Quadro", L"Stereo",
                                                          L"T_SPEAKERMODE_SURROUND"}));
    EXPECT_EQ(values(speakers), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(speakers.chosen, 4);
    EXPECT_EQ(speakerModeChoices(localize, 6).chosenData(), 0);

    const ChoiceList rates = sampleRateChoices(22050);
    EXPECT_EQ(texts(rates), (std::vector<std::wstring>{L"48000 Hz", L"44100 Hz", L"22050 Hz", L"11025 Hz"}));
    EXPECT_EQ(values(rates), (std::vector<int>{48000, 44100, 22050, 11025}));
    EXPECT_EQ(rates.chosen, 2);
    for (const int stored : {96000, 0, -1}) {
        EXPECT_EQ(sampleRateChoices(stored).chosen, 0) << stored;
        EXPECT_EQ(sampleRateChoices(stored).chosenData(), 48000) << stored;
    }
}
