#include "sound_devices.h"

#include <mmsystem.h>
#include <dsound.h>

#include "fmod.h"
#include "win/handles.h"

namespace {

std::string toAnsi(const wchar_t* text) {
    const int n = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) return std::string();
    std::string ansi(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, ansi.data(), n, nullptr, nullptr);
    ansi.resize(static_cast<size_t>(n - 1));
    return ansi;
}

bool readWaveOutCaps(UINT id, WAVEOUTCAPSW& caps) {
    return waveOutGetDevCapsW(id, &caps, sizeof caps) == MMSYSERR_NOERROR;
}

std::vector<SoundDevice> waveOutDevices() {
    std::vector<SoundDevice> devices;
    const UINT count = waveOutGetNumDevs();
    for (UINT id = 0; id < count; ++id) {
        // The index stays the device id even when the system cannot name the device.
        SoundDevice device;
        device.kind = SoundDevice::Kind::WaveOut;
        device.waveOutId = id;
        WAVEOUTCAPSW caps{};
        if (readWaveOutCaps(id, caps)) {
            caps.szPname[MAXPNAMELEN - 1] = L'\0';
            device.named = true;
            device.name = toAnsi(caps.szPname);
        }
        devices.push_back(std::move(device));
    }
    return devices;
}

BOOL CALLBACK addDirectSoundDevice(LPGUID guid, LPCWSTR description, LPCWSTR, LPVOID context) {
    SoundDevice device;
    device.kind = SoundDevice::Kind::DirectSound;
    device.named = description != nullptr;
    if (description) device.name = toAnsi(description);
    device.hasGuid = guid != nullptr;
    if (guid) device.guid = *guid;
    static_cast<std::vector<SoundDevice>*>(context)->push_back(std::move(device));
    return TRUE;
}

std::vector<SoundDevice> directSoundDevices() {
    std::vector<SoundDevice> devices;
    if (FAILED(DirectSoundEnumerateW(addDirectSoundDevice, &devices))) devices.clear();
    return devices;
}

// EAX listener property sets, versions 2 and 3; property 1 is "all parameters".
const GUID kEax2Listener = {0x0306a6a8, 0xb224, 0x11d2, {0x99, 0xe5, 0x00, 0x00, 0xe8, 0xd8, 0xc7, 0x22}};
const GUID kEax3Listener = {0xa8fa6882, 0xb476, 0x11d3, {0xbd, 0xb9, 0x00, 0xc0, 0xf0, 0x2d, 0xdf, 0x87}};

bool supportsProperty(IKsPropertySet& properties, const GUID& set) {
    ULONG support = 0;
    const ULONG getAndSet = KSPROPERTY_SUPPORT_GET | KSPROPERTY_SUPPORT_SET;
    return SUCCEEDED(properties.QuerySupport(set, 1, &support)) && (support & getAndSet) == getAndSet;
}

// EAX lives on the device's hardware 3D buffers: the driver says whether one of them takes the
// listener properties.
unsigned int eaxCaps(IDirectSound8& sound) {
    if (FAILED(sound.SetCooperativeLevel(GetDesktopWindow(), DSSCL_NORMAL))) return 0;
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 1;
    format.nSamplesPerSec = 22050;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 2;
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DSBCAPS_CTRL3D | DSBCAPS_LOCHARDWARE;
    desc.dwBufferBytes = 4096;
    desc.lpwfxFormat = &format;
    win::CComPtr<IDirectSoundBuffer> buffer;
    if (FAILED(sound.CreateSoundBuffer(&desc, buffer.put(), nullptr))) return 0;
    win::CComPtr<IKsPropertySet> properties;
    if (FAILED(buffer->QueryInterface(IID_IKsPropertySet, properties.putVoid()))) return 0;
    unsigned int caps = 0;
    if (supportsProperty(*properties.get(), kEax2Listener)) caps |= FSOUND_CAPS_EAX2;
    if (supportsProperty(*properties.get(), kEax3Listener)) caps |= FSOUND_CAPS_EAX3;
    return caps;
}

bool readDirectSoundCaps(const SoundDevice& device, unsigned int& caps) {
    win::CComPtr<IDirectSound8> sound;
    if (FAILED(DirectSoundCreate8(device.hasGuid ? &device.guid : nullptr, sound.put(), nullptr))) return false;
    DSCAPS dsCaps{};
    dsCaps.dwSize = sizeof dsCaps;
    if (FAILED(sound->GetCaps(&dsCaps))) return false;
    caps = 0;
    if (dsCaps.dwMaxHwMixingAllBuffers > 0) caps |= FSOUND_CAPS_HARDWARE;
    if (dsCaps.dwMaxHw3DAllBuffers > 0) caps |= eaxCaps(*sound.get());
    return true;
}

}  // namespace

std::vector<SoundDevice> listSoundDevices(int outputType) {
    switch (outputType) {
    case FSOUND_OUTPUT_NOSOUND: {
        SoundDevice silence;
        silence.named = true;
        silence.name = "NoSound";
        return {silence};
    }
    case FSOUND_OUTPUT_WINMM:
        return waveOutDevices();
    case FSOUND_OUTPUT_DSOUND:
        return directSoundDevices();
    case FSOUND_OUTPUT_AUTODETECT: {
        std::vector<SoundDevice> devices = directSoundDevices();
        return devices.empty() ? waveOutDevices() : devices;
    }
    default:
        return {};
    }
}

bool readSoundDeviceCaps(const SoundDevice& device, unsigned int& caps) {
    switch (device.kind) {
    case SoundDevice::Kind::NoSound:
        caps = 0;
        return true;
    case SoundDevice::Kind::WaveOut: {
        // waveOut knows no hardware mixing and no EAX: all the system can say is that it answers.
        WAVEOUTCAPSW waveCaps{};
        if (!readWaveOutCaps(device.waveOutId, waveCaps)) return false;
        caps = 0;
        return true;
    }
    case SoundDevice::Kind::DirectSound:
        return readDirectSoundCaps(device, caps);
    }
    return false;
}
