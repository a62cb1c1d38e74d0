// The device check against what the system really has: Wine's Direct3D object, its
// system-management service and the date format of its user, on a 640 x 480 desktop.
// The test calls the check directly, the way the settings dialog and its warnings dialog do.
#include <gtest/gtest.h>

#include <windows.h>
#include <d3d9.h>
#include <ole2.h>

#include <string>

#include "app/startup.h"
#include "checks/caps_check.h"
#include "support/scratch_folder.h"

TEST(DeviceCheck, DriverOlderThanTheSettingIsDescribedBeforeTheResolution) {
    test::ScratchFolder folder;
    const CLocalize labels(folder.writeLanguage({L"T_VIDEOADAPTER=Video adapter: ", L"T_VDRIVER_VER=Driver version: ",
                                                 L"T_VDRV_DATE_CUR=Driver date: ", L"T_VDRV_DATE_REQ=Required: ",
                                                 L"T_VDRV_DATE_MSG=Please install a newer video driver."}));
    const win::CComPtr<IDirect3D9> d3d(Direct3DCreate9(D3D_SDK_VERSION));
    ASSERT_TRUE(d3d);
    const auto check = [&] { return checkD3DCaps(d3d, 0, D3DDEVTYPE_HAL, labels); };
    const std::wstring resolution = L"current display resolution is too low\n  current resolution is: 640x480\n"
                                    L"  minimum required resolution is: 800x600";
    EXPECT_EQ(check().substr(0, resolution.size()), resolution);

    // The setting is read anew on each call.
    ASSERT_TRUE(folder.write(L"korvex.ini", "[OPTIONS]\r\nVideoDrvLoDate=01.01.2100\r\n"));
    const std::wstring report = check();
    const size_t at = report.find(L"Driver version: ");
    EXPECT_EQ(report.rfind(L"Video adapter: ", 0), 0u);
    EXPECT_GT(report.find(L'\n'), 15u) << "an adapter name";
    ASSERT_NE(at, std::wstring::npos);
    EXPECT_GT(report.find(L'\n', at), at + 16) << "a driver version";
    EXPECT_NE(report.find(L"\nDriver date: "), std::wstring::npos);
    EXPECT_NE(report.find(L"\nRequired: " + driverDateText({2100, 1, 1}) +
                          L"\nPlease install a newer video driver.\n" + resolution),
              std::wstring::npos);
}

int main(int argc, char** argv) {
    // COM and its process-wide security as the launcher sets them up before any check.
    appPreInit();
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    OleUninitialize();
    return result;
}
