#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "config/launch_settings.h"
#include "support/fake_d3d9.h"

namespace {

// {D7B71E3E-4C86-11CF-4E68-7E2BBDC2CB35} and a second card.
constexpr GUID kCard0 = {0xD7B71E3E, 0x4C86, 0x11CF, {0x4E, 0x68, 0x7E, 0x2B, 0xBD, 0xC2, 0xCB, 0x35}};
constexpr GUID kCard1 = {0xA1B2C3D4, 0xE5F6, 0xABCD, {0xEF, 0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD}};
constexpr wchar_t kCard0Text[] = L"{D7B71E3E-4C86-11CF-4E68-7E2BBDC2CB35}";
std::wstring card1Text() { return L"{A1B2C3D4-E5F6-ABCD-EF01-23456789ABCD}"; }

struct Value {
    DWORD type = REG_NONE;
    std::string bytes;
    bool operator==(const Value& o) const { return type == o.type && bytes == o.bytes; }
};

std::wstring keyPath(const std::wstring& subkey) {
    return subkey.empty() ? std::wstring(kSettingsKey) : std::wstring(kSettingsKey) + L"\\" + subkey;
}

void writeRaw(const std::wstring& subkey, const wchar_t* name, DWORD type, const std::string& bytes) {
    win::CRegKey key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, keyPath(subkey).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                              key.put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key.get(), name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                             static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
}

std::string dwordBytes(DWORD v) { return std::string(reinterpret_cast<const char*>(&v), sizeof v); }
std::string wideBytes(const std::wstring& s) {
    return std::string(reinterpret_cast<const char*>(s.data()), s.size() * sizeof(wchar_t));
}
std::string szBytes(const std::wstring& s) { return wideBytes(s) + std::string(2, '\0'); }

// Like writeRaw, but the bytes after the value are not zero, so that the registry cannot take a
// terminator the caller forgot to count as part of the value.
void writeUnterminated(const std::wstring& subkey, const wchar_t* name, const std::wstring& text) {
    writeRaw(subkey, name, REG_SZ, std::string());
    win::CRegKey key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, keyPath(subkey).c_str(), 0, KEY_WRITE, key.put()), ERROR_SUCCESS);
    const std::wstring padded = text + L"XX";
    ASSERT_EQ(RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(padded.c_str()),
                             static_cast<DWORD>(text.size() * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

void writeDword(const std::wstring& subkey, const wchar_t* name, DWORD value) {
    writeRaw(subkey, name, REG_DWORD, dwordBytes(value));
}

void removeValue(const std::wstring& subkey, const wchar_t* name) {
    win::CRegKey key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, keyPath(subkey).c_str(), 0, KEY_WRITE, key.put()), ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteValueW(key.get(), name), ERROR_SUCCESS);
}

Value readRaw(const std::wstring& subkey, const wchar_t* name) {
    Value v;
    win::CRegKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, keyPath(subkey).c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return v;
    DWORD size = 0;
    if (RegQueryValueExW(key.get(), name, nullptr, &v.type, nullptr, &size) != ERROR_SUCCESS) return Value{};
    v.bytes.resize(size);
    RegQueryValueExW(key.get(), name, nullptr, &v.type, reinterpret_cast<BYTE*>(&v.bytes[0]), &size);
    return v;
}

std::string narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }

Value dwordValue(DWORD v) { return {REG_DWORD, dwordBytes(v)}; }

// Every value of the three keys, by "subkey\name".
std::map<std::wstring, Value> snapshot() {
    std::map<std::wstring, Value> all;
    for (const wchar_t* subkey : {L"", kGraphicsSubkey, kSoundSubkey}) {
        win::CRegKey key;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, keyPath(subkey).c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
            continue;
        for (DWORD i = 0;; ++i) {
            wchar_t name[256];
            DWORD nameLength = 256;
            BYTE data[4096];
            DWORD size = sizeof data;
            Value v;
            if (RegEnumValueW(key.get(), i, name, &nameLength, nullptr, &v.type, data, &size) != ERROR_SUCCESS) break;
            v.bytes.assign(reinterpret_cast<const char*>(data), size);
            all[std::wstring(subkey) + L"\\" + name] = v;
        }
    }
    return all;
}

// A record in which every field differs from its default.
LaunchSettings chosenSettings() {
    LaunchSettings s;
    s.ShowSettingsAtLaunch = true;
    GraphicsSettings& g = s.GraphicsSettings;
    g.AdapterOrdinal = 1;
    g.AdapterFormat = D3DFMT_X8R8G8B8;
    g.Width = 1600;
    g.Height = 900;
    g.RefreshRate = 75;
    g.SurfaceFormat = D3DFMT_R5G6B5;
    g.MultiSampleType = D3DMULTISAMPLE_4_SAMPLES;
    g.MultiSampleQuality = 2;
    g.VSync = g.TripleBuffer = g.GlowEnable = g.ATiA2CEnable = g.NVTrSSEnable = g.NVTrMSEnable = true;
    s.SoundSettings = {3, 2, kSpeakerQuad, 44100};
    return s;
}

class LaunchSettingsTest : public ::testing::Test {
protected:
    fake::Direct3D9 d3d;

    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
        d3d.add().setName("First card", kCard0);
        d3d.add().setName("Second card", kCard1);
    }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey); }

    // Saves the chosen record, then hands the stored form to the test to spoil.
    LaunchSettings storeChosen() {
        const LaunchSettings chosen = chosenSettings();
        EXPECT_TRUE(saveSettings(chosen, d3d));
        return chosen;
    }
    bool load(LaunchSettings& into) { return loadSettings(into, d3d); }
};

struct FakeSpeakers : ISpeakerConfigSource {
    bool ok = true;
    DWORD config = 0;
    bool speakerConfig(DWORD& c) override {
        c = config;
        return ok;
    }
};

}  // namespace

TEST(LaunchSettingsDefaults, DesktopModeOfAdapterZeroRaisedTo800x600) {
    fake::Direct3D9 d3d;
    d3d.add().desktop = {640, 480, 72, D3DFMT_R5G6B5};
    d3d.add().desktop = {1920, 1200, 60, D3DFMT_X8R8G8B8};
    GraphicsSettings g;
    applyDesktopModeDefault(g, d3d);
    EXPECT_EQ(g.Width, 800u);
    EXPECT_EQ(g.Height, 600u);
    EXPECT_EQ(g.RefreshRate, 72u);
    EXPECT_EQ(g.SurfaceFormat, static_cast<DWORD>(D3DFMT_R5G6B5));

    d3d.adapters[0].desktop = {1280, 1024, 85, D3DFMT_X8R8G8B8};
    applyDesktopModeDefault(g, d3d);
    EXPECT_EQ(g.Width, 1280u);
    EXPECT_EQ(g.Height, 1024u);

    d3d.adapters[0].desktop = {1024, 480, 60, D3DFMT_X8R8G8B8};
    applyDesktopModeDefault(g, d3d);
    EXPECT_EQ(g.Width, 1024u) << "each side on its own";
    EXPECT_EQ(g.Height, 600u);

    d3d.adapters[0].desktopResult = D3DERR_NOTAVAILABLE;
    applyDesktopModeDefault(g, d3d);
    EXPECT_EQ(g.Width, 1024u);
    EXPECT_EQ(g.Height, 768u);
    EXPECT_EQ(g.RefreshRate, 0u);
    EXPECT_EQ(g.SurfaceFormat, static_cast<DWORD>(D3DFMT_UNKNOWN));
}

TEST(LaunchSettingsDefaults, SpeakerModeFromTheSpeakerConfiguration) {
    // Low byte 0..8: direct out, headphones, mono, quad, stereo, surround, 5.1, 7.1, then one
    // the list has no entry for.
    const int expected[] = {0, 1, 2, 3, 4, 5, 5, 5, 4};
    FakeSpeakers speakers;
    for (DWORD low = 0; low <= 8; ++low) {
        SoundSettings sound;
        sound.SoundSpeakerMode = kSpeakerStereo;
        speakers.config = DSSPEAKER_COMBINED(low, DSSPEAKER_GEOMETRY_WIDE);
        applySpeakerModeDefault(sound, speakers);
        EXPECT_EQ(sound.SoundSpeakerMode, expected[low]) << "low byte " << low;
    }
    SoundSettings sound;
    speakers.config = DSSPEAKER_MONO;
    speakers.ok = false;
    applySpeakerModeDefault(sound, speakers);
    EXPECT_EQ(sound.SoundSpeakerMode, kSpeakerStereo) << "unreadable configuration";

    // Wine here has no sound device: the real source must fail quietly and leave stereo.
    CDirectSoundSpeakers real;
    SoundSettings system;
    applySpeakerModeDefault(system, real);
    EXPECT_GE(system.SoundSpeakerMode, 0);
    EXPECT_LE(system.SoundSpeakerMode, 5);
}

TEST_F(LaunchSettingsTest, FirstStartLoadsNothing) {
    LaunchSettings s = chosenSettings();
    EXPECT_FALSE(load(s));
    EXPECT_EQ(s, chosenSettings()) << "no field changes";
    EXPECT_TRUE(snapshot().empty()) << "loading creates nothing";
}

TEST_F(LaunchSettingsTest, RoundTripKeepsEveryField) {
    const LaunchSettings chosen = storeChosen();
    LaunchSettings loaded;
    EXPECT_TRUE(load(loaded));
    EXPECT_EQ(loaded, chosen);
    EXPECT_FALSE(loaded.SettingsInvalid);
}

TEST_F(LaunchSettingsTest, StoredFormIsWhatTheEngineReads) {
    LaunchSettings s = chosenSettings();
    s.GraphicsSettings.AdapterOrdinal = 0;
    ASSERT_TRUE(saveSettings(s, d3d));
    EXPECT_EQ(readRaw(L"", L"ShowSettingsAtLaunch"), dwordValue(1));
    EXPECT_EQ(readRaw(kGraphicsSubkey, L"DeviceIdentifier"), (Value{REG_SZ, szBytes(kCard0Text)}));
    EXPECT_EQ(readRaw(kGraphicsSubkey, L"Width"), dwordValue(1600));
    EXPECT_EQ(readRaw(kGraphicsSubkey, L"BackBufferCount"), dwordValue(2));
    EXPECT_EQ(readRaw(kSoundSubkey, L"SoundSampleRate"), dwordValue(44100));
    EXPECT_EQ(snapshot().size(), 1u + 15u + 4u);

    s.GraphicsSettings.TripleBuffer = false;
    s.SoundSettings.SoundOutput = -1;
    ASSERT_TRUE(saveSettings(s, d3d));
    EXPECT_EQ(readRaw(kGraphicsSubkey, L"BackBufferCount"), dwordValue(1));
    EXPECT_EQ(readRaw(kSoundSubkey, L"SoundOutput"), dwordValue(0xFFFFFFFF));
    LaunchSettings loaded;
    loaded.SoundSettings.SoundOutput = 7;
    ASSERT_TRUE(load(loaded));
    EXPECT_EQ(loaded.SoundSettings.SoundOutput, -1);
}

TEST_F(LaunchSettingsTest, NonzeroCountsAsOnAndIsSavedBackCanonical) {
    storeChosen();
    writeDword(kGraphicsSubkey, L"BackBufferCount", 3);
    writeDword(kGraphicsSubkey, L"VSync", 5);
    LaunchSettings s;
    ASSERT_TRUE(load(s));
    EXPECT_TRUE(s.GraphicsSettings.TripleBuffer);
    EXPECT_TRUE(s.GraphicsSettings.VSync);
    ASSERT_TRUE(saveSettings(s, d3d));
    EXPECT_EQ(readRaw(kGraphicsSubkey, L"BackBufferCount"), dwordValue(2));
    EXPECT_EQ(readRaw(kGraphicsSubkey, L"VSync"), dwordValue(1));
}

TEST_F(LaunchSettingsTest, OptionalValuesMissingTurnTheirSwitchesOff) {
    storeChosen();
    for (const wchar_t* name : {L"ATiA2CEnable", L"NVTrSSEnable", L"NVTrMSEnable", L"BackBufferCount"})
        removeValue(kGraphicsSubkey, name);
    LaunchSettings s = chosenSettings();
    EXPECT_TRUE(load(s));
    EXPECT_FALSE(s.GraphicsSettings.ATiA2CEnable || s.GraphicsSettings.NVTrSSEnable ||
                 s.GraphicsSettings.NVTrMSEnable || s.GraphicsSettings.TripleBuffer);
    EXPECT_FALSE(s.SettingsInvalid);
}

TEST_F(LaunchSettingsTest, GlowEnableIsRequired) {
    storeChosen();
    removeValue(kGraphicsSubkey, L"GlowEnable");
    LaunchSettings s;
    EXPECT_FALSE(load(s));
    EXPECT_FALSE(s.GraphicsSettings.GlowEnable);
    EXPECT_EQ(s.SoundSettings.SoundSampleRate, 44100) << "reading goes on after a missing value";

    writeRaw(kGraphicsSubkey, L"GlowEnable", REG_SZ, szBytes(L"1"));
    LaunchSettings t;
    EXPECT_FALSE(load(t));
    EXPECT_FALSE(t.GraphicsSettings.GlowEnable);
}

TEST_F(LaunchSettingsTest, DeviceIdentifierMustMatchTheStoredAdapter) {
    LaunchSettings s = chosenSettings();
    s.GraphicsSettings.AdapterOrdinal = 0;
    ASSERT_TRUE(saveSettings(s, d3d));

    std::wstring lower = kCard0Text;
    for (wchar_t& c : lower) c = static_cast<wchar_t>(towlower(c));
    writeRaw(kGraphicsSubkey, L"DeviceIdentifier", REG_SZ, szBytes(lower));
    LaunchSettings loaded;
    EXPECT_TRUE(load(loaded)) << "every value was read";
    EXPECT_TRUE(loaded.SettingsInvalid) << "lower case is another identifier";

    // The first card's identifier stored with the second card's ordinal.
    writeRaw(kGraphicsSubkey, L"DeviceIdentifier", REG_SZ, szBytes(kCard0Text));
    writeDword(kGraphicsSubkey, L"AdapterOrdinal", 1);
    LaunchSettings other;
    EXPECT_TRUE(load(other));
    EXPECT_TRUE(other.SettingsInvalid);

    // An adapter that is gone: nothing to compare with.
    writeDword(kGraphicsSubkey, L"AdapterOrdinal", 5);
    LaunchSettings gone;
    EXPECT_TRUE(load(gone));
    EXPECT_FALSE(gone.SettingsInvalid);
    EXPECT_EQ(gone.GraphicsSettings.AdapterOrdinal, 5u);

    // Already judged invalid: stays so, whatever the identifier.
    writeDword(kGraphicsSubkey, L"AdapterOrdinal", 0);
    LaunchSettings judged;
    judged.SettingsInvalid = true;
    EXPECT_TRUE(load(judged));
    EXPECT_TRUE(judged.SettingsInvalid);
}

TEST_F(LaunchSettingsTest, SaveLeavesUnknownValuesAlone) {
    writeDword(L"", L"InstallLanguage", 7);
    writeRaw(kGraphicsSubkey, L"EngineCache", REG_SZ, szBytes(L"keep me"));
    writeDword(kSoundSubkey, L"Volume", 80);
    storeChosen();
    LaunchSettings s;
    EXPECT_TRUE(load(s));
    EXPECT_EQ(readRaw(L"", L"InstallLanguage"), dwordValue(7));
    EXPECT_EQ(readRaw(kGraphicsSubkey, L"EngineCache"), (Value{REG_SZ, szBytes(L"keep me")}));
    EXPECT_EQ(readRaw(kSoundSubkey, L"Volume"), dwordValue(80));
}

TEST_F(LaunchSettingsTest, MissingSubkeysFailTheLoadButTheRestIsRead) {
    storeChosen();
    RegDeleteTreeW(HKEY_CURRENT_USER, keyPath(kGraphicsSubkey).c_str());
    LaunchSettings s;
    EXPECT_FALSE(load(s));
    EXPECT_TRUE(s.ShowSettingsAtLaunch);
    EXPECT_EQ(s.GraphicsSettings, GraphicsSettings{});
    EXPECT_EQ(s.SoundSettings, chosenSettings().SoundSettings);

    storeChosen();
    RegDeleteTreeW(HKEY_CURRENT_USER, keyPath(kSoundSubkey).c_str());
    LaunchSettings t;
    EXPECT_FALSE(load(t));
    EXPECT_EQ(t.GraphicsSettings, chosenSettings().GraphicsSettings);
    EXPECT_EQ(t.SoundSettings, SoundSettings{});
}

TEST_F(LaunchSettingsTest, UnknownAdapterFailsTheSaveButEverythingElseIsWritten) {
    LaunchSettings s = chosenSettings();
    s.GraphicsSettings.AdapterOrdinal = 4;
    EXPECT_FALSE(saveSettings(s, d3d));
    EXPECT_EQ(readRaw(kGraphicsSubkey, L"DeviceIdentifier").type, static_cast<DWORD>(REG_NONE));
    EXPECT_EQ(readRaw(kGraphicsSubkey, L"AdapterOrdinal"), dwordValue(4));
    EXPECT_EQ(readRaw(kSoundSubkey, L"SoundDriver"), dwordValue(2));
}

TEST_F(LaunchSettingsTest, SoundKeyThatCannotBeOpenedFailsTheSave) {
    // A volatile settings key with a volatile "Graphics": the stored "Sound" key can then be
    // neither opened (it is not there) nor created (a stored key cannot live under a volatile one).
    for (const wchar_t* subkey : {L"", kGraphicsSubkey}) {
        win::CRegKey key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, keyPath(subkey).c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                                  KEY_WRITE, nullptr, key.put(), nullptr),
                  ERROR_SUCCESS);
    }
    {
        win::CRegKey probe;
        ASSERT_NE(RegCreateKeyExW(HKEY_CURRENT_USER, keyPath(kSoundSubkey).c_str(), 0, nullptr,
                                  REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, probe.put(), nullptr),
                  ERROR_SUCCESS);
    }

    EXPECT_FALSE(saveSettings(chosenSettings(), d3d));
    EXPECT_EQ(readRaw(L"", L"ShowSettingsAtLaunch"), dwordValue(1));
    EXPECT_EQ(readRaw(kGraphicsSubkey, L"NVTrMSEnable"), dwordValue(1)) << "the graphics values are all written";
    EXPECT_EQ(readRaw(kGraphicsSubkey, L"DeviceIdentifier").type, static_cast<DWORD>(REG_SZ));
}

// Each stored value spoiled in turn: the load fails when the value is required, the field keeps
// what it had, the rest is read, and the registry is not touched.
struct StoredValue {
    const wchar_t* subkey;
    const wchar_t* name;
    bool required;
    std::function<void(LaunchSettings& to, const LaunchSettings& from)> copyField;
};

#define FIELD(path) [](LaunchSettings& to, const LaunchSettings& from) { to.path = from.path; }

const std::vector<StoredValue>& storedValues() {
    static const std::vector<StoredValue> values = {
        {L"", L"ShowSettingsAtLaunch", true, FIELD(ShowSettingsAtLaunch)},
        {kGraphicsSubkey, L"AdapterOrdinal", true, FIELD(GraphicsSettings.AdapterOrdinal)},
        {kGraphicsSubkey, L"AdapterFormat", true, FIELD(GraphicsSettings.AdapterFormat)},
        {kGraphicsSubkey, L"Width", true, FIELD(GraphicsSettings.Width)},
        {kGraphicsSubkey, L"Height", true, FIELD(GraphicsSettings.Height)},
        {kGraphicsSubkey, L"RefreshRate", true, FIELD(GraphicsSettings.RefreshRate)},
        {kGraphicsSubkey, L"SurfaceFormat", true, FIELD(GraphicsSettings.SurfaceFormat)},
        {kGraphicsSubkey, L"MultiSampleType", true, FIELD(GraphicsSettings.MultiSampleType)},
        {kGraphicsSubkey, L"MultiSampleQuality", true, FIELD(GraphicsSettings.MultiSampleQuality)},
        {kGraphicsSubkey, L"VSync", true, FIELD(GraphicsSettings.VSync)},
        {kGraphicsSubkey, L"BackBufferCount", false, FIELD(GraphicsSettings.TripleBuffer)},
        {kGraphicsSubkey, L"GlowEnable", true, FIELD(GraphicsSettings.GlowEnable)},
        {kGraphicsSubkey, L"ATiA2CEnable", false, FIELD(GraphicsSettings.ATiA2CEnable)},
        {kGraphicsSubkey, L"NVTrSSEnable", false, FIELD(GraphicsSettings.NVTrSSEnable)},
        {kGraphicsSubkey, L"NVTrMSEnable", false, FIELD(GraphicsSettings.NVTrMSEnable)},
        {kSoundSubkey, L"SoundOutput", true, FIELD(SoundSettings.SoundOutput)},
        {kSoundSubkey, L"SoundDriver", true, FIELD(SoundSettings.SoundDriver)},
        {kSoundSubkey, L"SoundSpeakerMode", true, FIELD(SoundSettings.SoundSpeakerMode)},
        {kSoundSubkey, L"SoundSampleRate", true, FIELD(SoundSettings.SoundSampleRate)},
    };
    return values;
}

TEST_F(LaunchSettingsTest, NumberStoredWithWrongTypeOrSizeIsNotRead) {
    const std::vector<std::pair<const char*, Value>> spoilers = {
        {"REG_BINARY of 2 bytes", {REG_BINARY, std::string("\x01\x00", 2)}},
        {"REG_BINARY of 4 bytes", {REG_BINARY, dwordBytes(1)}},
        {"REG_DWORD of 2 bytes", {REG_DWORD, std::string("\x01\x00", 2)}},
        {"REG_QWORD", {REG_QWORD, dwordBytes(1) + dwordBytes(0)}},
        {"REG_SZ", {REG_SZ, szBytes(L"1")}},
        {"REG_MULTI_SZ", {REG_MULTI_SZ, szBytes(L"1") + std::string(2, '\0')}},
    };
    const LaunchSettings defaults;
    for (const StoredValue& value : storedValues()) {
        for (const auto& [what, spoiled] : spoilers) {
            SCOPED_TRACE(narrow(value.name) + " as " + what);
            const LaunchSettings chosen = storeChosen();
            writeRaw(value.subkey, value.name, spoiled.type, spoiled.bytes);
            const auto before = snapshot();

            LaunchSettings loaded;
            EXPECT_EQ(load(loaded), !value.required);
            LaunchSettings expected = chosen;
            value.copyField(expected, defaults);
            // Without its own ordinal the identifier is compared with adapter 0's, which differs.
            if (value.name == std::wstring(L"AdapterOrdinal")) expected.SettingsInvalid = true;
            EXPECT_EQ(loaded, expected);
            EXPECT_TRUE(snapshot() == before) << "loading wrote to the registry";
        }
    }
}

TEST_F(LaunchSettingsTest, DeviceIdentifierThatIsNoStringIsNotRead) {
    const std::vector<std::pair<const char*, Value>> spoilers = {
        {"1,000 characters", {REG_SZ, szBytes(std::wstring(1000, L'A'))}},
        {"unterminated", {REG_NONE, std::string()}},
        {"odd byte count", {REG_SZ, szBytes(card1Text()) + "x"}},
        {"empty", {REG_SZ, std::string()}},
        {"REG_MULTI_SZ", {REG_MULTI_SZ, szBytes(card1Text()) + std::string(2, '\0')}},
        {"REG_DWORD", {REG_DWORD, dwordBytes(0)}},
        {"REG_BINARY", {REG_BINARY, szBytes(card1Text())}},
    };
    for (const auto& [what, spoiled] : spoilers) {
        SCOPED_TRACE(what);
        const LaunchSettings chosen = storeChosen();
        if (spoiled.type == REG_NONE) {
            writeUnterminated(kGraphicsSubkey, L"DeviceIdentifier", card1Text());
            ASSERT_EQ(readRaw(kGraphicsSubkey, L"DeviceIdentifier").bytes, wideBytes(card1Text()));
        } else {
            writeRaw(kGraphicsSubkey, L"DeviceIdentifier", spoiled.type, spoiled.bytes);
        }
        const auto before = snapshot();
        LaunchSettings loaded;
        EXPECT_FALSE(load(loaded));
        EXPECT_FALSE(loaded.SettingsInvalid) << "nothing was compared";
        EXPECT_EQ(loaded, chosen) << "every other value was read";
        EXPECT_TRUE(snapshot() == before);
    }
    // The stored text expands to nothing else: REG_EXPAND_SZ is read like REG_SZ.
    storeChosen();
    writeRaw(kGraphicsSubkey, L"DeviceIdentifier", REG_EXPAND_SZ, szBytes(card1Text()));
    LaunchSettings loaded;
    EXPECT_TRUE(load(loaded));
    EXPECT_FALSE(loaded.SettingsInvalid);
}

// Wine's own Direct3D: the identifier written is the one its adapter reports.
TEST(LaunchSettingsDirect3D, RoundTripWithTheSystemsAdapter) {
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    const win::CComPtr<IDirect3D9> d3d(Direct3DCreate9(D3D_SDK_VERSION));
    ASSERT_TRUE(d3d);
    D3DADAPTER_IDENTIFIER9 id{};
    ASSERT_EQ(d3d->GetAdapterIdentifier(0, 0, &id), D3D_OK);
    wchar_t expected[40] = {};
    ASSERT_EQ(StringFromGUID2(id.DeviceIdentifier, expected, 40), 39);

    LaunchSettings chosen;
    applyDesktopModeDefault(chosen.GraphicsSettings, *d3d.get());
    D3DDISPLAYMODE desktop{};
    ASSERT_EQ(d3d->GetAdapterDisplayMode(0, &desktop), D3D_OK);
    EXPECT_EQ(chosen.GraphicsSettings.Width, desktop.Width < 800 ? 800 : desktop.Width);
    chosen.GraphicsSettings.GlowEnable = true;
    chosen.SoundSettings.SoundOutput = 1;
    ASSERT_TRUE(saveSettings(chosen, *d3d.get()));
    EXPECT_EQ(readRaw(kGraphicsSubkey, L"DeviceIdentifier"), (Value{REG_SZ, szBytes(expected)}));

    LaunchSettings loaded;
    EXPECT_TRUE(loadSettings(loaded, *d3d.get()));
    EXPECT_EQ(loaded, chosen);
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
}
