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

struct ScriptedOutput {
    std::vector<ScriptedDriver> drivers;
    std::deque<int> counts;  // answers to the first driver-count questions; then the list's size
};

// Only the outputs in the script can be selected. Names live until the next selection, as the real
// library's do: a caller that keeps the pointer reads a cleared buffer.
class ScriptedSoundLibrary final : public ISoundLibrary {
public:
    float version = 3.75f;
    std::map<int, ScriptedOutput> outputs;
    std::vector<int> selections;  // every setOutput, granted or not

    float getVersion() override { return version; }
    bool setOutput(int outputType) override {
        selections.push_back(outputType);
        if (!outputs.count(outputType)) return false;
        for (std::string& name : m_names) name.assign(name.size(), '\0');
        m_selected = outputType;
        m_names.clear();
        for (const ScriptedDriver& d : outputs[outputType].drivers) m_names.emplace_back(d.name ? d.name : "");
        return true;
    }
    int getNumDrivers() override {
        if (!outputs.count(m_selected)) return 0;
        ScriptedOutput& output = outputs[m_selected];
        if (output.counts.empty()) return static_cast<int>(output.drivers.size());
        const int count = output.counts.front();
        output.counts.pop_front();
        return count;
    }
    const char* getDriverName(int driver) override {
        const ScriptedDriver* d = find(driver);
        return d && d->name ? m_names[static_cast<size_t>(driver)].c_str() : nullptr;
    }
    bool getDriverCaps(int driver, unsigned int* caps) override {
        const ScriptedDriver* d = find(driver);
        if (!d) return false;
        if (!d->capsRead) {
            *caps = 0x13;  // what a failed call leaves must not show
            return false;
        }
        *caps = d->caps;
        return true;
    }

private:
    const ScriptedDriver* find(int driver) {
        if (!outputs.count(m_selected)) return nullptr;
        const std::vector<ScriptedDriver>& drivers = outputs[m_selected].drivers;
        return driver >= 0 && static_cast<size_t>(driver) < drivers.size() ? &drivers[static_cast<size_t>(driver)]
                                                                           : nullptr;
    }

    int m_selected = FSOUND_OUTPUT_NOSOUND;
    std::vector<std::string> m_names;
};

// A machine with sound: every output type the launcher lists, A3D without drivers, no ASIO.
ScriptedSoundLibrary machineWithSound() {
    ScriptedSoundLibrary library;
    library.outputs[FSOUND_OUTPUT_AUTODETECT] = {{{"Primary Sound Driver", true, FSOUND_CAPS_HARDWARE}}, {}};
    library.outputs[FSOUND_OUTPUT_NOSOUND] = {{{"NoSound", true, 0}}, {}};
    library.outputs[FSOUND_OUTPUT_WINMM] = {{{"Speakers", true, 0}, {"Headset", true, 0}}, {}};
    library.outputs[FSOUND_OUTPUT_DSOUND] = {
        {{"Primary Sound Driver", true, FSOUND_CAPS_HARDWARE}, {"Speakers", true, 0}, {"Headset", true, 0}}, {}};
    library.outputs[FSOUND_OUTPUT_A3D] = {};
    return library;
}

std::vector<std::wstring> texts(const SoundChoices& list) {
    std::vector<std::wstring> result;
    for (const SoundChoice& entry : list.entries) result.push_back(entry.text);
    return result;
}
std::vector<int> values(const SoundChoices& list) {
    std::vector<int> result;
    for (const SoundChoice& entry : list.entries) result.push_back(entry.value);
    return result;
}

}  // namespace

TEST(SoundLibraryVersion, From374On) {
    ScriptedSoundLibrary library;
    for (const float accepted : {3.74f, 3.75f, 4.0f}) {
        library.version = accepted;
        EXPECT_TRUE(soundLibraryVersionAccepted(library)) << accepted;
    }
    for (const float refused : {3.73f, std::nextafter(3.74f, 0.0f), 0.0f, -1.0f, NAN}) {
        library.version = refused;
        EXPECT_FALSE(soundLibraryVersionAccepted(library)) << refused;
    }
}

TEST(SoundOutputChoices, ListsTheOutputsWithDriversAndSelectsTheStoredOne) {
    ScriptedSoundLibrary library = machineWithSound();
    const SoundChoices list = soundOutputChoices(library, FSOUND_OUTPUT_DSOUND);
    EXPECT_EQ(texts(list), (std::vector<std::wstring>{L"Autodetect", L"NoSound", L"Windows Multimedia Waveout",
                                                      L"Direct Sound"}));
    EXPECT_EQ(values(list), (std::vector<int>{-1, 0, 1, 2}));
    EXPECT_EQ(list.selected, 3);
    EXPECT_EQ(list.value, FSOUND_OUTPUT_DSOUND);
    EXPECT_EQ(library.selections.back(), FSOUND_OUTPUT_NOSOUND) << "left on no sound";

    // First start (-1) and a stored output that is no longer offered both take the first entry.
    const int storedOutputs[] = {FSOUND_OUTPUT_AUTODETECT, FSOUND_OUTPUT_A3D, FSOUND_OUTPUT_ASIO, 42};
    for (const int stored : storedOutputs) {
        const SoundChoices first = soundOutputChoices(library, stored);
        EXPECT_EQ(first.selected, 0) << stored;
        EXPECT_EQ(first.value, FSOUND_OUTPUT_AUTODETECT) << stored;
    }
}

TEST(SoundOutputChoices, AnOutputThatStopsAnsweringIsLeftOut) {
    ScriptedSoundLibrary library = machineWithSound();
    library.outputs[FSOUND_OUTPUT_AUTODETECT].counts = {1, 0};  // drivers in the first pass only
    library.outputs[FSOUND_OUTPUT_WINMM].counts = {0, 2};       // none in the first: not asked again
    const SoundChoices list = soundOutputChoices(library, FSOUND_OUTPUT_AUTODETECT);
    EXPECT_EQ(values(list), (std::vector<int>{FSOUND_OUTPUT_NOSOUND, FSOUND_OUTPUT_DSOUND}));
    EXPECT_EQ(list.selected, 0);
    EXPECT_EQ(list.value, FSOUND_OUTPUT_NOSOUND);
}

TEST(SoundOutputChoices, NoUsableOutputGivesAnEmptyListAndOutputMinusOne) {
    ScriptedSoundLibrary library;  // nothing can be selected
    SoundChoices list = soundOutputChoices(library, FSOUND_OUTPUT_WINMM);
    EXPECT_TRUE(list.entries.empty());
    EXPECT_EQ(list.selected, -1);
    EXPECT_EQ(list.value, -1);

    // The driver list is then filled for -1, as far as the library allows: here not at all.
    const SoundChoices drivers = soundDriverChoices(library, list.value, 0);
    EXPECT_TRUE(drivers.entries.empty());
    EXPECT_EQ(drivers.selected, -1);
    EXPECT_EQ(drivers.value, -1);
    EXPECT_EQ(library.selections.back(), FSOUND_OUTPUT_AUTODETECT);

    library.outputs[FSOUND_OUTPUT_A3D] = {};  // selectable, but without drivers
    EXPECT_TRUE(soundOutputChoices(library, FSOUND_OUTPUT_A3D).entries.empty());
}

TEST(SoundDriverChoices, EntriesTellNameMixingAndEax) {
    ScriptedSoundLibrary library;
    library.outputs[FSOUND_OUTPUT_DSOUND] = {{
        {"Creative", true, FSOUND_CAPS_HARDWARE | FSOUND_CAPS_EAX2},
        {"Onboard", true, FSOUND_CAPS_HARDWARE},
        {"USB", false, 0},
        {"Line", true, 0},
        {"Card", true, FSOUND_CAPS_EAX3},
        {nullptr, true, FSOUND_CAPS_HARDWARE},
        {nullptr, false, 0},
    }, {}};
    const SoundChoices list = soundDriverChoices(library, FSOUND_OUTPUT_DSOUND, 0);
    EXPECT_EQ(texts(list), (std::vector<std::wstring>{L"Creative HW EAX", L"Onboard HW ", L"USB  ", L"Line SW ",
                                                      L"Card SW EAX", L" HW ", L"  "}));
    EXPECT_EQ(values(list), (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(library.selections, std::vector<int>{FSOUND_OUTPUT_DSOUND}) << "the output stays selected";
}

TEST(SoundDriverChoices, NamesAreReadInTheAnsiCodePage) {
    if (GetACP() != 1252) GTEST_SKIP() << "needs the Western code page";
    EXPECT_EQ(soundDriverText("Haut-parleurs (R\xE9" "altek)", true, 0), L"Haut-parleurs (R\u00E9altek) SW ");
    const std::string longName(300, 'x');  // longer than any buffer a name might be expected to fit
    EXPECT_EQ(soundDriverText(longName.c_str(), false, 0), std::wstring(300, L'x') + L"  ");
}

TEST(SoundDriverChoices, ChangingTheOutputKeepsTheDriverIndexWhenItExists) {
    ScriptedSoundLibrary library = machineWithSound();
    SoundChoices list = soundDriverChoices(library, FSOUND_OUTPUT_DSOUND, 2);
    EXPECT_EQ(list.selected, 2);
    EXPECT_EQ(list.value, 2);

    list = soundDriverChoices(library, FSOUND_OUTPUT_WINMM, list.value);  // two drivers: index 2 is gone
    EXPECT_EQ(texts(list), (std::vector<std::wstring>{L"Speakers SW ", L"Headset SW "}));
    EXPECT_EQ(list.selected, 0);
    EXPECT_EQ(list.value, 0);

    list = soundDriverChoices(library, FSOUND_OUTPUT_A3D, 1);
    EXPECT_TRUE(list.entries.empty());
    EXPECT_EQ(list.value, -1);

    list = soundDriverChoices(library, FSOUND_OUTPUT_WINMM, list.value);  // after -1: the first
    EXPECT_EQ(list.selected, 0);
    EXPECT_EQ(list.value, 0);
    EXPECT_EQ(library.selections.back(), FSOUND_OUTPUT_WINMM);
}

TEST(SoundSpeakerModeChoices, SixTranslatedModesInTheirOrder) {
    test::ScratchFolder dir;
    const CLocalize localize(dir.writeLanguage({L"T_SPEAKERMODE_STEREO=Stereo", L"T_SPEAKERMODE_QUAD=Quadrophonie"}));
    const SoundChoices list = speakerModeChoices(localize, 4);
    EXPECT_EQ(texts(list), (std::vector<std::wstring>{L"T_SPEAKERMODE_DOLBYDIGITAL", L"T_SPEAKERMODE_HEADPHONES",
                                                      L"T_SPEAKERMODE_MONO", L"Quadrophonie", L"Stereo",
                                                      L"T_SPEAKERMODE_SURROUND"}));
    EXPECT_EQ(values(list), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(list.selected, 4);
    EXPECT_EQ(list.value, 4);

    for (const int stored : {-1, 6, 255}) {
        const SoundChoices unknown = speakerModeChoices(localize, stored);
        EXPECT_EQ(unknown.selected, 0) << stored;
        EXPECT_EQ(unknown.value, 0) << stored;
    }
}

TEST(SoundSampleRateChoices, AStoredRateOffNoRowBecomes48000) {
    const SoundChoices first = sampleRateChoices(22050);
    EXPECT_EQ(texts(first), (std::vector<std::wstring>{L"48000 Hz", L"44100 Hz", L"22050 Hz", L"11025 Hz"}));
    EXPECT_EQ(values(first), (std::vector<int>{48000, 44100, 22050, 11025}));
    EXPECT_EQ(first.selected, 2);
    EXPECT_EQ(first.value, 22050);

    for (const int stored : {96000, 32000, 0, -1}) {
        const SoundChoices list = sampleRateChoices(stored);
        EXPECT_EQ(list.selected, 0) << stored;
        EXPECT_EQ(list.value, 48000) << stored;
    }
    EXPECT_EQ(sampleRateChoices(11025).selected, 3);
}
