// The sound library's stand-in (fmod.dll, imported at load time) against what the system itself says
// of its sound devices, and the launcher's lists built from it.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <string>
#include <vector>

#include "fmod.h"
#include "settings/sound_choices.h"
#include "settings/sound_library.h"
#include "win/handles.h"

namespace {

std::string ansi(const wchar_t* text) {
    char buffer[512] = {};
    WideCharToMultiByte(CP_ACP, 0, text, -1, buffer, sizeof buffer - 1, nullptr, nullptr);
    return buffer;
}

// The system's own answers, each device as the library should name it (null when it has no name).
std::vector<std::string> waveOutNames() {
    std::vector<std::string> names;
    for (UINT id = 0; id < waveOutGetNumDevs(); ++id) {
        WAVEOUTCAPSW caps{};
        names.push_back(waveOutGetDevCapsW(id, &caps, sizeof caps) == MMSYSERR_NOERROR ? ansi(caps.szPname) : "<none>");
    }
    return names;
}

struct DirectSoundDevice {
    std::string name;
    bool hasGuid;
    GUID guid;
};
BOOL CALLBACK collect(LPGUID guid, LPCWSTR description, LPCWSTR, LPVOID context) {
    static_cast<std::vector<DirectSoundDevice>*>(context)->push_back(
        {ansi(description), guid != nullptr, guid ? *guid : GUID{}});
    return TRUE;
}
std::vector<DirectSoundDevice> directSoundDevices() {
    std::vector<DirectSoundDevice> devices;
    DirectSoundEnumerateW(collect, &devices);
    return devices;
}

std::vector<std::string> driverNames() {
    std::vector<std::string> names;
    for (int i = 0; i < FSOUND_GetNumDrivers(); ++i) {
        const char* name = FSOUND_GetDriverName(i);
        names.push_back(name ? name : "<none>");
    }
    return names;
}

}  // namespace

TEST(SoundLibraryStandIn, Version375) {
    EXPECT_EQ(FSOUND_GetVersion(), 3.75f);
    SoundLibrary library;
    EXPECT_TRUE(soundLibraryVersionAccepted(library));
}

TEST(SoundLibraryStandIn, OutputsWithoutDevicesAndOutputsOfOtherPlatforms) {
    ASSERT_TRUE(FSOUND_SetOutput(FSOUND_OUTPUT_NOSOUND));
    EXPECT_EQ(driverNames(), std::vector<std::string>{"NoSound"});
    unsigned int caps = 0xFF;
    EXPECT_TRUE(FSOUND_GetDriverCaps(0, &caps));
    EXPECT_EQ(caps, 0u);

    for (const int none : {FSOUND_OUTPUT_A3D, FSOUND_OUTPUT_ASIO}) {
        EXPECT_TRUE(FSOUND_SetOutput(none)) << none;
        EXPECT_EQ(FSOUND_GetNumDrivers(), 0) << none;
        EXPECT_EQ(FSOUND_GetDriverName(0), nullptr) << none;
        EXPECT_FALSE(FSOUND_GetDriverCaps(0, &caps)) << none;
    }

    // Linux, console and unknown types are refused and leave the selected output as it was.
    ASSERT_TRUE(FSOUND_SetOutput(FSOUND_OUTPUT_NOSOUND));
    for (const int foreign : {4, 5, 6, 8, 12, -2}) EXPECT_FALSE(FSOUND_SetOutput(foreign)) << foreign;
    EXPECT_EQ(driverNames(), std::vector<std::string>{"NoSound"});
}

TEST(SoundLibraryStandIn, DriverCallsOutOfRangeAnswerNothing) {
    ASSERT_TRUE(FSOUND_SetOutput(FSOUND_OUTPUT_NOSOUND));
    unsigned int caps = 7;
    for (const int id : {-1, 1, 1000}) {
        EXPECT_EQ(FSOUND_GetDriverName(id), nullptr) << id;
        EXPECT_FALSE(FSOUND_GetDriverCaps(id, &caps)) << id;
    }
    EXPECT_EQ(caps, 7u);
    EXPECT_FALSE(FSOUND_GetDriverCaps(0, nullptr));
    // A name stays where it is while the list does not change.
    const char* name = FSOUND_GetDriverName(0);
    FSOUND_GetNumDrivers();
    FSOUND_GetDriverCaps(0, &caps);
    EXPECT_EQ(FSOUND_GetDriverName(0), name);
}

TEST(SoundLibraryStandIn, WaveOutDriversAreTheSystemsWaveOutDevices) {
    ASSERT_TRUE(FSOUND_SetOutput(FSOUND_OUTPUT_WINMM));
    const std::vector<std::string> system = waveOutNames();
    EXPECT_EQ(driverNames(), system);
    for (int i = 0; i < static_cast<int>(system.size()); ++i) {
        unsigned int caps = 0xFF;
        EXPECT_EQ(FSOUND_GetDriverCaps(i, &caps) != 0, system[static_cast<size_t>(i)] != "<none>");
        if (system[static_cast<size_t>(i)] != "<none>") {
            EXPECT_EQ(caps, 0u) << "waveOut mixes in software";
        }
    }
}

TEST(SoundLibraryStandIn, DirectSoundDriversAreTheSystemsDirectSoundDevices) {
    const std::vector<DirectSoundDevice> system = directSoundDevices();
    ASSERT_TRUE(FSOUND_SetOutput(FSOUND_OUTPUT_DSOUND));
    std::vector<std::string> systemNames;
    for (const DirectSoundDevice& device : system) systemNames.push_back(device.name);
    EXPECT_EQ(driverNames(), systemNames);

    // Hardware mixing as the device itself reports it; unreadable when it cannot be created.
    for (size_t i = 0; i < system.size(); ++i) {
        win::CComPtr<IDirectSound8> sound;
        DSCAPS dsCaps{};
        dsCaps.dwSize = sizeof dsCaps;
        const bool readable = SUCCEEDED(DirectSoundCreate8(system[i].hasGuid ? &system[i].guid : nullptr,
                                                           sound.put(), nullptr)) &&
                              SUCCEEDED(sound->GetCaps(&dsCaps));
        unsigned int caps = 0;
        EXPECT_EQ(FSOUND_GetDriverCaps(static_cast<int>(i), &caps) != 0, readable) << i;
        if (readable) {
            EXPECT_EQ((caps & FSOUND_CAPS_HARDWARE) != 0, dsCaps.dwMaxHwMixingAllBuffers > 0) << i;
        }
    }

    // Autodetect: DirectSound's devices when it has any, else waveOut's.
    ASSERT_TRUE(FSOUND_SetOutput(FSOUND_OUTPUT_AUTODETECT));
    EXPECT_EQ(driverNames(), system.empty() ? waveOutNames() : systemNames);
}

// What the player is offered on this machine, through the launcher's own import of the library.
TEST(SoundLibraryStandIn, TheLaunchersListsOnThisMachine) {
    SoundLibrary library;
    const SoundChoices outputs = soundOutputChoices(library, FSOUND_OUTPUT_AUTODETECT);
    ASSERT_FALSE(outputs.entries.empty());
    std::wstring offered;
    for (const SoundChoice& entry : outputs.entries) {
        offered += entry.text + L" [";
        const SoundChoices drivers = soundDriverChoices(library, entry.value, 0);
        EXPECT_FALSE(drivers.entries.empty()) << "an output is offered only with drivers";
        for (const SoundChoice& driver : drivers.entries) offered += L"\"" + driver.text + L"\"";
        offered += L"] ";
    }
    EXPECT_NE(offered.find(L"NoSound [\"NoSound SW \"]"), std::wstring::npos);
    EXPECT_EQ(offered.find(L"A3D"), std::wstring::npos);
    EXPECT_EQ(offered.find(L"ASIO"), std::wstring::npos);
    std::printf("Sound outputs here: %ls\n", offered.c_str());
    library.setOutput(FSOUND_OUTPUT_NOSOUND);
}
