// The desktop-resolution section on its own.
#include <gtest/gtest.h>

#include "checks/resolution_check.h"
#include "support/fake_d3d9.h"

TEST(Resolution, BelowEightHundredBySixHundredOnly) {
    const auto report = [](UINT width, UINT height) {
        fake::Direct3D9 d3d;
        fake::Adapter& a = d3d.add();
        a.desktop.Width = width;
        a.desktop.Height = height;
        std::wstring text;
        appendResolutionFindings(d3d, 0, text);
        return text;
    };
    EXPECT_EQ(report(1024, 768), L"");
    EXPECT_EQ(report(800, 600), L"");
    EXPECT_EQ(report(1024, 576),
              L"current display resolution is too low\n"
              L"  current resolution is: 1024x576\n"
              L"  minimum required resolution is: 800x600");
    EXPECT_EQ(report(799, 1200).substr(0, 37), L"current display resolution is too low");
}

TEST(Resolution, FollowsWhatIsAlreadyInTheReport) {
    fake::Direct3D9 d3d;
    d3d.add().desktopResult = D3DERR_NOTAVAILABLE;
    std::wstring report = L"earlier";
    appendResolutionFindings(d3d, 0, report);
    EXPECT_EQ(report, L"earlier\ncan't get current display resolution");
}
