// The device check against what the system really has: Wine's Direct3D object, its
// system-management service and the date format of its user, on a 640 x 480 desktop.
// The test calls the check directly, the way the settings dialog and its warnings dialog do.
#include <gtest/gtest.h>

#include <windows.h>
#include <d3d9.h>
#include <ole2.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/startup.h"
#include "checks/caps_check.h"
#include "support/scratch_folder.h"

namespace {

std::vector<std::wstring> lines(const std::wstring& report) {
    std::vector<std::wstring> out;
    size_t start = 0;
    while (!report.empty()) {
        const size_t end = report.find(L'\n', start);
        out.push_back(report.substr(start, end - start));
        if (end == std::wstring::npos) break;
        start = end + 1;
    }
    return out;
}

std::string narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) out += c < 128 ? static_cast<char>(c) : '?';
    return out;
}

const std::vector<std::wstring> kResolutionLines = {L"current display resolution is too low",
                                                    L"  current resolution is: 640x480",
                                                    L"  minimum required resolution is: 800x600"};

class DeviceCheck : public ::testing::Test {
protected:
    void SetUp() override {
        m_d3d = win::CComPtr<IDirect3D9>(Direct3DCreate9(D3D_SDK_VERSION));
        ASSERT_TRUE(m_d3d);
    }
    std::wstring check(const CLocalize& localize) {
        return checkD3DCaps(m_d3d, 0, D3DDEVTYPE_HAL, localize);
    }

    test::ScratchFolder m_folder;
    win::CComPtr<IDirect3D9> m_d3d;
};

}  // namespace

TEST_F(DeviceCheck, DriverOlderThanTheSettingIsDescribedBeforeTheResolution) {
    const CLocalize labels(m_folder.writeLanguage({L"T_VIDEOADAPTER=Video adapter: ", L"T_VDRIVER_VER=Driver version: ",
                                                   L"T_VDRV_DATE_CUR=Driver date: ",
                                                   L"T_VDRV_DATE_REQ=Required at least: ",
                                                   L"T_VDRV_DATE_MSG=Please install a newer video driver."}));
    EXPECT_EQ(lines(check(labels))[0], kResolutionLines[0]);

    // Read anew on each call: the new setting counts at once.
    ASSERT_TRUE(m_folder.write(L"korvex.ini", "[OPTIONS]\r\nVideoDrvLoDate=01.01.2100\r\n"));
    const std::wstring text = check(labels);
    const std::vector<std::wstring> report = lines(text);
    std::printf("report with a driver date setting:\n%s\n", narrow(text).c_str());
    ASSERT_GE(report.size(), 8u);
    EXPECT_EQ(report[0].rfind(L"Video adapter: ", 0), 0u);
    EXPECT_GT(report[0].size(), 15u);
    EXPECT_EQ(report[1].rfind(L"Driver version: ", 0), 0u);
    EXPECT_GT(report[1].size(), 16u);
    EXPECT_EQ(report[2].rfind(L"Driver date: ", 0), 0u);
    EXPECT_EQ(report[3], L"Required at least: " + driverDateText({2100, 1, 1}));
    EXPECT_EQ(report[4], L"Please install a newer video driver.");
    EXPECT_EQ(std::vector<std::wstring>(report.begin() + 5, report.begin() + 8), kResolutionLines);

    ASSERT_TRUE(m_folder.write(L"korvex.ini", "[OPTIONS]\r\nVideoDrvLoDate=01.01.1990\r\n"));
    EXPECT_EQ(lines(check(labels))[0], kResolutionLines[0]);
}

TEST(Executable, ExportsTheCheckByName) {
    wchar_t dist[MAX_PATH] = {};
    ASSERT_GT(GetEnvironmentVariableW(L"SKELVANE_DIST", dist, MAX_PATH), 0u);
    const win::CModule exe(LoadLibraryExW((std::wstring(dist) + L"\\Skelvane.exe").c_str(), nullptr,
                                          DONT_RESOLVE_DLL_REFERENCES));
    ASSERT_TRUE(exe);
    EXPECT_NE(GetProcAddress(exe.get(), "checkD3DCaps"), nullptr);
}

int main(int argc, char** argv) {
    // COM and its process-wide security as the launcher sets them up before any check.
    appPreInit();
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    OleUninitialize();
    return result;
}
