// The sound library's stand-in (fmod.dll, imported at load time) against what the system itself says
// of its sound devices.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <ostream>
#include <string>
#include <vector>

#include "fmod.h"

namespace {

std::string ansi(const wchar_t* text) {
    char buffer[512] = {};
    WideCharToMultiByte(CP_ACP, 0, text, -1, buffer, sizeof buffer - 1, nullptr, nullptr);
    return buffer;
}

// The system's own devices, as the library should name them and give their capabilities: waveOut
// knows no hardware mixing and no EAX; a DirectSound device mixes in hardware when it has hardware
// mixing buffers, and can offer EAX only with hardware 3D buffers (Wine's devices have none).
struct Driver {
    std::string name;
    unsigned int caps = 0;
    bool operator==(const Driver& other) const { return name == other.name && caps == other.caps; }
};
std::ostream& operator<<(std::ostream& out, const Driver& d) { return out << d.name << " caps " << d.caps; }

std::vector<Driver> waveOutDrivers() {
    std::vector<Driver> drivers;
    for (UINT id = 0; id < waveOutGetNumDevs(); ++id) {
        WAVEOUTCAPSW caps{};
        drivers.push_back({waveOutGetDevCapsW(id, &caps, sizeof caps) == MMSYSERR_NOERROR ? ansi(caps.szPname) : "-"});
    }
    return drivers;
}
BOOL CALLBACK collect(LPGUID guid, LPCWSTR description, LPCWSTR, LPVOID drivers) {
    Driver driver{ansi(description)};
    IDirectSound8* sound = nullptr;
    DSCAPS caps{};
    caps.dwSize = sizeof caps;
    if (SUCCEEDED(DirectSoundCreate8(guid, &sound, nullptr))) {
        if (SUCCEEDED(sound->GetCaps(&caps)) && caps.dwMaxHwMixingAllBuffers > 0) driver.caps = FSOUND_CAPS_HARDWARE;
        sound->Release();
    }
    EXPECT_EQ(caps.dwMaxHw3DAllBuffers, 0u) << driver.name << ": which EAX it offers is not known here";
    static_cast<std::vector<Driver>*>(drivers)->push_back(driver);
    return TRUE;
}
std::vector<Driver> directSoundDrivers() {
    std::vector<Driver> drivers;
    DirectSoundEnumerateW(collect, &drivers);
    return drivers;
}

// The selected output's drivers as the library reports them.
std::vector<Driver> libraryDrivers() {
    std::vector<Driver> drivers;
    for (int i = 0; i < FSOUND_GetNumDrivers(); ++i) {
        const char* name = FSOUND_GetDriverName(i);
        Driver driver{name ? name : "-"};
        EXPECT_TRUE(FSOUND_GetDriverCaps(i, &driver.caps)) << driver.name;
        drivers.push_back(driver);
    }
    return drivers;
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
    EXPECT_EQ(libraryDrivers(), std::vector<Driver>{{"NoSound"}}) << "a refused output changes nothing";

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
    const std::vector<Driver> waveOut = waveOutDrivers(), directSound = directSoundDrivers();
    ASSERT_FALSE(waveOut.empty()) << "no sound devices: the tests need the sound server tools/test.sh starts";
    ASSERT_FALSE(directSound.empty());
    ASSERT_TRUE(FSOUND_SetOutput(FSOUND_OUTPUT_WINMM));
    EXPECT_EQ(libraryDrivers(), waveOut);
    ASSERT_TRUE(FSOUND_SetOutput(FSOUND_OUTPUT_DSOUND));
    EXPECT_EQ(libraryDrivers(), directSound);
    ASSERT_TRUE(FSOUND_SetOutput(FSOUND_OUTPUT_AUTODETECT));
    EXPECT_EQ(libraryDrivers(), directSound);
}
