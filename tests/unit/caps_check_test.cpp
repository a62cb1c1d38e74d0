// The device check: requirements of each kind against the Direct3D header's flag values, the order
// of the findings, and the sections of the report (driver date, desktop resolution, capabilities).
#include <gtest/gtest.h>

#include <limits>

#include "checks/caps_check.h"
#include "support/fake_d3d9.h"

namespace {

std::wstring capsReport(const D3DCAPS9& caps) {
    std::wstring report;
    appendCapsFindings(caps, report);
    return report;
}

// A requirement: the bits of which one must be set, or the smallest value allowed.
struct Requirement {
    DWORD D3DCAPS9::*field;
    DWORD mask;
    DWORD minimum;
    const wchar_t* message;
    void breakIn(D3DCAPS9& caps) const { caps.*field = mask ? caps.*field & ~mask : minimum - 1; }
};
#define FLAG(field, bit) {&D3DCAPS9::field, bit, 0, L"" #field "::" #bit " not supported"}
#define AT_LEAST(field, minimum) {&D3DCAPS9::field, 0, minimum, L"" #field " is less then " #minimum}

// One of each kind in the order of the report: a flag, a choice of flags, limits, the shader versions
// and the constant count that vertex shader 1.1 gates. The alpha test and the pixel-shader range
// (a float) are in ShaderRangeAndAlphaTest.
const Requirement kRequirements[] = {
    FLAG(Caps2, D3DCAPS2_CANAUTOGENMIPMAP),
    {&D3DCAPS9::PresentationIntervals, D3DPRESENT_INTERVAL_IMMEDIATE | D3DPRESENT_INTERVAL_ONE, 0,
     L"PresentationIntervals::D3DPRESENT_INTERVAL_IMMEDIATE or PresentationIntervals::D3DPRESENT_INTERVAL_ONE "
     L"not supported"},
    FLAG(ZCmpCaps, D3DPCMPCAPS_LESSEQUAL), AT_LEAST(MaxTextureWidth, 512),
    FLAG(StencilCaps, D3DSTENCILCAPS_DECR), AT_LEAST(MaxPrimitiveCount, 65535),
    {&D3DCAPS9::VertexShaderVersion, 0, D3DVS_VERSION(1, 1), L"VS_1_1 not supported, using software vertex processing"},
    AT_LEAST(MaxVertexShaderConst, 96),
    {&D3DCAPS9::PixelShaderVersion, 0, D3DPS_VERSION(1, 1), L"PS_1_1 not supported"},
    FLAG(DevCaps2, D3DDEVCAPS2_STREAMOFFSET), AT_LEAST(NumSimultaneousRTs, 1),
};

}  // namespace

// Each requirement broken alone gives its line and its minimum itself passes; all broken give every
// line in order but the constant count's, which means nothing without vertex shader 1.1.
TEST(CapsTests, EachRequirementGivesItsLineInOrderAndAMinimumItselfPasses) {
    D3DCAPS9 all = fake::capableCaps();
    std::wstring expected;
    for (const Requirement& r : kRequirements) {
        D3DCAPS9 caps = fake::capableCaps();
        if (!r.mask) caps.*r.field = r.minimum;
        EXPECT_EQ(capsReport(caps), L"");
        r.breakIn(caps);
        EXPECT_EQ(capsReport(caps), r.message);
        r.breakIn(all);
        if (r.field != &D3DCAPS9::MaxVertexShaderConst)
            expected += (expected.empty() ? L"" : L"\n") + std::wstring(r.message);
    }
    EXPECT_EQ(capsReport(all), expected);
}

TEST(CapsTests, ShaderRangeAndAlphaTest) {
    D3DCAPS9 caps = fake::capableCaps();
    caps.PixelShader1xMaxValue = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(capsReport(caps), L"");
    caps.PixelShader1xMaxValue = 0.99f;
    EXPECT_EQ(capsReport(caps), L"PixelShader1xMaxValue is less then 1.0f");

    caps = fake::capableCaps();
    caps.AlphaCmpCaps = D3DPCMPCAPS_NEVER | D3DPCMPCAPS_ALWAYS;  // no alpha test at all
    EXPECT_EQ(capsReport(caps).substr(0, 25), L"alpha test not supported\n");
}

// Adapter 0 has the least desktop allowed; adapter 1 lacks only width, and one side short is enough.
TEST(CapsReport, SectionsComeDriverResolutionCapsForTheAdapterAskedFor) {
    fake::Direct3D9 d3d;
    fake::Adapter& least = d3d.add();
    least.caps = fake::capableCaps();
    least.desktop = {800, 600, 60, D3DFMT_X8R8G8B8};
    fake::Adapter& a = d3d.add();
    a.caps = fake::capableCaps();
    a.caps.MaxTextureWidth = 256;
    a.desktop = {799, 1200, 60, D3DFMT_X8R8G8B8};
    DriverAgeServices services{[] { return std::wstring(L"01.01.2010"); },
                               [](unsigned, DriverRecord& r) { r.date = {2009, 1, 1}; }};
    EXPECT_EQ(buildCapsReport(d3d, 0, D3DDEVTYPE_HAL, CLocalize(), {}), L"");
    EXPECT_EQ(buildCapsReport(d3d, 1, D3DDEVTYPE_HAL, CLocalize(), services),
              L"T_VDRV_DATE_CUR" + driverDateText({2009, 1, 1}) + L"\nT_VDRV_DATE_REQ" + driverDateText({2010, 1, 1}) +
                  L"\nT_VDRV_DATE_MSG\ncurrent display resolution is too low\n  current resolution is: 799x1200\n"
                  L"  minimum required resolution is: 800x600\nMaxTextureWidth is less then 512");
    a.capsResult = D3DERR_NOTAVAILABLE;
    a.desktopResult = D3DERR_INVALIDCALL;
    EXPECT_EQ(buildCapsReport(d3d, 1, D3DDEVTYPE_HAL, CLocalize(), {}),
              L"can't get current display resolution\ncan't get device caps");
}
