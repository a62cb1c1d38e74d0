#include "dialog_driver.h"

#include <commctrl.h>

namespace e2e {

namespace {
constexpr int kTabs = 1002;
}

HWND waitForDialogWith(DWORD pid, int controlId, Ms timeout) {
    HWND found = nullptr;
    waitFor([&] {
        for (HWND w : topWindows(pid))
            if (className(w) == "#32770" && GetDlgItem(w, controlId) && IsWindowVisible(w)) found = w;
        return found != nullptr;
    }, timeout);
    return found;
}

HWND waitForSettingsDialog(DWORD pid, Ms timeout) { return waitForDialogWith(pid, kTabs, timeout); }

bool isChecked(HWND dialog, int id) {
    return SendMessageW(ui::find(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool nextTab(HWND settings) {
    const HWND tabs = GetDlgItem(settings, kTabs);
    const LRESULT next = SendMessageW(tabs, TCM_GETCURSEL, 0, 0) + 1;
    PostMessageW(tabs, WM_KEYDOWN, VK_RIGHT, 0);
    return waitFor([&] { return SendMessageW(tabs, TCM_GETCURSEL, 0, 0) == next; }, 5s);
}

std::optional<DWORD> storedDword(const std::wstring& subkey, const wchar_t* name) {
    const std::wstring key = L"Software\\Tolmira\\Skelvane" + (subkey.empty() ? L"" : L"\\" + subkey);
    DWORD value = 0, size = sizeof value;
    const auto read = RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_DWORD, 0, &value, &size);
    return read == ERROR_SUCCESS ? std::optional<DWORD>(value) : std::nullopt;
}

void LauncherTest::SetUp() {
    deleteSettings();
    folder.writeLanguage({L"T_SETTINGS=Game settings", L"T_START=Play", L"T_SET_APPLY_ERR_HDR=Not saved",
                          L"T_SET_APPLY_ERR_MSG=Could not save.", L"T_INFORMATION=Warnings",
                          L"T_SNDDEVICE=Output", L"T_SPEAKERMODE_STEREO=Two speakers",
                          L"T_SPEAKERMODE_HEADPHONES=Headphones"});
}

void LauncherTest::TearDown() {
    process.reset();
    storeValidSettings();
}

void LauncherTest::start(const std::wstring& arguments) {
    const std::wstring exe = folder.file(L"Skelvane.exe");
    process = std::make_unique<Process>(exe, arguments, folder.path(), engineEnv(folder));
}

HWND LauncherTest::openDialog(const std::wstring& arguments) {
    start(arguments);
    return waitForSettingsDialog(process->pid());
}

HWND LauncherTest::gameWindow(Ms timeout) {
    return waitForWindow(process->pid(), L"Korvex//Class", L"Korvex//Window", timeout);
}

DWORD LauncherTest::exitCode() {
    DWORD code = 99;
    EXPECT_TRUE(process->waitExit(20s, code));
    return code;
}

void LauncherTest::closeGame() {
    const HWND game = gameWindow();
    ASSERT_TRUE(game);
    PostMessageW(game, WM_CLOSE, 0, 0);
    EXPECT_EQ(exitCode(), 0u);
}

}  // namespace e2e
