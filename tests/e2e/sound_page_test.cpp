// The sound page of the real launcher with the sound library that ships beside it, against the
// devices of the sound server the test script starts: what it offers at the first start and what
// each output lists.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include "e2e.h"

using namespace e2e;

namespace {

using Texts = std::vector<std::wstring>;
constexpr int kOutput = 1011, kRate = 1012, kDriver = 1013, kSpeakers = 1015;

// The system's devices as the page should list them, "name HW|SW ": waveOut mixes in software; a
// DirectSound device mixes in hardware when it has hardware mixing buffers. Wine's devices have no
// hardware 3D buffers, so none of them offers EAX.
BOOL CALLBACK addDirectSoundDriver(LPGUID guid, LPCWSTR description, LPCWSTR, LPVOID drivers) {
    IDirectSound8* sound = nullptr;
    DSCAPS caps{};
    caps.dwSize = sizeof caps;
    if (SUCCEEDED(DirectSoundCreate8(guid, &sound, nullptr))) {
        sound->GetCaps(&caps);
        sound->Release();
    }
    static_cast<Texts*>(drivers)->push_back(
        std::wstring(description) + (caps.dwMaxHwMixingAllBuffers > 0 ? L" HW " : L" SW "));
    return TRUE;
}

class SoundPage : public FirstStartTest {
protected:
    // The settings dialog with its sound page in front, reached as the player does: the arrow key
    // on the tabs.
    HWND openSoundPage() {
        const HWND dialog = openDialog();
        if (!dialog) return nullptr;
        PostMessageW(GetDlgItem(dialog, kTabs), WM_KEYDOWN, VK_RIGHT, 0);
        const HWND soundPage = GetParent(ui::find(dialog, kOutput));
        EXPECT_TRUE(waitFor([&] { return IsWindowVisible(soundPage) != FALSE; }, 5s));
        return dialog;
    }
    static std::wstring selected(HWND dialog, int id) { return ui::readCombo(dialog, id).selectedText(); }
};

TEST_F(SoundPage, FirstStartOffersTheSystemsDevices) {
    Texts waveOut, directSound;
    for (UINT id = 0; id < waveOutGetNumDevs(); ++id) {
        WAVEOUTCAPSW caps{};
        waveOutGetDevCapsW(id, &caps, sizeof caps);
        waveOut.push_back(std::wstring(caps.szPname) + L" SW ");
    }
    DirectSoundEnumerateW(addDirectSoundDriver, &directSound);
    ASSERT_GT(waveOut.size(), 1u) << "too few sound devices: the tests need tools/test.sh's sound server";
    ASSERT_GT(directSound.size(), 1u);
    const HWND dialog = openSoundPage();
    ASSERT_TRUE(dialog);
    const ui::Combo offered = ui::readCombo(dialog, kOutput);
    ASSERT_EQ(offered.texts,
              (Texts{L"Autodetect", L"NoSound", L"Windows Multimedia Waveout", L"Direct Sound"}));
    EXPECT_EQ(offered.selected, 0);
    EXPECT_EQ(ui::text(GetDlgItem(GetParent(ui::find(dialog, kOutput)), -1)), L"Output") << "translated";
    EXPECT_EQ(selected(dialog, kSpeakers), L"Two speakers") << "the sink is stereo";
    EXPECT_EQ(selected(dialog, kRate), L"22050 Hz");

    // The first output's drivers are listed at once; each other choice lists its own.
    const Texts driversOf[] = {directSound, {L"NoSound SW "}, waveOut, directSound};
    for (int i = 0; i < 4; ++i) {
        if (i > 0) ui::select(dialog, kOutput, i);
        EXPECT_EQ(ui::readCombo(dialog, kDriver).texts, driversOf[i]) << offered.texts[i];
        EXPECT_EQ(ui::readCombo(dialog, kDriver).selected, 0) << offered.texts[i];
    }
    clickButton(dialog, IDCANCEL);  // what Start stores: the unit tests of the page, the keys' round
    EXPECT_EQ(exitCode(), 1u);
}

}  // namespace
