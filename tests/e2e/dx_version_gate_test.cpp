// The DirectX gate in the real launcher. That under Wine (DirectX 9.0c, the matching D3DX runtime)
// the launch goes on without a word about DirectX, every test reaching the game window shows.
#include <gtest/gtest.h>

#include "e2e.h"

using namespace e2e;

TEST(DXVersionGateEndToEnd, DetectionAndGateAreExportedByName) {
    GameFolder folder;
    const HMODULE exe =
        LoadLibraryExW(folder.file(L"Skelvane.exe").c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    ASSERT_NE(exe, nullptr);
    EXPECT_NE(GetProcAddress(exe, "getDXVersion"), nullptr);
    EXPECT_NE(GetProcAddress(exe, "checkDXVersion"), nullptr);
    FreeLibrary(exe);
}
