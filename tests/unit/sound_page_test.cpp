// The sound page of the real settings dialog against a scripted sound library: the version check,
// what the lists hold, what a selection changes and what Start stores.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "fmod.h"
#include "res/resource.h"
#include "support/scratch_folder.h"
#include "unit/settings_dialog_harness.h"

namespace {

const wchar_t kRoot[] = L"Software\\Tolmira\\Skelvane";
const wchar_t kSoundKey[] = L"Software\\Tolmira\\Skelvane\\Sound";

// A message box of this thread, caught while its modal loop runs and closed again.
struct SeenBox {
    std::wstring text;
    std::wstring caption;
    bool errorIcon = false;
    bool ownedBySettings = false;
    bool ownerVisible = false;
    LRESULT outputsWhenShown = -1;
};

class MessageBoxCatcher {
public:
    MessageBoxCatcher() {
        s_seen = &m_seen;
        m_timer = SetTimer(nullptr, 0, 20, onTimer);
    }
    ~MessageBoxCatcher() {
        KillTimer(nullptr, m_timer);
        s_seen = nullptr;
    }
    const std::vector<SeenBox>& seen() const { return m_seen; }

private:
    static void CALLBACK onTimer(HWND, UINT, UINT_PTR, DWORD) {
        EnumThreadWindows(GetCurrentThreadId(), closeBox, 0);
    }
    static BOOL CALLBACK closeBox(HWND w, LPARAM) {
        wchar_t cls[16] = {};
        GetClassNameW(w, cls, 16);
        const HWND textControl = GetDlgItem(w, 0xFFFF);
        if (std::wstring(cls) != L"#32770" || !textControl || !IsWindowVisible(w)) return TRUE;
        SeenBox box;
        wchar_t text[256] = {};
        GetWindowTextW(textControl, text, 256);
        box.text = text;
        GetWindowTextW(w, text, 256);
        box.caption = text;
        EnumChildWindows(w, findErrorIcon, reinterpret_cast<LPARAM>(&box.errorIcon));
        const HWND owner = GetWindow(w, GW_OWNER);
        box.ownedBySettings = owner && GetDlgItem(owner, IDC_TABS);
        box.ownerVisible = IsWindowVisible(owner) != FALSE;
        if (const HWND outputs = harness::findControl(owner, IDC_SND_OUTPUT))
            box.outputsWhenShown = SendMessageW(outputs, CB_GETCOUNT, 0, 0);
        s_seen->push_back(box);
        PostMessageW(w, WM_COMMAND, IDOK, 0);
        return TRUE;
    }
    static BOOL CALLBACK findErrorIcon(HWND w, LPARAM found) {
        if ((GetWindowLongPtrW(w, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
            reinterpret_cast<HICON>(SendMessageW(w, STM_GETICON, 0, 0)) == LoadIconW(nullptr, IDI_ERROR))
            *reinterpret_cast<bool*>(found) = true;
        return TRUE;
    }

    static std::vector<SeenBox>* s_seen;
    std::vector<SeenBox> m_seen;
    UINT_PTR m_timer = 0;
};
std::vector<SeenBox>* MessageBoxCatcher::s_seen = nullptr;

class SoundPage : public ::testing::Test {
protected:
    fake::Direct3D9 d3d;
    CLocalize localize;
    std::shared_ptr<harness::ScriptedSoundLibrary> sound = std::make_shared<harness::ScriptedSoundLibrary>();

    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, kRoot);
        harness::addPlainAdapter(d3d);
        // A machine with sound: waveOut with two devices, DirectSound with three, A3D without any.
        sound->outputs = {
            {FSOUND_OUTPUT_AUTODETECT, {{"Primary", true, FSOUND_CAPS_HARDWARE}, {"Speakers", true, 0}, {"Headset", true, 0}}},
            {FSOUND_OUTPUT_NOSOUND, {{"NoSound", true, 0}}},
            {FSOUND_OUTPUT_WINMM, {{"Speakers", true, 0}, {"Headset", true, 0}}},
            {FSOUND_OUTPUT_DSOUND, {{"Primary", true, FSOUND_CAPS_HARDWARE}, {"Speakers", true, 0}, {"Headset", true, 0}}},
            {FSOUND_OUTPUT_A3D, {}},
        };
    }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kRoot); }

    std::unique_ptr<CSettingsDialog> dialog() {
        return std::make_unique<CSettingsDialog>(localize, false, harness::fakeServices(d3d, [](UINT) { return L""; }, sound));
    }
    static void start(HWND w) { SendMessageW(w, WM_COMMAND, IDC_START, 0); }

    static void storeSound(const wchar_t* name, DWORD value) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kSoundKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
        RegCloseKey(key);
    }
    // The stored value, or 0xDEADBEEF when it is not there.
    static DWORD stored(const wchar_t* name) {
        DWORD value = 0xDEADBEEF;
        DWORD size = sizeof value;
        RegGetValueW(HKEY_CURRENT_USER, kSoundKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
        return value;
    }
};

TEST_F(SoundPage, Version374IsAcceptedAndAnOlderLibraryEndsTheDialogBeforeItShows) {
    sound->version = 3.74f;
    {
        MessageBoxCatcher boxes;
        bool shown = false;
        EXPECT_EQ(harness::runDialog(*dialog(), [&](HWND w) {
            shown = true;
            EXPECT_EQ(harness::readCombo(w, IDC_SND_OUTPUT).texts.size(), 4u);
        }), kSettingsCancel);
        EXPECT_TRUE(shown);
        EXPECT_TRUE(boxes.seen().empty());
    }

    sound->version = 3.73f;
    MessageBoxCatcher boxes;
    bool shown = false;
    EXPECT_EQ(harness::runDialog(*dialog(), [&](HWND) { shown = true; }), kSettingsCancel);
    EXPECT_FALSE(shown) << "the player sees only the message box";
    ASSERT_EQ(boxes.seen().size(), 1u);
    const SeenBox& box = boxes.seen()[0];
    EXPECT_EQ(box.text, L"Wrong FMod version!");
    EXPECT_EQ(box.caption, L"Error");
    EXPECT_TRUE(box.errorIcon);
    EXPECT_TRUE(box.ownedBySettings);
    EXPECT_FALSE(box.ownerVisible);
    EXPECT_EQ(box.outputsWhenShown, 0);
    HKEY key = nullptr;
    EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, kRoot, 0, KEY_READ, &key), ERROR_SUCCESS) << "nothing saved";
    EXPECT_EQ(sound->setOutputCalls.back(), FSOUND_OUTPUT_NOSOUND);
}

TEST_F(SoundPage, NoUsableOutputLeavesBothListsEmptyAndStoresMinusOne) {
    sound->outputs.clear();
    sound->outputs[FSOUND_OUTPUT_A3D] = {};  // selectable, but without drivers
    storeSound(L"SoundOutput", FSOUND_OUTPUT_DSOUND);
    harness::runDialog(*dialog(), [](HWND w) {
        EXPECT_TRUE(harness::readCombo(w, IDC_SND_OUTPUT).texts.empty());
        EXPECT_EQ(harness::readCombo(w, IDC_SND_OUTPUT).selected, CB_ERR);
        EXPECT_TRUE(harness::readCombo(w, IDC_SND_DRIVER).texts.empty());
        EXPECT_TRUE(harness::isEnabled(w, IDC_START)) << "only the graphics page disables Start";
        start(w);
    });
    EXPECT_EQ(stored(L"SoundOutput"), 0xFFFFFFFFu);
    EXPECT_EQ(stored(L"SoundDriver"), 0xFFFFFFFFu);
}

TEST_F(SoundPage, ChangingTheOutputKeepsTheDriverIndexWhenItExists) {
    std::vector<int> libraryOutputs;
    harness::runDialog(*dialog(), [&](HWND w) {
        harness::select(w, IDC_SND_DRIVER, 2);
        harness::select(w, IDC_SND_OUTPUT, 3);  // Direct Sound: three drivers
        EXPECT_EQ(harness::readCombo(w, IDC_SND_DRIVER).selected, 2);
        libraryOutputs.push_back(sound->current);
        harness::select(w, IDC_SND_OUTPUT, 2);  // waveOut: two drivers, index 2 is gone
        const harness::Combo drivers = harness::readCombo(w, IDC_SND_DRIVER);
        EXPECT_EQ(drivers.texts, (std::vector<std::wstring>{L"Speakers SW ", L"Headset SW "}));
        EXPECT_EQ(drivers.selected, 0);
        libraryOutputs.push_back(sound->current);
        harness::select(w, IDC_SND_DRIVER, 1);
        start(w);
    });
    EXPECT_EQ(libraryOutputs, (std::vector<int>{FSOUND_OUTPUT_DSOUND, FSOUND_OUTPUT_WINMM}))
        << "the chosen output stays selected while the dialog runs";
    EXPECT_EQ(sound->current, FSOUND_OUTPUT_NOSOUND) << "set back to no sound when the window goes";
    EXPECT_EQ(stored(L"SoundOutput"), static_cast<DWORD>(FSOUND_OUTPUT_WINMM));
    EXPECT_EQ(stored(L"SoundDriver"), 1u);

    // Autodetect's value -1 is an entry like any other, not "no selection".
    harness::runDialog(*dialog(), [](HWND w) {
        EXPECT_EQ(harness::readCombo(w, IDC_SND_OUTPUT).selected, 2);
        harness::select(w, IDC_SND_OUTPUT, 0);
        start(w);
    });
    EXPECT_EQ(stored(L"SoundOutput"), 0xFFFFFFFFu);
    EXPECT_EQ(stored(L"SoundDriver"), 1u);
}

TEST_F(SoundPage, SpeakerModeAndSampleRateFromTheStoredValuesOr48000) {
    test::ScratchFolder folder;
    localize = CLocalize(folder.writeLanguage({L"T_SPEAKERMODE_QUAD=Four speakers"}));
    storeSound(L"SoundSpeakerMode", 3);
    storeSound(L"SoundSampleRate", 32000);
    harness::runDialog(*dialog(), [](HWND w) {
        const harness::Combo speakers = harness::readCombo(w, IDC_SND_SPEAKERS);
        ASSERT_EQ(speakers.texts.size(), 6u);
        EXPECT_EQ(speakers.texts[speakers.selected], L"Four speakers");
        const harness::Combo rates = harness::readCombo(w, IDC_SND_FREQ);
        EXPECT_EQ(rates.texts, (std::vector<std::wstring>{L"48000 Hz", L"44100 Hz", L"22050 Hz", L"11025 Hz"}));
        EXPECT_EQ(rates.selected, 0);
        start(w);
    });
    EXPECT_EQ(stored(L"SoundSpeakerMode"), 3u);
    EXPECT_EQ(stored(L"SoundSampleRate"), 48000u);

    harness::runDialog(*dialog(), [](HWND w) {
        harness::select(w, IDC_SND_SPEAKERS, 1);
        harness::select(w, IDC_SND_FREQ, 3);
        start(w);
    });
    EXPECT_EQ(stored(L"SoundSpeakerMode"), 1u);
    EXPECT_EQ(stored(L"SoundSampleRate"), 11025u);
}

}  // namespace
