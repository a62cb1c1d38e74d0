// The machine's sound devices as the stand-in library offers them as drivers of an output type.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct SoundDevice {
    enum class Kind { NoSound, WaveOut, DirectSound };
    Kind kind = Kind::NoSound;
    bool named = false;  // false when the system could not tell the device's name
    std::string name;    // ANSI code page
    UINT waveOutId = 0;
    bool hasGuid = false;  // DirectSound's primary device comes without one
    GUID guid{};
};

// The drivers of an output type (FSOUND_OUTPUT_*), in the system's order. Empty for an output type
// the machine has no devices of (A3D and ASIO never have any here).
std::vector<SoundDevice> listSoundDevices(int outputType);

// The FSOUND_CAPS bits the system reports for the device; false when it cannot be asked (a
// DirectSound device that cannot be created, a waveOut device whose capabilities are not readable).
bool readSoundDeviceCaps(const SoundDevice& device, unsigned int& caps);
