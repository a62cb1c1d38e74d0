// The running-copy situation without a running copy: this test process holds the launcher's
// guard mutex, so that a launcher started now finds it taken and no game window to bring back,
// and reports that in its error box. The box also shows which language file the launcher read.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "e2e.h"

namespace e2e {

class HeldGuard {
public:
    HeldGuard() : m_mutex(CreateMutexW(nullptr, FALSE, L"Global\\Korvex")) {
        EXPECT_TRUE(m_mutex != nullptr && GetLastError() != ERROR_ALREADY_EXISTS) << "the guard was already taken";
    }
    ~HeldGuard() {
        if (m_mutex) CloseHandle(m_mutex);
    }
    HeldGuard(const HeldGuard&) = delete;
    HeldGuard& operator=(const HeldGuard&) = delete;

private:
    HANDLE m_mutex;
};

struct ErrorBox {
    std::wstring caption;
    std::wstring text;
    DWORD exitCode = 0xDEAD;
};

// Starts the launcher of the game folder in the working directory while the guard is held, reads
// its error box, closes it and waits for the end.
inline ErrorBox startAgainstHeldGuard(const GameFolder& game, const std::wstring& workingDir) {
    ErrorBox seen;
    HeldGuard guard;
    Process launcher(game.file(L"Skelvane.exe"), L"", workingDir, engineEnv(game));
    const HWND box = waitForMessageBox(launcher.pid());
    EXPECT_TRUE(box) << "no error box";
    if (!box) return seen;
    seen.caption = windowText(box);
    seen.text = messageBoxText(box);
    EXPECT_FALSE(FindWindowW(L"Korvex//Class", L"Korvex//Window")) << "the game window was created";
    clickButton(box, IDOK);
    EXPECT_TRUE(launcher.waitExit(15s, seen.exitCode)) << "still running after the box";
    return seen;
}

}  // namespace e2e
