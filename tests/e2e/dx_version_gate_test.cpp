// The DirectX gate in the real launcher: under Wine (DirectX 9.0c, the matching D3DX runtime) the
// launch goes on to the game window without a word about DirectX.
#include <gtest/gtest.h>

#include "e2e.h"

using namespace e2e;

TEST(DXVersionGateEndToEnd, LaunchGoesOnToTheGameWindow) {
    storeValidSettings();
    GameFolder folder;
    Process launcher(folder.file(L"Skelvane.exe"), L"", folder.path(), engineEnv(folder));

    const HWND window = waitForWindow(launcher.pid(), L"Korvex//Class", L"Korvex//Window", 30s);
    ASSERT_NE(window, nullptr) << "no game window";
    ASSERT_TRUE(waitFor([&] { return folder.engineLog().find("createInstance") != std::string::npos; }));
    // A refusal would have shown its box before any window; none may be up now either.
    for (HWND w : topWindows(launcher.pid()))
        if (className(w) == "#32770" && IsWindowVisible(w))
            ADD_FAILURE() << "unexpected box: " << narrow(messageBoxText(w));

    PostMessageW(window, WM_CLOSE, 0, 0);
    DWORD exitCode = 99;
    ASSERT_TRUE(launcher.waitExit(15s, exitCode));
    EXPECT_EQ(exitCode, 0u);
}

TEST(DXVersionGateEndToEnd, DetectionAndGateAreExportedByName) {
    GameFolder folder;
    const HMODULE exe =
        LoadLibraryExW(folder.file(L"Skelvane.exe").c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    ASSERT_NE(exe, nullptr);
    EXPECT_NE(GetProcAddress(exe, "getDXVersion"), nullptr);
    EXPECT_NE(GetProcAddress(exe, "checkDXVersion"), nullptr);
    FreeLibrary(exe);
}
