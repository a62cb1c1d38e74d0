#include <gtest/gtest.h>

#include <string>

#include "app/os_version.h"
#include "app/startup.h"
#include "res/resource.h"
#include "win/module.h"
#include "win/timer_resolution.h"

namespace {

#pragma pack(push, 2)
struct IconDirEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
struct IconDir {
    WORD reserved, type, count;
    IconDirEntry entries[1];
};
#pragma pack(pop)

const void* resource(LPCWSTR name, LPCWSTR type, DWORD* size) {
    HRSRC info = FindResourceW(nullptr, name, type);
    if (!info) return nullptr;
    *size = SizeofResource(nullptr, info);
    return LockResource(LoadResource(nullptr, info));
}

TEST(Resources, IconHasFourSizesAtThreeDepthsEach) {
    DWORD size = 0;
    const auto* dir = static_cast<const IconDir*>(resource(MAKEINTRESOURCEW(IDI_SKELVANE), RT_GROUP_ICON, &size));
    ASSERT_TRUE(dir);
    ASSERT_EQ(dir->count, 12);
    std::string found;
    for (int i = 0; i < dir->count; ++i)
        found += std::to_string(dir->entries[i].width) + "/" + std::to_string(dir->entries[i].bitCount) + " ";
    EXPECT_EQ(found, "48/4 48/8 48/32 32/4 32/8 32/32 24/4 24/8 24/32 16/4 16/8 16/32 ");
    EXPECT_TRUE(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_SKELVANE), IMAGE_ICON, 32, 32, 0));
}

TEST(Resources, ManifestAsksForCommonControlsSixForThisArchitecture) {
    DWORD size = 0;
    const char* text = static_cast<const char*>(resource(MAKEINTRESOURCEW(1), RT_MANIFEST, &size));
    ASSERT_TRUE(text);
    const std::string manifest(text, size);
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(manifest.find(sizeof(void*) == 8 ? "processorArchitecture=\"amd64\"" : "processorArchitecture=\"X86\""),
              std::string::npos);
}

TEST(Timer, PeriodIsTheRequestClampedToWhatTheDeviceAllows) {
    EXPECT_EQ(CTimerResolution::clampPeriod(1, 1, 1000000), 1u);
    EXPECT_EQ(CTimerResolution::clampPeriod(1, 2, 1000000), 2u);
    EXPECT_EQ(CTimerResolution::clampPeriod(50, 1, 20), 20u);
    const CTimerResolution timer(1);
    EXPECT_GE(timer.period(), 1u);
}

TEST(OperatingSystem, WindowsTwoThousandOrLaterIsRequired) {
    OSVERSIONINFOW v{};
    v.dwPlatformId = VER_PLATFORM_WIN32_NT;
    v.dwMajorVersion = 5;
    EXPECT_TRUE(isSupportedOs(true, v));
    EXPECT_FALSE(isSupportedOs(false, v)) << "unreadable version";
    v.dwMajorVersion = 4;
    EXPECT_FALSE(isSupportedOs(true, v)) << "NT 4 and Windows 9x";
    v.dwMajorVersion = 10;
    v.dwPlatformId = VER_PLATFORM_WIN32s;
    EXPECT_FALSE(isSupportedOs(true, v));
    ASSERT_TRUE(readOsVersion(v));
    EXPECT_TRUE(isSupportedOs(true, v)) << "the system these tests run on";
}

BOOL screenSaverActive() {
    BOOL on = FALSE;
    SystemParametersInfoW(SPI_GETSCREENSAVEACTIVE, 0, &on, 0);
    return on;
}

TEST(Startup, PowerSavingIsOffWhileTheModuleRunsAndBackAfterwards) {
    SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr, 0);
    if (!screenSaverActive()) GTEST_SKIP() << "this system cannot switch the screen saver";
    ASSERT_TRUE(appInit(GetModuleHandleW(nullptr)));
    EXPECT_EQ(win::g_module.instance(), GetModuleHandleW(nullptr));
    EXPECT_FALSE(screenSaverActive());
    appTerm();
    EXPECT_TRUE(screenSaverActive());
    EXPECT_EQ(win::g_module.instance(), nullptr);
}

TEST(Startup, ModuleRefusesAMissingInstanceAndGivesThePowerSettingsBack) {
    SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr, 0);
    if (!screenSaverActive()) GTEST_SKIP() << "this system cannot switch the screen saver";
    EXPECT_FALSE(appInit(nullptr));
    EXPECT_EQ(screenSaverActive(), TRUE) << "no appTerm follows a failed start";
}

TEST(Startup, LowFragmentationHeapIsSwitchedOnForAProcessHeap) {
    EXPECT_TRUE(enableLowFragmentationHeap(GetProcessHeap()));
}

TEST(Resources, DialogTemplatesAreInTheNeutralSystemDefaultLanguage) {
    for (int id = 102; id <= 106; ++id)
        EXPECT_TRUE(FindResourceExW(nullptr, RT_DIALOG, MAKEINTRESOURCEW(id), MAKELANGID(LANG_NEUTRAL, SUBLANG_SYS_DEFAULT)))
            << id;
}

}  // namespace
