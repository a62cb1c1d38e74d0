// The launch settings: everything the player chooses in the settings dialog, kept per user in the
// registry under HKEY_CURRENT_USER\Software\Tolmira\Skelvane. The engine reads them from there, so
// the value names, types and codings are fixed.
#pragma once

#include <windows.h>
#include <d3d9.h>
#include <mmsystem.h>  // the wave format types dsound.h needs
#include <dsound.h>

#include "win/handles.h"

constexpr wchar_t kSettingsKey[] = L"Software\\Tolmira\\Skelvane";
constexpr wchar_t kGraphicsSubkey[] = L"Graphics";
constexpr wchar_t kSoundSubkey[] = L"Sound";

// Speaker modes in the order of the sound page's list.
enum SpeakerMode : int {
    kSpeakerDolbyDigital = 0,
    kSpeakerHeadphones = 1,
    kSpeakerMono = 2,
    kSpeakerQuad = 3,
    kSpeakerStereo = 4,
    kSpeakerSurround = 5,
};

struct GraphicsSettings {
    UINT AdapterOrdinal = 0;
    DWORD AdapterFormat = D3DFMT_UNKNOWN;
    // The display mode: filled together from the adapter's desktop mode, then from the mode list.
    UINT Width = 1024;
    UINT Height = 768;
    UINT RefreshRate = 0;  // 0: the adapter's default
    DWORD SurfaceFormat = D3DFMT_UNKNOWN;
    DWORD MultiSampleType = D3DMULTISAMPLE_NONE;
    DWORD MultiSampleQuality = 0;
    bool VSync = false;
    bool TripleBuffer = false;  // two back buffers instead of one
    bool GlowEnable = false;
    // Engine switches the launcher has no control for: kept as loaded.
    bool ATiA2CEnable = false;
    bool NVTrSSEnable = false;
    bool NVTrMSEnable = false;
};

struct SoundSettings {
    int SoundOutput = -1;  // -1: none chosen yet
    int SoundDriver = 0;
    int SoundSpeakerMode = kSpeakerStereo;
    int SoundSampleRate = 22050;
};

struct LaunchSettings {
    // Stored settings missing, unreadable, of another adapter or refused by the device check.
    // Never stored.
    bool SettingsInvalid = false;
    bool ShowSettingsAtLaunch = false;
    ::GraphicsSettings GraphicsSettings;
    ::SoundSettings SoundSettings;
};

bool operator==(const GraphicsSettings& a, const GraphicsSettings& b);
bool operator==(const SoundSettings& a, const SoundSettings& b);
bool operator==(const LaunchSettings& a, const LaunchSettings& b);
inline bool operator!=(const LaunchSettings& a, const LaunchSettings& b) { return !(a == b); }

// Defaults the settings dialog applies on top of the fixed ones, in this order, before loading.

// The desktop mode of adapter 0, raised to at least 800 x 600; 1024 x 768 when it cannot be read.
void applyDesktopModeDefault(GraphicsSettings& graphics, IDirect3D9& d3d);

// Where the system's speaker configuration comes from.
class ISpeakerConfigSource {
public:
    virtual ~ISpeakerConfigSource() = default;
    // The configuration as DirectSound reports it (DSSPEAKER_* in the low byte); false when unknown.
    virtual bool speakerConfig(DWORD& config) = 0;
};

// The default sound device as DirectSound sees it; the device object is held as long as this lives.
// The settings dialog keeps it only while it takes the speaker default, so it is released before
// the stored settings are read and checked: nothing after that needs the device.
class CDirectSoundSpeakers : public ISpeakerConfigSource {
public:
    CDirectSoundSpeakers();
    bool speakerConfig(DWORD& config) override;

private:
    win::CComPtr<IDirectSound8> m_sound;
};

// The speaker mode for a DirectSound speaker configuration; fallback when it has none.
int speakerModeFromConfig(DWORD config, int fallback);
// Sets the speaker mode from the system's configuration; leaves it when that cannot be read.
void applySpeakerModeDefault(SoundSettings& sound, ISpeakerConfigSource& source);

// Reads the stored settings over the defaults already in the record. True only when every
// required value was read, the last save was not cut short and the last run did not crash. Sets
// SettingsInvalid when the stored device identifier does not match the stored adapter. Never
// writes to the registry.
bool loadSettings(LaunchSettings& settings, IDirect3D9& d3d);

// Writes the whole record. True only when every key could be opened or created and every value
// written; values written before or after a failure stay written, and the set stays marked as
// incomplete until a later save writes it whole.
bool saveSettings(const LaunchSettings& settings, IDirect3D9& d3d);

// Marks the run as ended in a crash (from the crash report) or, at a normal end, clears the mark.
void storeLastRunCrashed(bool crashed);
