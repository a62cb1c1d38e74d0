#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "config/launch_settings.h"
#include "support/fake_d3d9.h"

namespace {

constexpr GUID kCard0 = {0xD7B71E3E, 0x4C86, 0x11CF, {0x4E, 0x68, 0x7E, 0x2B, 0xBD, 0xC2, 0xCB, 0x35}};
constexpr GUID kCard1 = {0xA1B2C3D4, 0xE5F6, 0xABCD, {0xEF, 0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD}};
const std::wstring kCard0Text = L"{D7B71E3E-4C86-11CF-4E68-7E2BBDC2CB35}";

// A stored value as the registry holds it: type and bytes.
using Value = std::pair<DWORD, std::string>;
std::string bytes(const void* p, size_t n) { return std::string(static_cast<const char*>(p), n); }
Value dword(DWORD v) { return {REG_DWORD, bytes(&v, 4)}; }
Value sz(const std::wstring& s, DWORD type = REG_SZ) { return {type, bytes(s.c_str(), (s.size() + 1) * 2)}; }

std::wstring path(const wchar_t* subkey) { return *subkey ? std::wstring(kSettingsKey) + L"\\" + subkey : kSettingsKey; }

// Writes size bytes of data; the data may go on beyond size, so that the registry cannot take a
// terminator the caller did not count.
void put(const wchar_t* subkey, const wchar_t* name, DWORD type, const void* data, size_t size) {
    win::CRegKey key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path(subkey).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.put(),
                              nullptr), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key.get(), name, 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size)),
              ERROR_SUCCESS);
}
void put(const wchar_t* subkey, const wchar_t* name, const Value& v) {
    put(subkey, name, v.first, v.second.data(), v.second.size());
}
void drop(const wchar_t* subkey, const wchar_t* name) { RegDeleteKeyValueW(HKEY_CURRENT_USER, path(subkey).c_str(), name); }

// Every value of the three keys, by "subkey\name".
std::map<std::wstring, Value> stored() {
    std::map<std::wstring, Value> all;
    for (const wchar_t* subkey : {L"", kGraphicsSubkey, kSoundSubkey}) {
        win::CRegKey key;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, path(subkey).c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) continue;
        wchar_t name[256];
        BYTE data[4096];
        DWORD type, nameLength = 256, size = sizeof data;
        for (DWORD i = 0; RegEnumValueW(key.get(), i, name, &nameLength, nullptr, &type, data, &size) == ERROR_SUCCESS;
             ++i, nameLength = 256, size = sizeof data)
            all[std::wstring(subkey) + L"\\" + name] = {type, bytes(data, size)};
    }
    return all;
}

// Every field off its default.
LaunchSettings chosen() {
    LaunchSettings s;
    s.ShowSettingsAtLaunch = true;
    s.GraphicsSettings = {1, D3DFMT_X8R8G8B8, 1600, 900, 75, D3DFMT_R5G6B5, 4, 2, true, true, true, true, true, true};
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
    LaunchSettings store(LaunchSettings s = chosen()) {
        EXPECT_TRUE(saveSettings(s, d3d));
        return s;
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
    EXPECT_EQ(std::vector<UINT>({g.Width, g.Height, g.RefreshRate, g.SurfaceFormat}),
              std::vector<UINT>({800, 600, 72, D3DFMT_R5G6B5}));
    d3d.adapters[0].desktop = {1280, 480, 60, D3DFMT_X8R8G8B8};
    applyDesktopModeDefault(g, d3d);
    EXPECT_EQ(std::vector<UINT>({g.Width, g.Height}), std::vector<UINT>({1280, 600}));
    d3d.adapters[0].desktopResult = D3DERR_NOTAVAILABLE;
    applyDesktopModeDefault(g, d3d);
    EXPECT_EQ(std::vector<UINT>({g.Width, g.Height, g.RefreshRate, g.SurfaceFormat}),
              std::vector<UINT>({1024, 768, 0, 0}));
}

TEST(LaunchSettingsDefaults, SpeakerModeFromTheLowByteOfTheSpeakerConfiguration) {
    // Direct out, headphones, mono, quad, stereo, surround, 5.1, 7.1, and one the list lacks.
    const int expected[] = {0, 1, 2, 3, 4, 5, 5, 5, 4};
    FakeSpeakers speakers;
    for (DWORD low = 0; low <= 8; ++low) {
        SoundSettings sound;
        speakers.config = DSSPEAKER_COMBINED(low, DSSPEAKER_GEOMETRY_WIDE);
        applySpeakerModeDefault(sound, speakers);
        EXPECT_EQ(sound.SoundSpeakerMode, expected[low]) << "low byte " << low;
    }
    SoundSettings sound;
    speakers.config = DSSPEAKER_MONO;
    speakers.ok = false;
    applySpeakerModeDefault(sound, speakers);
    EXPECT_EQ(sound.SoundSpeakerMode, kSpeakerStereo) << "unreadable configuration";
}

TEST_F(LaunchSettingsTest, FirstStartLoadsNothingAndCreatesNothing) {
    LaunchSettings s = chosen();
    EXPECT_FALSE(load(s));
    EXPECT_EQ(s, chosen());
    EXPECT_TRUE(stored().empty());
}

TEST_F(LaunchSettingsTest, RoundTripAndStoredCodings) {
    const LaunchSettings s = store();
    LaunchSettings loaded;
    ASSERT_TRUE(load(loaded));
    EXPECT_EQ(loaded, s);

    LaunchSettings t = s;
    t.GraphicsSettings.AdapterOrdinal = 0;
    t.GraphicsSettings.TripleBuffer = false;
    t.SoundSettings.SoundOutput = -1;
    store(t);
    const auto all = stored();
    EXPECT_EQ(all.size(), 20u);
    EXPECT_EQ(all.at(L"Graphics\\DeviceIdentifier"), sz(kCard0Text));
    EXPECT_EQ(all.at(L"Graphics\\BackBufferCount"), dword(1));
    EXPECT_EQ(all.at(L"Sound\\SoundOutput"), dword(0xFFFFFFFF));
    ASSERT_TRUE(load(loaded));
    EXPECT_EQ(loaded.SoundSettings.SoundOutput, -1);

    put(kGraphicsSubkey, L"BackBufferCount", dword(3));
    put(kGraphicsSubkey, L"VSync", dword(5));
    ASSERT_TRUE(load(loaded = {}));
    EXPECT_TRUE(loaded.GraphicsSettings.TripleBuffer && loaded.GraphicsSettings.VSync);
    store(loaded);
    EXPECT_EQ(stored().at(L"Graphics\\BackBufferCount"), dword(2));
    EXPECT_EQ(stored().at(L"Graphics\\VSync"), dword(1));
}

TEST_F(LaunchSettingsTest, MissingOptionalValuesTurnTheirSwitchesOffButGlowIsRequired) {
    store();
    for (const wchar_t* name : {L"ATiA2CEnable", L"NVTrSSEnable", L"NVTrMSEnable", L"BackBufferCount"})
        drop(kGraphicsSubkey, name);
    LaunchSettings s = chosen();
    EXPECT_TRUE(load(s));
    const GraphicsSettings& g = s.GraphicsSettings;
    EXPECT_FALSE(g.ATiA2CEnable || g.NVTrSSEnable || g.NVTrMSEnable || g.TripleBuffer);

    drop(kGraphicsSubkey, L"GlowEnable");
    EXPECT_FALSE(load(s = {}));
    EXPECT_EQ(s.SoundSettings.SoundSampleRate, 44100) << "reading goes on";
    put(kGraphicsSubkey, L"GlowEnable", sz(L"1"));
    EXPECT_FALSE(load(s = {}));
    EXPECT_FALSE(s.GraphicsSettings.GlowEnable);
}

TEST_F(LaunchSettingsTest, DeviceIdentifierMustBeThatOfTheStoredAdapter) {
    LaunchSettings s = chosen();
    s.GraphicsSettings.AdapterOrdinal = 0;
    store(s);
    std::wstring lower = kCard0Text;
    for (wchar_t& c : lower) c = static_cast<wchar_t>(towlower(c));
    put(kGraphicsSubkey, L"DeviceIdentifier", sz(lower));
    EXPECT_TRUE(load(s = {}));
    EXPECT_TRUE(s.SettingsInvalid) << "lower case";

    put(kGraphicsSubkey, L"DeviceIdentifier", sz(kCard0Text));
    put(kGraphicsSubkey, L"AdapterOrdinal", dword(1));
    EXPECT_TRUE(load(s = {}));
    EXPECT_TRUE(s.SettingsInvalid) << "another card's";

    put(kGraphicsSubkey, L"AdapterOrdinal", dword(5));
    EXPECT_TRUE(load(s = {}));
    EXPECT_FALSE(s.SettingsInvalid) << "an adapter that is gone is not compared";
}

TEST_F(LaunchSettingsTest, SaveKeepsUnknownValuesAndGoesOnAfterAFailedKey) {
    put(L"", L"InstallLanguage", dword(7));
    put(kSoundSubkey, L"Volume", dword(80));
    store();
    EXPECT_EQ(stored().at(L"\\InstallLanguage"), dword(7));
    EXPECT_EQ(stored().at(L"Sound\\Volume"), dword(80));

    // A volatile settings key with a volatile "Graphics": a stored "Sound" key can then be
    // neither opened (it is not there) nor created (no stored key under a volatile one).
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    for (const wchar_t* subkey : {L"", kGraphicsSubkey}) {
        win::CRegKey key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path(subkey).c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_WRITE,
                                  nullptr, key.put(), nullptr), ERROR_SUCCESS);
    }
    EXPECT_FALSE(saveSettings(chosen(), d3d));
    EXPECT_EQ(stored().size(), 16u) << "the root and all graphics values are written";
}

// Each stored value spoiled in turn: the load fails when the value is required, that field keeps
// its default, the rest is read, and nothing is written.
TEST_F(LaunchSettingsTest, ValuesOfWrongTypeOrSizeAreNotRead) {
#define FIELD(f) [](LaunchSettings& to) { to.f = LaunchSettings().f; }
    const std::vector<std::tuple<const wchar_t*, const wchar_t*, bool, std::function<void(LaunchSettings&)>>> values = {
        {L"", L"ShowSettingsAtLaunch", true, FIELD(ShowSettingsAtLaunch)},
        // Without its ordinal the identifier is compared with adapter 0's, which differs.
        {kGraphicsSubkey, L"AdapterOrdinal", true,
         [](LaunchSettings& to) { to.GraphicsSettings.AdapterOrdinal = 0, to.SettingsInvalid = true; }},
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
        // Not a terminated string that fits: not read, and nothing compared.
        {kGraphicsSubkey, L"DeviceIdentifier", true, [](LaunchSettings&) {}},
    };
#undef FIELD
    const std::wstring card1 = L"{A1B2C3D4-E5F6-ABCD-EF01-23456789ABCD}XX";
    const std::vector<std::function<void(const wchar_t*, const wchar_t*)>> spoilers = {
        [](auto k, auto n) { put(k, n, REG_BINARY, "\x01\x00", 2); },
        [](auto k, auto n) { put(k, n, REG_DWORD, "\x01\x00", 2); },
        [](auto k, auto n) { put(k, n, REG_QWORD, "\x01\0\0\0\0\0\0\0", 8); },
        [](auto k, auto n) { put(k, n, sz(L"1")); },
        [](auto k, auto n) { put(k, n, sz(std::wstring(L"1\0", 2), REG_MULTI_SZ)); },
        [](auto k, auto n) { put(k, n, sz(std::wstring(1000, L'A'))); },
        [&](auto k, auto n) { put(k, n, REG_SZ, card1.c_str(), (card1.size() - 2) * 2); },  // unterminated
    };
    for (const auto& [subkey, name, required, keepDefault] : values) {
        for (size_t i = 0; i < spoilers.size(); ++i) {
            if (i == 3 && name == std::wstring(L"DeviceIdentifier")) continue;  // a string: compared, not refused
            SCOPED_TRACE(std::string(name, name + wcslen(name)) + ", spoiler " + std::to_string(i));
            LaunchSettings expected = store();
            spoilers[i](subkey, name);
            const auto before = stored();
            LaunchSettings loaded;
            EXPECT_EQ(load(loaded), !required);
            keepDefault(expected);
            EXPECT_EQ(loaded, expected);
            EXPECT_TRUE(stored() == before) << "loading wrote";
        }
    }
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

    LaunchSettings s = chosen();
    s.GraphicsSettings.AdapterOrdinal = 0;
    applyDesktopModeDefault(s.GraphicsSettings, *d3d.get());
    ASSERT_TRUE(saveSettings(s, *d3d.get()));
    EXPECT_EQ(stored().at(L"Graphics\\DeviceIdentifier"), sz(expected));
    LaunchSettings loaded;
    EXPECT_TRUE(loadSettings(loaded, *d3d.get()));
    EXPECT_EQ(loaded, s);
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
}
