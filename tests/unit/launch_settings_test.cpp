// The stored settings: their defaults, their registry coding and what a damaged value does.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <functional>
#include <future>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "config/launch_settings.h"
#include "support/fake_d3d9.h"

namespace {

constexpr GUID kCard0 = {0xD7B71E3E, 0x4C86, 0x11CF, {0x4E, 0x68, 0x7E, 0x2B, 0xBD, 0xC2, 0xCB, 0x35}};
const std::wstring kCard0Text = L"{D7B71E3E-4C86-11CF-4E68-7E2BBDC2CB35}";

// A stored value as the registry holds it: type and bytes.
using Value = std::pair<DWORD, std::string>;
std::string bytes(const void* p, size_t n) { return std::string(static_cast<const char*>(p), n); }
Value dword(DWORD v) { return {REG_DWORD, bytes(&v, 4)}; }
Value sz(const std::wstring& s, DWORD type = REG_SZ) { return {type, bytes(s.c_str(), (s.size() + 1) * 2)}; }

std::wstring path(const std::wstring& subkey) { return subkey.empty() ? kSettingsKey : kSettingsKey + (L"\\" + subkey); }
// Writes size bytes of the value (all when not given); the data may go on beyond size, so that the
// registry cannot take a terminator the caller did not count.
void put(const std::wstring& subkey, const std::wstring& name, const Value& v, size_t size = std::string::npos,
         DWORD options = 0) {
    win::CRegKey key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path(subkey).c_str(), 0, nullptr, options, KEY_WRITE, nullptr,
                              key.put(), nullptr), ERROR_SUCCESS);
    if (name.empty()) return;
    ASSERT_EQ(RegSetValueExW(key.get(), name.c_str(), 0, v.first, reinterpret_cast<const BYTE*>(v.second.data()),
                             static_cast<DWORD>(std::min(size, v.second.size()))), ERROR_SUCCESS);
}

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
        d3d.add().setName("Second card", GUID{0xA1B2C3D4, 0xE5F6, 0xABCD, {1}});
    }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey); }
    LaunchSettings store(LaunchSettings s = chosen()) {
        EXPECT_TRUE(saveSettings(s, d3d));
        return s;
    }
    bool load(LaunchSettings& into) { return loadSettings(into, d3d); }
};

// Swaps this program's import of a registry call, found by name, with `other`; twice gives it back.
void swapImport(const char* name, void*& other) {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const DWORD imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports); d->Name; ++d) {
        auto* slot = reinterpret_cast<void**>(base + d->FirstThunk);
        for (auto* n = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk); n->u1.AddressOfData; ++n, ++slot)
            if (!IMAGE_SNAP_BY_ORDINAL(n->u1.Ordinal) &&
                std::string(reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + n->u1.AddressOfData)->Name) == name) {
                DWORD was;
                VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &was);
                std::swap(*slot, other);
                VirtualProtect(slot, sizeof *slot, was, &was);
                return;
            }
    }
    FAIL() << name << " is not imported";
}

// While it lives, the registry takes only the first `budget` writes and deletions of values, as
// if the process had been killed after them; `midway` runs once, right after the first write.
class CutShort {
public:
    explicit CutShort(int budget, std::function<void()> midway = {}) {
        s_budget = budget, s_made = 0, s_midway = std::move(midway), swap();
    }
    ~CutShort() { swap(); }
    static int made() { return s_made; }

private:
    static LONG WINAPI set(HKEY k, LPCWSTR n, DWORD r, DWORD t, const BYTE* d, DWORD c) {
        const LONG result = ++s_made > s_budget ? ERROR_ACCESS_DENIED
                                                : reinterpret_cast<decltype(&RegSetValueExW)>(s_set)(k, n, r, t, d, c);
        if (const auto midway = std::exchange(s_midway, nullptr)) midway();
        return result;
    }
    static LONG WINAPI remove(HKEY k, LPCWSTR n) {
        return ++s_made > s_budget ? ERROR_ACCESS_DENIED : reinterpret_cast<decltype(&RegDeleteValueW)>(s_delete)(k, n);
    }
    static void swap() { swapImport("RegSetValueExW", s_set), swapImport("RegDeleteValueW", s_delete); }
    // The stand-ins while the registry's own calls are in place, the registry's own while cut.
    static inline void* s_set = reinterpret_cast<void*>(&set);
    static inline void* s_delete = reinterpret_cast<void*>(&remove);
    static inline int s_budget, s_made;
    static inline std::function<void()> s_midway;
};

struct FakeSpeakers : ISpeakerConfigSource {
    bool ok = true;
    DWORD config = 0;
    bool speakerConfig(DWORD& c) override { return c = config, ok; }
};

}  // namespace

TEST(LaunchSettingsDefaults, DesktopModeOfAdapterZeroRaisedTo800x600AndSpeakersFromTheConfiguration) {
    fake::Direct3D9 d3d;
    d3d.add().desktop = {640, 720, 72, D3DFMT_R5G6B5};
    GraphicsSettings g;
    applyDesktopModeDefault(g, d3d);
    EXPECT_EQ(std::vector<UINT>({g.Width, g.Height, g.RefreshRate, g.SurfaceFormat}),
              std::vector<UINT>({800, 720, 72, D3DFMT_R5G6B5}));
    d3d.adapters[0].desktop = {1280, 480, 60, D3DFMT_X8R8G8B8};
    applyDesktopModeDefault(g, d3d);
    EXPECT_EQ(std::vector<UINT>({g.Width, g.Height}), std::vector<UINT>({1280, 600}));
    d3d.adapters[0].desktopResult = D3DERR_NOTAVAILABLE;
    applyDesktopModeDefault(g, d3d);
    EXPECT_EQ(std::vector<UINT>({g.Width, g.Height, g.RefreshRate}), std::vector<UINT>({1024, 768, 0}));

    // Direct out, headphones, mono, quad, stereo, surround, 5.1, 7.1, and one the list lacks.
    const int expected[] = {0, 1, 2, 3, 4, 5, 5, 5, 4};
    FakeSpeakers speakers;
    for (DWORD low = 0; low <= 8; ++low) {
        SoundSettings sound;
        speakers.config = DSSPEAKER_COMBINED(low, DSSPEAKER_GEOMETRY_WIDE);
        applySpeakerModeDefault(sound, speakers);
        EXPECT_EQ(sound.SoundSpeakerMode, expected[low]) << "low byte " << low;
    }
}

TEST_F(LaunchSettingsTest, FirstStartLoadsNothingThenTheRoundTripKeepsEveryFieldTheCodingsAndTheAdapter) {
    LaunchSettings s = chosen();
    EXPECT_FALSE(load(s));
    EXPECT_EQ(s, chosen());
    EXPECT_TRUE(stored().empty());

    LaunchSettings t = store();
    ASSERT_TRUE(load(s = {}));
    EXPECT_EQ(s, t);
    EXPECT_EQ(stored().at(L"Graphics\\BackBufferCount"), dword(2));
    EXPECT_EQ(stored().at(L"Graphics\\VSync"), dword(1));
    t.GraphicsSettings.AdapterOrdinal = 0;
    t.GraphicsSettings.TripleBuffer = false;
    t.SoundSettings.SoundOutput = -1;
    put(L"", L"InstallLanguage", dword(7));  // another program's value: kept
    store(t);
    const auto all = stored();
    EXPECT_EQ(all.size(), 21u) << "the launcher's twenty and the other program's one";
    EXPECT_EQ(all.at(L"Graphics\\DeviceIdentifier"), sz(kCard0Text));
    EXPECT_EQ(all.at(L"Graphics\\BackBufferCount"), dword(1));
    EXPECT_EQ(all.at(L"Sound\\SoundOutput"), dword(0xFFFFFFFF));
    ASSERT_TRUE(load(s = {}));
    EXPECT_EQ(s, t);
    put(kGraphicsSubkey, L"BackBufferCount", dword(3));
    put(kGraphicsSubkey, L"VSync", dword(5));
    ASSERT_TRUE(load(s = {}));
    EXPECT_TRUE(s.GraphicsSettings.TripleBuffer && s.GraphicsSettings.VSync);

    // The stored identifier is adapter 0's: it must be that of the stored adapter.
    put(kGraphicsSubkey, L"AdapterOrdinal", dword(1));
    EXPECT_TRUE(load(s = {}) && s.SettingsInvalid) << "another card's";
    put(kGraphicsSubkey, L"AdapterOrdinal", dword(5));
    EXPECT_TRUE(load(s = {}) && !s.SettingsInvalid) << "an adapter that is gone is not compared";
}

// Each stored value spoiled in turn must count as missing: the load fails unless the value is
// optional, the rest is read all the same, and loading writes nothing.
TEST_F(LaunchSettingsTest, AValueOfWrongTypeOrSizeCountsAsMissing) {
    const std::set<std::wstring> optional = {L"Graphics\\BackBufferCount", L"Graphics\\ATiA2CEnable",
                                             L"Graphics\\NVTrSSEnable", L"Graphics\\NVTrMSEnable"};
    // Of another type but the size of a number; a number too short; a string too long for the
    // identifier; an identifier without its terminator (cut before XX).
    const std::vector<Value> spoilers = {{REG_BINARY, std::string("\x01\x00\x00\x00", 4)},
                                         {REG_DWORD, std::string("\x01\x00", 2)}, sz(std::wstring(1000, L'A')),
                                         sz(L"{A1B2C3D4-E5F6-ABCD-0100-000000000000}XX")};
    store();
    for (const auto& [where, value] : stored()) {
        const std::wstring subkey = where.substr(0, where.find(L'\\')), name = where.substr(where.find(L'\\') + 1);
        store();
        RegDeleteKeyValueW(HKEY_CURRENT_USER, path(subkey).c_str(), name.c_str());
        LaunchSettings missing;
        EXPECT_EQ(load(missing), optional.count(where) > 0) << std::string(where.begin(), where.end());
        for (size_t i = 0; i < spoilers.size(); ++i) {
            store();
            put(subkey, name, spoilers[i], i + 1 == spoilers.size() ? 38 * sizeof(wchar_t) : std::string::npos);
            const auto before = stored();
            LaunchSettings spoiled;
            EXPECT_EQ(load(spoiled), optional.count(where) > 0) << std::string(where.begin(), where.end()) << i;
            EXPECT_EQ(spoiled, missing) << std::string(where.begin(), where.end()) << i;
            EXPECT_TRUE(stored() == before);
        }
    }
}

// Killed anywhere in a save, the next start finds the old set, the new one, or knows that what it
// finds is incomplete: never a mixture taken for settings; and a save cut short says so.
TEST_F(LaunchSettingsTest, ASaveCutShortAnywhereLeavesTheOldSetTheNewOneOrAnIncompleteOne) {
    const LaunchSettings older;  // every field other than chosen()'s
    for (int budget = 0;; ++budget) {
        store(older);
        bool whole;
        {
            const CutShort cut(budget);
            whole = saveSettings(chosen(), d3d);
        }
        LaunchSettings loaded;
        EXPECT_TRUE(!load(loaded) || loaded == older || loaded == chosen()) << "cut after " << budget;
        if (CutShort::made() <= budget) {
            EXPECT_TRUE(whole && loaded == chosen());
            break;
        }
        EXPECT_FALSE(whole) << "cut after " << budget << ", reported whole";
    }
}

// Another copy that loads or saves while a save runs waits for it: it neither reads the set half
// written nor takes the mark away from under it. A mark already gone at the end (taken by the
// player, or an older launcher that takes no lock) does not fail a save whose own writes all
// succeeded. A thread stands in for the other copy: the lock is the system's, and holds back a
// thread as it does a process.
TEST_F(LaunchSettingsTest, AnotherCopyLoadingOrSavingWaitsForAWholeSave) {
    LaunchSettings theirs = chosen(), seen;
    theirs.SoundSettings.SoundSampleRate = 48000;
    std::future<bool> copy;
    {
        const CutShort cut(INT_MAX, [&] {
            copy = std::async(std::launch::async, [&] { return load(seen) && saveSettings(theirs, d3d); });
            // Time enough for the other copy to finish, unless it is held back.
            copy.wait_for(std::chrono::milliseconds(500));
        });
        EXPECT_TRUE(saveSettings(chosen(), d3d)) << "the other copy took the mark away";
        EXPECT_TRUE(copy.get());
    }
    EXPECT_EQ(seen, chosen());
    LaunchSettings last;
    EXPECT_TRUE(load(last) && last == theirs);

    const CutShort cut(INT_MAX, [] { RegDeleteKeyValueW(HKEY_CURRENT_USER, kSettingsKey, L"SaveIncomplete"); });
    EXPECT_TRUE(saveSettings(chosen(), d3d));
}
