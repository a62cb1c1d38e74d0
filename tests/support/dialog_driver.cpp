#include "dialog_driver.h"

namespace e2e {

HWND waitForDialogWith(DWORD pid, int controlId, Ms timeout) {
    HWND found = nullptr;
    waitFor([&] {
        for (HWND w : topWindows(pid))
            if (className(w) == "#32770" && GetDlgItem(w, controlId) && IsWindowVisible(w)) found = w;
        return found != nullptr;
    }, timeout);
    return found;
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

}  // namespace e2e
