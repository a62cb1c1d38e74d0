// The sound page's lists as data: what each combo box holds, which entry is selected and the value
// that goes back into the working copy of the sound settings. The page only copies them into its
// controls; the rules live here so that they can be tried against a scripted sound library.
#pragma once

#include <string>
#include <vector>

#include "config/language_table.h"
#include "settings/choice_list.h"
#include "settings/sound_library.h"

// The oldest library the game runs with, compared as the library reports it (single precision).
constexpr float kLowestSoundLibraryVersion = 3.74f;
// Shown untranslated, owned by the settings dialog, with MB_ICONERROR; the dialog then ends with 2.
constexpr wchar_t kWrongSoundLibraryText[] = L"Wrong FMod version!";
constexpr wchar_t kWrongSoundLibraryCaption[] = L"Error";

// False when the library is older than the game needs (or reports no version at all).
bool soundLibraryVersionAccepted(ISoundLibrary& library);

// The output types whose drivers the library lists, asked twice so that a type that stops answering
// is left out; the one equal to soundOutput is selected, else the first. Leaves the library on no
// sound: the driver list selects the chosen output again.
ChoiceList soundOutputChoices(ISoundLibrary& library, int soundOutput);

// Selects soundOutput in the library (it stays selected) and lists its drivers; the driver whose
// index equals soundDriver is selected, else the first.
ChoiceList soundDriverChoices(ISoundLibrary& library, int soundOutput, int soundDriver);

// "name HW EAX": the name widened from the ANSI code page (empty when null), "HW" or "SW", "EAX" or
// nothing; both parts empty when the capabilities could not be read.
std::wstring soundDriverText(const char* name, bool capsRead, unsigned int caps);

// The six speaker modes, translated; the one equal to speakerMode is selected, else the first.
ChoiceList speakerModeChoices(const CLocalize& localize, int speakerMode);

// The four sample rates; the one equal to sampleRate is selected, else the first (48000 Hz).
ChoiceList sampleRateChoices(int sampleRate);
