// The sound page of the real launcher with the sound library that ships beside it, against the
// devices of the sound server the test script starts: what it offers at the first start, what each
// output lists, and what Start and OK store of the player's choices.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include "dialog_driver.h"
#include "e2e.h"

using namespace e2e;

namespace {

constexpr int kStart = 3;
constexpr int kGraphicsAdapter = 1006;
constexpr int kOutput = 1011, kRate = 1012, kDriver = 1013, kSpeakers = 1015;

// The system's devices as the page should list them, "name HW|SW ": waveOut mixes in software; a
// DirectSound device mixes in hardware when it has hardware mixing buffers. Wine's devices have no
// hardware 3D buffers, so none of them offers EAX.
std::vector<std::wstring> waveOutDrivers() {
    std::vector<std::wstring> drivers;
    for (UINT id = 0; id < waveOutGetNumDevs(); ++id) {
        WAVEOUTCAPSW caps{};
        waveOutGetDevCapsW(id, &caps, sizeof caps);
        drivers.push_back(std::wstring(caps.szPname) + L" SW ");
    }
    return drivers;
}
BOOL CALLBACK addDirectSoundDriver(LPGUID guid, LPCWSTR description, LPCWSTR, LPVOID drivers) {
    IDirectSound8* sound = nullptr;
    DSCAPS caps{};
    caps.dwSize = sizeof caps;
    if (SUCCEEDED(DirectSoundCreate8(guid, &sound, nullptr))) {
        sound->GetCaps(&caps);
        sound->Release();
    }
    static_cast<std::vector<std::wstring>*>(drivers)->push_back(
        std::wstring(description) + (caps.dwMaxHwMixingAllBuffers > 0 ? L" HW " : L" SW "));
    return TRUE;
}
std::vector<std::wstring> directSoundDrivers() {
    std::vector<std::wstring> drivers;
    DirectSoundEnumerateW(addDirectSoundDriver, &drivers);
    return drivers;
}

void storeSound(const wchar_t* name, DWORD value) {
    EXPECT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Tolmira\\Skelvane\\Sound", name, REG_DWORD, &value,
                              sizeof value),
              ERROR_SUCCESS);
}

// Wine without its audio driver, as on a machine without a sound server, for the programs started
// while this lives (Wine picks its driver when a program first asks for a device).
class NoAudioDriver {
public:
    NoAudioDriver() {
        EXPECT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"Audio", REG_SZ, L"", sizeof(wchar_t)), ERROR_SUCCESS);
    }
    ~NoAudioDriver() { RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, L"Audio"); }
    NoAudioDriver(const NoAudioDriver&) = delete;
    NoAudioDriver& operator=(const NoAudioDriver&) = delete;

private:
    static constexpr const wchar_t* kKey = L"Software\\Wine\\Drivers";
};

class SoundPage : public ::testing::Test {
protected:
    GameFolder folder;
    std::unique_ptr<Process> process;

    void SetUp() override {
        deleteSettings();
        folder.writeLanguage({L"T_SPEAKERMODE_STEREO=Two speakers", L"T_SPEAKERMODE_HEADPHONES=Headphones",
                              L"T_SNDDEVICE=Output"});
    }
    void TearDown() override {
        process.reset();
        storeValidSettings();
    }
    HWND openSoundPage(const std::wstring& arguments = L"") {
        process = std::make_unique<Process>(folder.file(L"Skelvane.exe"), arguments, folder.path(), engineEnv(folder));
        const HWND dialog = waitForSettingsDialog(process->pid());
        if (!dialog) return nullptr;
        EXPECT_TRUE(selectTab(dialog, 1));
        EXPECT_TRUE(waitFor([&] { return IsWindowVisible(pageWith(dialog, kOutput)) != FALSE; }, 5s));
        EXPECT_FALSE(IsWindowVisible(pageWith(dialog, kGraphicsAdapter)));
        return dialog;
    }
    DWORD exitCode() {
        DWORD code = 99;
        EXPECT_TRUE(process->waitExit(20s, code));
        return code;
    }
};

TEST_F(SoundPage, FirstStartOffersTheSystemsDevicesAndStartStoresTheChoices) {
    const std::vector<std::wstring> waveOut = waveOutDrivers(), directSound = directSoundDrivers();
    ASSERT_GT(waveOut.size(), 1u) << "too few sound devices: the tests need the sound server tools/test.sh starts";
    ASSERT_GT(directSound.size(), 1u);
    const struct {
        std::wstring label;
        LONG_PTR value;
        std::vector<std::wstring> drivers;
    } outputs[] = {{L"Autodetect", -1, directSound},
                   {L"NoSound", 0, {L"NoSound SW "}},
                   {L"Windows Multimedia Waveout", 1, waveOut},
                   {L"Direct Sound", 2, directSound}};

    const HWND dialog = openSoundPage();
    ASSERT_TRUE(dialog);
    const ComboState offered = readCombo(control(dialog, kOutput));
    ASSERT_EQ(offered.texts.size(), std::size(outputs));
    EXPECT_EQ(offered.selected, 0);
    EXPECT_EQ(narrow(windowText(GetDlgItem(pageWith(dialog, kOutput), -1))), "Output") << "labels are translated";
    EXPECT_EQ(narrow(readCombo(control(dialog, kSpeakers)).selectedText()), "Two speakers") << "the sink is stereo";
    EXPECT_EQ(narrow(readCombo(control(dialog, kRate)).selectedText()), "22050 Hz");

    // The first output's drivers are listed at once; each other choice lists its own.
    for (size_t i = 0; i < std::size(outputs); ++i) {
        EXPECT_EQ(offered.texts[i], outputs[i].label);
        EXPECT_EQ(offered.data[i], outputs[i].value);
        if (i > 0) selectComboIndex(control(dialog, kOutput), static_cast<int>(i));
        const ComboState drivers = readCombo(control(dialog, kDriver));
        EXPECT_EQ(drivers.texts, outputs[i].drivers) << narrow(outputs[i].label);
        EXPECT_EQ(drivers.selected, 0) << narrow(outputs[i].label);
    }
    // Another output keeps the driver index while it has that many drivers.
    selectComboIndex(control(dialog, kDriver), 1);
    selectComboIndex(control(dialog, kOutput), 2);
    EXPECT_EQ(readCombo(control(dialog, kDriver)).selected, 1);
    selectComboIndex(control(dialog, kOutput), 3);
    EXPECT_EQ(readCombo(control(dialog, kDriver)).selected, 1);

    const int lastDriver = static_cast<int>(directSound.size()) - 1;
    selectComboIndex(control(dialog, kDriver), lastDriver);
    ASSERT_TRUE(selectComboText(control(dialog, kSpeakers), L"Headphones"));
    ASSERT_TRUE(selectComboText(control(dialog, kRate), L"44100 Hz"));
    clickButton(dialog, kStart);
    const HWND game = waitForWindow(process->pid(), L"Korvex//Class", L"Korvex//Window", 20s);
    ASSERT_TRUE(game);
    EXPECT_EQ(regValue(settingsKey(L"Sound"), L"SoundOutput"), regDword(2));
    EXPECT_EQ(regValue(settingsKey(L"Sound"), L"SoundDriver"), regDword(static_cast<DWORD>(lastDriver)));
    EXPECT_EQ(regValue(settingsKey(L"Sound"), L"SoundSpeakerMode"), regDword(1));
    EXPECT_EQ(regValue(settingsKey(L"Sound"), L"SoundSampleRate"), regDword(44100));
    PostMessageW(game, WM_CLOSE, 0, 0);
    EXPECT_EQ(exitCode(), 0u);

    // The next time the page shows what was stored.
    const HWND again = openSoundPage(L"-s");
    ASSERT_TRUE(again);
    EXPECT_EQ(readCombo(control(again, kOutput)).selectedText(), L"Direct Sound");
    EXPECT_EQ(readCombo(control(again, kDriver)).selected, lastDriver);
    EXPECT_EQ(narrow(readCombo(control(again, kSpeakers)).selectedText()), "Headphones");
    EXPECT_EQ(narrow(readCombo(control(again, kRate)).selectedText()), "44100 Hz");
    clickButton(again, IDCANCEL);
    EXPECT_EQ(exitCode(), 1u);
}

// A driver stored for a device that has gone since: the first driver is shown and stored.
TEST_F(SoundPage, StoredDriverBeyondTheListFallsBackToTheFirst) {
    const size_t count = directSoundDrivers().size();
    ASSERT_GT(count, 0u);
    storeValidSettings();
    storeSound(L"SoundOutput", 2);
    storeSound(L"SoundDriver", static_cast<DWORD>(count));
    const HWND dialog = openSoundPage(L"-s");
    ASSERT_TRUE(dialog);
    EXPECT_EQ(readCombo(control(dialog, kOutput)).selectedText(), L"Direct Sound");
    EXPECT_EQ(readCombo(control(dialog, kDriver)).selected, 0);
    clickButton(dialog, IDOK);
    EXPECT_EQ(exitCode(), 1u);
    EXPECT_EQ(regValue(settingsKey(L"Sound"), L"SoundDriver"), regDword(0));
}

// Without any device only "NoSound" is offered, so the first entry stands in for Autodetect and is
// what gets stored; DirectSound cannot be created, so the speaker mode stays stereo.
TEST_F(SoundPage, WithoutDevicesOnlyNoSoundIsOffered) {
    const NoAudioDriver noDevices;
    const HWND dialog = openSoundPage();
    ASSERT_TRUE(dialog);
    const ComboState outputs = readCombo(control(dialog, kOutput));
    EXPECT_EQ(outputs.texts, std::vector<std::wstring>{L"NoSound"});
    EXPECT_EQ(outputs.selected, 0);
    EXPECT_EQ(readCombo(control(dialog, kDriver)).texts, std::vector<std::wstring>{L"NoSound SW "});
    EXPECT_EQ(narrow(readCombo(control(dialog, kSpeakers)).selectedText()), "Two speakers");
    clickButton(dialog, IDOK);
    EXPECT_EQ(exitCode(), 1u);
    EXPECT_EQ(regValue(settingsKey(L"Sound"), L"SoundOutput"), regDword(0));
}

}  // namespace
