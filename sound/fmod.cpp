// The sound library's stand-in: the FMOD 3 calls the launcher makes, answered from the machine's
// own devices. It plays nothing. The calls come from one thread, as with the real library.
#include <windows.h>

#include <vector>

#include "fmod.h"
#include "sound_devices.h"

namespace {

constexpr float kVersion = 3.75f;

struct DriverList {
    int output = FSOUND_OUTPUT_AUTODETECT;
    bool listed = false;
    std::vector<SoundDevice> drivers;
};

DriverList& current() {
    static DriverList list;
    return list;
}

// The list of the selected output, read from the system the first time it is asked for.
std::vector<SoundDevice>& drivers() {
    DriverList& list = current();
    if (!list.listed) {
        list.drivers = listSoundDevices(list.output);
        list.listed = true;
    }
    return list.drivers;
}

const SoundDevice* driver(int id) {
    std::vector<SoundDevice>& all = drivers();
    return id >= 0 && static_cast<size_t>(id) < all.size() ? &all[static_cast<size_t>(id)] : nullptr;
}

bool knownOutput(int outputType) {
    switch (outputType) {
    case FSOUND_OUTPUT_AUTODETECT:
    case FSOUND_OUTPUT_NOSOUND:
    case FSOUND_OUTPUT_WINMM:
    case FSOUND_OUTPUT_DSOUND:
    case FSOUND_OUTPUT_A3D:
    case FSOUND_OUTPUT_ASIO:
        return true;
    default:  // the other platforms' outputs
        return false;
    }
}

}  // namespace

extern "C" {

float F_API FSOUND_GetVersion(void) { return kVersion; }

signed char F_API FSOUND_SetOutput(int outputType) {
    if (!knownOutput(outputType)) return FALSE;
    DriverList& list = current();
    list.output = outputType;
    list.drivers = listSoundDevices(outputType);  // names handed out before are gone from here on
    list.listed = true;
    return TRUE;
}

int F_API FSOUND_GetNumDrivers(void) { return static_cast<int>(drivers().size()); }

const char* F_API FSOUND_GetDriverName(int id) {
    const SoundDevice* device = driver(id);
    return device && device->named ? device->name.c_str() : nullptr;
}

signed char F_API FSOUND_GetDriverCaps(int id, unsigned int* caps) {
    const SoundDevice* device = driver(id);
    unsigned int read = 0;
    if (!device || !caps || !readSoundDeviceCaps(*device, read)) return FALSE;
    *caps = read;
    return TRUE;
}

}  // extern "C"
