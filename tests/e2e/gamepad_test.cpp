// The launcher's dialogs worked with a game controller alone: the stand-in XInput library in the
// prefix's system folder, chosen for the launcher by a DLL override, its pad scripted by the test.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "e2e.h"
#include "test_pad.h"

using namespace e2e;

namespace {

constexpr WORD kUp = XINPUT_GAMEPAD_DPAD_UP, kDown = XINPUT_GAMEPAD_DPAD_DOWN, kA = XINPUT_GAMEPAD_A,
               kB = XINPUT_GAMEPAD_B, kY = XINPUT_GAMEPAD_Y, kStart = XINPUT_GAMEPAD_START,
               kLB = XINPUT_GAMEPAD_LEFT_SHOULDER, kRB = XINPUT_GAMEPAD_RIGHT_SHOULDER;
constexpr int kStartButton = 3, kShowAtLaunch = 1010, kSampleRate = 1012, kSoundOutput = 1011,
              kTripleBuffer = 1021, kReport = 1016;

// The pad in the first slot, as the stand-in library reports it to every process of the session.
class Pad {
public:
    Pad()
        : m_mapping(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(testpad::Block),
                                       testpad::kBlockName)),
          m_block(static_cast<testpad::Block*>(MapViewOfFile(m_mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0))) {
        *m_block = {0, 0, 1, {}};
    }
    ~Pad() {
        UnmapViewOfFile(m_block);
        CloseHandle(m_mapping);
    }
    const testpad::Block& block() const { return *m_block; }
    // Holds the buttons (and the stick) until the launcher has seen them for the time, then lets go
    // and waits until it has seen that too, unless the press ends its dialogs.
    void hold(WORD buttons, Ms time = 0ms, SHORT stickY = 0, bool seenLetGo = true) {
        m_block->pad = {buttons, 0, 0, 0, stickY, 0, 0};
        polled();
        std::this_thread::sleep_for(time);
        m_block->pad = {};
        if (seenLetGo) polled();
    }
    // True when the launcher has asked for the pad's state twice more.
    bool polled(Ms timeout = 5s) const {
        const LONG from = m_block->polls;
        return waitFor([&] { return m_block->polls >= from + 2; }, timeout);
    }

private:
    HANDLE m_mapping;
    testpad::Block* m_block;
};

// Where this Wine takes DLL overrides for the launcher's processes alone.
constexpr wchar_t kOverrides[] = L"Software\\Wine\\AppDefaults\\Skelvane.exe\\DllOverrides";

// The stand-in in the system folder under each name given and the override that makes the
// launcher take it there; the other names are switched off, so with none given there is no XInput.
void installXInput(std::initializer_list<const wchar_t*> names) {
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    for (const wchar_t* name : {L"xinput1_4", L"xinput9_1_0", L"xinput1_3"}) {
        const bool given = std::find(names.begin(), names.end(), std::wstring(name)) != names.end();
        const std::wstring target = std::wstring(system) + L"\\" + name + L".dll";
        EXPECT_TRUE(!given || CopyFileW(env(L"SKELVANE_TEST_XINPUT_DLL").c_str(), target.c_str(), FALSE));
        const std::wstring order = given ? L"native" : L"";
        RegSetKeyValueW(HKEY_CURRENT_USER, kOverrides, name, REG_SZ, order.c_str(),
                        static_cast<DWORD>((order.size() + 1) * sizeof(wchar_t)));
    }
}

int focusedId(HWND dialog) {
    GUITHREADINFO info;
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
    return GetDlgCtrlID(info.hwndFocus);
}

class Gamepad : public FirstStartTest {
protected:
    Pad pad;

    void TearDown() override {
        FirstStartTest::TearDown();
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\Skelvane.exe");
    }

    HWND open(std::initializer_list<const wchar_t*> xinput = {L"xinput1_4"}) {
        installXInput(xinput);
        start();
        return waitForDialogWith(process->pid(), kTabs, 20s);
    }
    bool soundPageShown(HWND dialog) { return IsWindowVisible(GetParent(ui::find(dialog, kSoundOutput))) != FALSE; }
};

TEST_F(Gamepad, EveryChoiceIsMadeWithThePadAloneAndStored) {
    const HWND dialog = open();
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(pad.polled()) << "the launcher reads the pad while its dialog is in front";
    pad.hold(kRB);
    ASSERT_TRUE(waitFor([&] { return soundPageShown(dialog); }, 5s));
    ASSERT_EQ(focusedId(dialog), kTabs);
    // Held down: one step at once, then again after a while, then quickly.
    pad.hold(kDown, 150ms);
    EXPECT_EQ(focusedId(dialog), kSoundOutput) << "one step";
    pad.hold(kDown, 600ms);
    EXPECT_NE(focusedId(dialog), 1013) << "held on: more than one step";
    for (int i = 0; i < 8 && focusedId(dialog) != kSampleRate; ++i) pad.hold(kUp);
    ASSERT_EQ(focusedId(dialog), kSampleRate);
    // The list opened, a step up in it, taken and closed: 44100 after 22050.
    pad.hold(kA);
    pad.hold(kUp);
    pad.hold(kA);
    EXPECT_TRUE(waitFor([&] { return !SendMessageW(ui::find(dialog, kSampleRate), CB_GETDROPPEDSTATE, 0, 0); }, 5s));
    EXPECT_EQ(ui::readCombo(dialog, kSampleRate).selectedText(), L"44100 Hz");

    pad.hold(kLB);
    ASSERT_TRUE(waitFor([&] { return !soundPageShown(dialog); }, 5s));
    // Advanced... by Y; triple buffering ticked there, closed with B, which keeps it.
    pad.hold(kY);
    const HWND advanced = waitForDialogWith(process->pid(), kTripleBuffer, 5s);
    ASSERT_TRUE(advanced);
    pad.hold(kDown);  // from vertical sync
    pad.hold(kA);
    ASSERT_TRUE(waitFor([&] { return isChecked(advanced, kTripleBuffer); }, 5s));
    pad.hold(kB);
    ASSERT_TRUE(waitFor([&] { return !IsWindow(advanced) && GetForegroundWindow() == dialog; }, 5s));
    pad.hold(0, 0ms, -20000);  // the stick, down, past its dead zone
    pad.hold(kDown);
    ASSERT_EQ(focusedId(dialog), kShowAtLaunch);
    pad.hold(kA);
    ASSERT_TRUE(waitFor([&] { return isChecked(dialog, kShowAtLaunch); }, 5s));
    pad.hold(kStart, 0ms, 0, false);
    ASSERT_TRUE(gameWindow());
    const LONG polls = pad.block().polls;
    Sleep(300);
    EXPECT_EQ(pad.block().polls, polls) << "the pad is not asked while the game runs";
    EXPECT_EQ(storedDword(L"Sound", L"SoundSampleRate"), 44100u);
    EXPECT_EQ(storedDword(L"Graphics", L"BackBufferCount"), 2u);
    closeGame();

    // Shown at the next start as asked, with the choices read back; with no XInput library at
    // all it works as before.
    const HWND again = open({});
    ASSERT_TRUE(again);
    EXPECT_EQ(ui::readCombo(again, kSampleRate).selectedText(), L"44100 Hz");
    EXPECT_TRUE(isChecked(again, kShowAtLaunch));
    EXPECT_FALSE(pad.polled(1s));
    pressKeys({VK_RETURN});
    ASSERT_TRUE(gameWindow());
    closeGame();
}

TEST_F(Gamepad, BCancelsWithoutStoringAndTheWarningsCloseWithAAndWithB) {
    folder.write(L"korvex.ini", "[OPTIONS]\r\nVideoDrvLoDate=01.01.2030\r\n");  // no driver is that new
    for (const WORD closing : {kA, kB}) {
        open({L"xinput1_3"});  // the last of the names the launcher tries
        const HWND warnings = waitForDialogWith(process->pid(), kReport);
        ASSERT_TRUE(warnings && waitFor([&] { return GetForegroundWindow() == warnings; }, 5s));
        ASSERT_TRUE(pad.polled());
        pad.hold(closing);
        ASSERT_TRUE(waitFor([&] { return !IsWindowVisible(warnings); }, 5s));
        const HWND dialog = waitForDialogWith(process->pid(), kTabs, 0ms);
        ASSERT_TRUE(waitFor([&] { return GetForegroundWindow() == dialog; }, 5s));
        pad.hold(kB, 0ms, 0, false);
        EXPECT_EQ(exitCode(), 1u);
        EXPECT_FALSE(storedDword(L"Graphics", L"Width")) << "nothing stored";
    }
}

}  // namespace
