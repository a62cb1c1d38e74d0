#include "config/launch_settings.h"

#include <objbase.h>

#include <string>

#include "win/named_lock.h"

namespace {

// Stored device identifiers are GUID strings of 38 characters; anything that does not fit here
// is not one.
constexpr DWORD kIdentifierCapacity = 256;

// Set in the root key while a save runs and removed once the whole set is written: a save cut
// short (the process killed, a write refused) leaves it, and the next start then takes the stored
// values for the mixture of two sets they may be rather than use them. A value of the launcher's
// own beside the engine's, on purpose: a load fails while it is there, and a save that cannot
// write it writes nothing.
constexpr wchar_t kSaveIncomplete[] = L"SaveIncomplete";

// Held around each whole load and each whole save, so that two copies of the launcher at their
// dialogs never read a set another is writing, nor take its mark away from under it.
constexpr wchar_t kSettingsLock[] = L"Local\\Skelvane.Settings.Lock";

// Set when a run ended in a crash and removed by the next normal end: the stored choice may be what
// crashed the game, so the next start shows the settings dialog.
constexpr wchar_t kLastRunCrashed[] = L"LastRunCrashed";

// A GUID in the registry-string form: braces, upper-case hexadecimal, hyphens.
std::wstring guidString(const GUID& guid) {
    wchar_t text[40] = {};
    const int n = StringFromGUID2(guid, text, 40);
    return n > 0 ? std::wstring(text) : std::wstring();
}

bool adapterIdentifier(IDirect3D9& d3d, UINT adapter, std::wstring& identifier) {
    D3DADAPTER_IDENTIFIER9 id{};
    if (FAILED(d3d.GetAdapterIdentifier(adapter, 0, &id))) return false;
    identifier = guidString(id.DeviceIdentifier);
    return !identifier.empty();
}

win::CRegKey openKey(HKEY parent, const wchar_t* name, REGSAM access) {
    win::CRegKey key;
    if (parent && RegOpenKeyExW(parent, name, 0, access, key.put()) != ERROR_SUCCESS) key.reset();
    return key;
}

win::CRegKey openOrCreateKey(HKEY parent, const wchar_t* name) {
    win::CRegKey key = openKey(parent, name, KEY_WRITE);
    if (!key && parent &&
        RegCreateKeyExW(parent, name, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, key.put(), nullptr) !=
            ERROR_SUCCESS)
        key.reset();
    return key;
}

// Reads the values of one key; a value counts only when it is a DWORD of exactly four bytes.
class CValueReader {
public:
    explicit CValueReader(HKEY key) : m_key(key) {}

    bool dword(const wchar_t* name, DWORD& value) const {
        DWORD type = 0;
        DWORD data = 0;
        DWORD size = sizeof data;
        if (RegQueryValueExW(m_key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS ||
            type != REG_DWORD || size != sizeof data)
            return false;
        value = data;
        return true;
    }
    // Reads into the field; false leaves it unchanged.
    template <class T>
    bool number(const wchar_t* name, T& field) const {
        DWORD value = 0;
        if (!dword(name, value)) return false;
        field = static_cast<T>(value);
        return true;
    }
    bool flag(const wchar_t* name, bool& field) const {
        DWORD value = 0;
        if (!dword(name, value)) return false;
        field = value != 0;
        return true;
    }
    // A terminated string that fits the identifier buffer.
    bool string(const wchar_t* name, std::wstring& value) const {
        wchar_t data[kIdentifierCapacity] = {};
        DWORD type = 0;
        DWORD size = sizeof data;
        if (RegQueryValueExW(m_key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ) || size % sizeof(wchar_t) != 0 || size < sizeof(wchar_t) ||
            size > sizeof data || data[size / sizeof(wchar_t) - 1] != L'\0')
            return false;
        value.assign(data);
        return true;
    }

private:
    HKEY m_key;
};

// Writes the values of one key and remembers whether any write failed.
class CValueWriter {
public:
    explicit CValueWriter(HKEY key) : m_key(key) {}

    void dword(const wchar_t* name, DWORD value) {
        set(name, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    }
    void flag(const wchar_t* name, bool value) { dword(name, value ? 1 : 0); }
    void string(const wchar_t* name, const std::wstring& value) {
        set(name, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
    bool ok() const { return m_ok; }

private:
    void set(const wchar_t* name, DWORD type, const BYTE* data, DWORD size) {
        if (RegSetValueExW(m_key, name, 0, type, data, size) != ERROR_SUCCESS) m_ok = false;
    }

    HKEY m_key;
    bool m_ok = true;
};

bool loadGraphics(HKEY key, LaunchSettings& settings, IDirect3D9& d3d) {
    GraphicsSettings& g = settings.GraphicsSettings;
    const CValueReader reader(key);
    bool ok = reader.number(L"AdapterOrdinal", g.AdapterOrdinal);

    std::wstring stored;
    if (reader.string(L"DeviceIdentifier", stored)) {
        std::wstring present;
        // An adapter that is gone has nothing to compare with; the device check judges that case.
        if (!settings.SettingsInvalid && adapterIdentifier(d3d, g.AdapterOrdinal, present) && stored != present)
            settings.SettingsInvalid = true;
    } else {
        ok = false;
    }

    ok &= reader.number(L"AdapterFormat", g.AdapterFormat);
    ok &= reader.number(L"Width", g.Width);
    ok &= reader.number(L"Height", g.Height);
    ok &= reader.number(L"RefreshRate", g.RefreshRate);
    ok &= reader.number(L"SurfaceFormat", g.SurfaceFormat);
    ok &= reader.number(L"MultiSampleType", g.MultiSampleType);
    ok &= reader.number(L"MultiSampleQuality", g.MultiSampleQuality);
    ok &= reader.flag(L"VSync", g.VSync);

    DWORD backBuffers = 0;
    g.TripleBuffer = reader.dword(L"BackBufferCount", backBuffers) && backBuffers > 1;
    ok &= reader.flag(L"GlowEnable", g.GlowEnable);
    // Optional: settings from before these switches existed lack them.
    if (!reader.flag(L"ATiA2CEnable", g.ATiA2CEnable)) g.ATiA2CEnable = false;
    if (!reader.flag(L"NVTrSSEnable", g.NVTrSSEnable)) g.NVTrSSEnable = false;
    if (!reader.flag(L"NVTrMSEnable", g.NVTrMSEnable)) g.NVTrMSEnable = false;
    return ok;
}

bool loadSound(HKEY key, SoundSettings& s) {
    const CValueReader reader(key);
    bool ok = reader.number(L"SoundOutput", s.SoundOutput);
    ok &= reader.number(L"SoundDriver", s.SoundDriver);
    ok &= reader.number(L"SoundSpeakerMode", s.SoundSpeakerMode);
    ok &= reader.number(L"SoundSampleRate", s.SoundSampleRate);
    return ok;
}

bool saveGraphics(HKEY key, const GraphicsSettings& g, IDirect3D9& d3d) {
    CValueWriter writer(key);
    std::wstring identifier;
    const bool identified = adapterIdentifier(d3d, g.AdapterOrdinal, identifier);
    if (identified) writer.string(L"DeviceIdentifier", identifier);
    writer.dword(L"AdapterOrdinal", g.AdapterOrdinal);
    writer.dword(L"AdapterFormat", g.AdapterFormat);
    writer.dword(L"Width", g.Width);
    writer.dword(L"Height", g.Height);
    writer.dword(L"RefreshRate", g.RefreshRate);
    writer.dword(L"SurfaceFormat", g.SurfaceFormat);
    writer.dword(L"MultiSampleType", g.MultiSampleType);
    writer.dword(L"MultiSampleQuality", g.MultiSampleQuality);
    writer.flag(L"VSync", g.VSync);
    writer.dword(L"BackBufferCount", g.TripleBuffer ? 2 : 1);
    writer.flag(L"GlowEnable", g.GlowEnable);
    writer.flag(L"ATiA2CEnable", g.ATiA2CEnable);
    writer.flag(L"NVTrSSEnable", g.NVTrSSEnable);
    writer.flag(L"NVTrMSEnable", g.NVTrMSEnable);
    return identified && writer.ok();
}

bool saveSound(HKEY key, const SoundSettings& s) {
    CValueWriter writer(key);
    writer.dword(L"SoundOutput", static_cast<DWORD>(s.SoundOutput));
    writer.dword(L"SoundDriver", static_cast<DWORD>(s.SoundDriver));
    writer.dword(L"SoundSpeakerMode", static_cast<DWORD>(s.SoundSpeakerMode));
    writer.dword(L"SoundSampleRate", static_cast<DWORD>(s.SoundSampleRate));
    return writer.ok();
}

}  // namespace

bool operator==(const GraphicsSettings& a, const GraphicsSettings& b) {
    return a.AdapterOrdinal == b.AdapterOrdinal && a.AdapterFormat == b.AdapterFormat && a.Width == b.Width &&
           a.Height == b.Height && a.RefreshRate == b.RefreshRate && a.SurfaceFormat == b.SurfaceFormat &&
           a.MultiSampleType == b.MultiSampleType && a.MultiSampleQuality == b.MultiSampleQuality &&
           a.VSync == b.VSync && a.TripleBuffer == b.TripleBuffer && a.GlowEnable == b.GlowEnable &&
           a.ATiA2CEnable == b.ATiA2CEnable && a.NVTrSSEnable == b.NVTrSSEnable && a.NVTrMSEnable == b.NVTrMSEnable;
}

bool operator==(const SoundSettings& a, const SoundSettings& b) {
    return a.SoundOutput == b.SoundOutput && a.SoundDriver == b.SoundDriver &&
           a.SoundSpeakerMode == b.SoundSpeakerMode && a.SoundSampleRate == b.SoundSampleRate;
}

bool operator==(const LaunchSettings& a, const LaunchSettings& b) {
    return a.SettingsInvalid == b.SettingsInvalid && a.ShowSettingsAtLaunch == b.ShowSettingsAtLaunch &&
           a.GraphicsSettings == b.GraphicsSettings && a.SoundSettings == b.SoundSettings;
}

void applyDesktopModeDefault(GraphicsSettings& graphics, IDirect3D9& d3d) {
    D3DDISPLAYMODE mode{};
    if (FAILED(d3d.GetAdapterDisplayMode(0, &mode))) {
        graphics.Width = 1024;
        graphics.Height = 768;
        graphics.RefreshRate = 0;
        graphics.SurfaceFormat = D3DFMT_UNKNOWN;
        return;
    }
    // The game needs at least 800 x 600 whatever the desktop is.
    graphics.Width = mode.Width < 800 ? 800 : mode.Width;
    graphics.Height = mode.Height < 600 ? 600 : mode.Height;
    graphics.RefreshRate = mode.RefreshRate;
    graphics.SurfaceFormat = static_cast<DWORD>(mode.Format);
}

CDirectSoundSpeakers::CDirectSoundSpeakers() {
    if (FAILED(DirectSoundCreate8(nullptr, m_sound.put(), nullptr)))
        m_sound.reset();
    else if (FAILED(m_sound->SetCooperativeLevel(GetDesktopWindow(), DSSCL_NORMAL)))
        m_sound.reset();
}

bool CDirectSoundSpeakers::speakerConfig(DWORD& config) {
    return m_sound && SUCCEEDED(m_sound->GetSpeakerConfig(&config));
}

int speakerModeFromConfig(DWORD config, int fallback) {
    switch (DSSPEAKER_CONFIG(config)) {
        case DSSPEAKER_DIRECTOUT: return kSpeakerDolbyDigital;
        case DSSPEAKER_HEADPHONE: return kSpeakerHeadphones;
        case DSSPEAKER_MONO: return kSpeakerMono;
        case DSSPEAKER_QUAD: return kSpeakerQuad;
        case DSSPEAKER_STEREO: return kSpeakerStereo;
        case DSSPEAKER_SURROUND:
        case DSSPEAKER_5POINT1:
        case DSSPEAKER_7POINT1: return kSpeakerSurround;
        default: return fallback;
    }
}

void applySpeakerModeDefault(SoundSettings& sound, ISpeakerConfigSource& source) {
    DWORD config = 0;
    if (source.speakerConfig(config)) sound.SoundSpeakerMode = speakerModeFromConfig(config, sound.SoundSpeakerMode);
}

bool loadSettings(LaunchSettings& settings, IDirect3D9& d3d) {
    // Goes on without the lock too: a save under way keeps its mark until its set is whole.
    const win::CNamedLock lock(kSettingsLock);
    const win::CRegKey root = openKey(HKEY_CURRENT_USER, kSettingsKey, KEY_READ);
    if (!root) return false;

    bool ok = CValueReader(root.get()).flag(L"ShowSettingsAtLaunch", settings.ShowSettingsAtLaunch);
    ok &= RegQueryValueExW(root.get(), kSaveIncomplete, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS;
    ok &= RegQueryValueExW(root.get(), kLastRunCrashed, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS;

    const win::CRegKey graphics = openKey(root.get(), kGraphicsSubkey, KEY_READ);
    ok &= graphics && loadGraphics(graphics.get(), settings, d3d);

    const win::CRegKey sound = openKey(root.get(), kSoundSubkey, KEY_READ);
    ok &= sound && loadSound(sound.get(), settings.SoundSettings);
    return ok;
}

bool saveSettings(const LaunchSettings& settings, IDirect3D9& d3d) {
    const win::CNamedLock lock(kSettingsLock);
    const win::CRegKey root = openOrCreateKey(HKEY_CURRENT_USER, kSettingsKey);
    if (!root) return false;

    CValueWriter writer(root.get());
    // Without the mark nothing may be written: the stored set must stay whole. Without the lock
    // another copy's save may be under way: only the mark is written, so that whatever that save
    // leaves is not taken for a whole set of either, and the save fails.
    writer.dword(kSaveIncomplete, 1);
    if (!writer.ok() || !lock.held()) return false;
    writer.flag(L"ShowSettingsAtLaunch", settings.ShowSettingsAtLaunch);
    bool ok = writer.ok();

    const win::CRegKey graphics = openOrCreateKey(root.get(), kGraphicsSubkey);
    ok &= graphics && saveGraphics(graphics.get(), settings.GraphicsSettings, d3d);

    const win::CRegKey sound = openOrCreateKey(root.get(), kSoundSubkey);
    ok &= sound && saveSound(sound.get(), settings.SoundSettings);
    if (!ok) return false;
    // Gone only when something that takes no lock (the player, a copy of an older launcher) removed
    // it meanwhile: all of ours is written.
    const LONG unmarked = RegDeleteValueW(root.get(), kSaveIncomplete);
    return unmarked == ERROR_SUCCESS || unmarked == ERROR_FILE_NOT_FOUND;
}

void storeLastRunCrashed(bool crashed) {
    if (crashed) {
        const win::CRegKey root = openOrCreateKey(HKEY_CURRENT_USER, kSettingsKey);
        if (root) CValueWriter(root.get()).dword(kLastRunCrashed, 1);
        return;
    }
    const win::CRegKey root = openKey(HKEY_CURRENT_USER, kSettingsKey, KEY_SET_VALUE);
    if (root) RegDeleteValueW(root.get(), kLastRunCrashed);
}
