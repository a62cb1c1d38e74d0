// The sound library's stand-in (fmod.dll, imported at load time) against what the system itself says
// of its sound devices.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <string>
#include <vector>

#include "fmod.h"

namespace {

std::string ansi(const wchar_t* text) {
    char buffer[512] = {};
    WideCharToMultiByte(CP_ACP, 0, text, -1, buffer, sizeof buffer - 1, nullptr, nullptr);
    return buffer;
}

// The system's own devices, named as the library should name them.
std::vector<std::string> waveOutNames() {
    std::vector<std::string> names;
    for (UINT id = 0; id < waveOutGetNumDevs(); ++id) {
        WAVEOUTCAPSW caps{};
        names.push_back(waveOutGetDevCapsW(id, &caps, sizeof caps) == MMSYSERR_NOERROR ? ansi(caps.szPname) : "-");
    }
    return names;
}
BOOL CALLBACK collect(LPGUID, LPCWSTR description, LPCWSTR, LPVOID names) {
    static_cast<std::vector<std::string>*>(names)->push_back(ansi(description));
    return TRUE;
}
std::vector<std::string> directSoundNames() {
    std::vector<std::string> names;
    DirectSoundEnumerateW(collect, &names);
    return names;
}

std::vector<std::string> driverNames() {
    std::vector<std::string> names;
    for (int i = 0; i < FSOUND_GetNumDrivers(); ++i) {
        const char* name = FSOUND_GetDriverName(i);
        names.push_back(name ? name : "-");
    }
    return names;
}

}  // namespace

TEST(SoundLibraryStandIn, NoSoundA3DAsioAndOtherPlatformsOutputs) {
    EXPECT_EQ(FSOUND_GetVersion(), 3.75f);
    for (const int none : {FSOUND_OUTPUT_A3D, FSOUND_OUTPUT_ASIO}) {
        EXPECT_TRUE(FSOUND_SetOutput(none)) << none;
        EXPECT_EQ(FSOUND_GetNumDrivers(), 0) << none;
    }
    ASSERT_TRUE(FSOUND_SetOutput(FSOUND_OUTPUT_NOSOUND));
    for (const int foreign : {4, 5, 6, 8, -2}) EXPECT_FALSE(FSOUND_SetOutput(foreign)) << foreign;
    EXPECT_EQ(driverNames(), std::vector<std::string>{"NoSound"}) << "a refused output changes nothing";

    unsigned int caps = 7;
    const char* name = FSOUND_GetDriverName(0);
    EXPECT_TRUE(FSOUND_GetDriverCaps(0, &caps));
    EXPECT_EQ(caps, 0u);
    EXPECT_EQ(FSOUND_GetDriverName(0), name) << "a name stays put while the list does not change";
    for (const int id : {-1, 1}) {
        EXPECT_EQ(FSOUND_GetDriverName(id), nullptr) << id;
        EXPECT_FALSE(FSOUND_GetDriverCaps(id, &caps)) << id;
    }
    EXPECT_FALSE(FSOUND_GetDriverCaps(0, nullptr));
}

TEST(SoundLibraryStandIn, DriversAreTheSystemsWaveOutAndDirectSoundDevices) {
    ASSERT_TRUE(FSOUND_SetOutput(FSOUND_OUTPUT_WINMM));
    EXPECT_EQ(driverNames(), waveOutNames());
    ASSERT_TRUE(FSOUND_SetOutput(FSOUND_OUTPUT_DSOUND));
    EXPECT_EQ(driverNames(), directSoundNames());
    ASSERT_TRUE(FSOUND_SetOutput(FSOUND_OUTPUT_AUTODETECT));
    EXPECT_EQ(driverNames(), directSoundNames().empty() ? waveOutNames() : directSoundNames());
}
