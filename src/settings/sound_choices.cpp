#include "settings/sound_choices.h"

#include <windows.h>

#include <iterator>

#include "config/language_keys.h"
#include "fmod.h"
#include "win/ansi_text.h"

namespace {

struct Row {
    const wchar_t* label;
    int value;
};
const Row kOutputs[] = {
    {L"Autodetect", FSOUND_OUTPUT_AUTODETECT},
    {L"NoSound", FSOUND_OUTPUT_NOSOUND},
    {L"Windows Multimedia Waveout", FSOUND_OUTPUT_WINMM},
    {L"Direct Sound", FSOUND_OUTPUT_DSOUND},
    {L"A3D", FSOUND_OUTPUT_A3D},
    {L"ASIO", FSOUND_OUTPUT_ASIO},
};

// In the order of the speaker-mode values 0 to 5.
const char* const kSpeakerModeKeys[] = {
    key::T_SPEAKERMODE_DOLBYDIGITAL, key::T_SPEAKERMODE_HEADPHONES, key::T_SPEAKERMODE_MONO,
    key::T_SPEAKERMODE_QUAD,         key::T_SPEAKERMODE_STEREO,     key::T_SPEAKERMODE_SURROUND,
};

const Row kSampleRates[] = {
    {L"48000 Hz", 48000},
    {L"44100 Hz", 44100},
    {L"22050 Hz", 22050},
    {L"11025 Hz", 11025},
};

ChoiceList choose(std::vector<ListEntry> entries, int wanted) {
    ChoiceList list{std::move(entries)};
    list.choose(wanted);
    return list;
}

bool hasDrivers(ISoundLibrary& library, int outputType) {
    return library.setOutput(outputType) && library.getNumDrivers() > 0;
}

}  // namespace

bool soundLibraryVersionAccepted(ISoundLibrary& library) {
    // Written so that a library answering NaN is refused too.
    return library.getVersion() >= kLowestSoundLibraryVersion;
}

ChoiceList soundOutputChoices(ISoundLibrary& library, int soundOutput) {
    bool usable[std::size(kOutputs)] = {};
    for (size_t i = 0; i < std::size(kOutputs); ++i) usable[i] = hasDrivers(library, kOutputs[i].value);
    library.setOutput(FSOUND_OUTPUT_NOSOUND);

    // Asked again: a device can vanish between the two questions.
    std::vector<ListEntry> entries;
    for (size_t i = 0; i < std::size(kOutputs); ++i) {
        if (usable[i] && hasDrivers(library, kOutputs[i].value))
            entries.push_back({kOutputs[i].label, kOutputs[i].value});
    }
    library.setOutput(FSOUND_OUTPUT_NOSOUND);
    return choose(std::move(entries), soundOutput);
}

ChoiceList soundDriverChoices(ISoundLibrary& library, int soundOutput, int soundDriver) {
    // With no usable output this is output -1: whatever the library still offers for it is listed.
    library.setOutput(soundOutput);
    const int count = library.getNumDrivers();
    std::vector<ListEntry> entries;
    for (int i = 0; i < count; ++i) {
        unsigned int caps = 0;
        const bool capsRead = library.getDriverCaps(i, &caps);
        // The name is taken over at once: it lives only as long as the library's list.
        entries.push_back({soundDriverText(library.getDriverName(i), capsRead, caps), i});
    }
    return choose(std::move(entries), soundDriver);
}

std::wstring soundDriverText(const char* name, bool capsRead, unsigned int caps) {
    const wchar_t* mixing = L"";
    const wchar_t* eax = L"";
    if (capsRead) {
        mixing = caps & FSOUND_CAPS_HARDWARE ? L"HW" : L"SW";
        if (caps & (FSOUND_CAPS_EAX2 | FSOUND_CAPS_EAX3)) eax = L"EAX";
    }
    return win::widenAnsi(name) + L" " + mixing + L" " + eax;
}

ChoiceList speakerModeChoices(const CLocalize& localize, int speakerMode) {
    std::vector<ListEntry> entries;
    for (size_t i = 0; i < std::size(kSpeakerModeKeys); ++i)
        entries.push_back({localize.translate(kSpeakerModeKeys[i]), static_cast<int>(i)});
    return choose(std::move(entries), speakerMode);
}

ChoiceList sampleRateChoices(int sampleRate) {
    std::vector<ListEntry> entries;
    for (const Row& row : kSampleRates) entries.push_back({row.label, row.value});
    return choose(std::move(entries), sampleRate);
}
