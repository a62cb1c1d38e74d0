// The capability section and the report as a whole, against the scripted Direct3D object.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "checks/caps_check.h"
#include "support/fake_d3d9.h"

namespace {

std::wstring capsReport(const D3DCAPS9& caps) {
    std::wstring report;
    appendCapsFindings(caps, report);
    return report;
}

// No driver-date setting: the driver section stays silent.
DriverAgeServices noSetting() {
    return {[] { return std::wstring(); }, [](unsigned, DriverRecord&) {}};
}

struct Row {
    const wchar_t* message;
    std::function<void(D3DCAPS9&)> lower;
};

// Every requirement but the alpha test as such, each broken alone by clearing exactly its bit or going one below its limit.
const std::vector<Row>& rows() {
    static const std::vector<Row> all = {
        {L"Caps2::D3DCAPS2_CANAUTOGENMIPMAP not supported", [](D3DCAPS9& c) { c.Caps2 &= ~0x40000000u; }},
        {L"Caps2::D3DCAPS2_DYNAMICTEXTURES not supported", [](D3DCAPS9& c) { c.Caps2 &= ~0x20000000u; }},
        {L"Caps3::D3DCAPS3_ALPHA_FULLSCREEN_FLIP_OR_DISCARD not supported", [](D3DCAPS9& c) { c.Caps3 &= ~0x20u; }},
        {L"Caps3::D3DCAPS3_COPY_TO_VIDMEM not supported", [](D3DCAPS9& c) { c.Caps3 &= ~0x100u; }},
        {L"Caps3::D3DCAPS3_COPY_TO_SYSTEMMEM not supported", [](D3DCAPS9& c) { c.Caps3 &= ~0x200u; }},
        {L"PresentationIntervals::D3DPRESENT_INTERVAL_IMMEDIATE or PresentationIntervals::D3DPRESENT_INTERVAL_ONE "
         L"not supported",
         [](D3DCAPS9& c) { c.PresentationIntervals &= ~0x80000001u; }},
        {L"PrimitiveMiscCaps::D3DPMISCCAPS_MASKZ not supported", [](D3DCAPS9& c) { c.PrimitiveMiscCaps &= ~0x2u; }},
        {L"PrimitiveMiscCaps::D3DPMISCCAPS_CULLNONE not supported", [](D3DCAPS9& c) { c.PrimitiveMiscCaps &= ~0x10u; }},
        {L"PrimitiveMiscCaps::D3DPMISCCAPS_CULLCW not supported", [](D3DCAPS9& c) { c.PrimitiveMiscCaps &= ~0x20u; }},
        {L"PrimitiveMiscCaps::D3DPMISCCAPS_CULLCCW not supported", [](D3DCAPS9& c) { c.PrimitiveMiscCaps &= ~0x40u; }},
        {L"PrimitiveMiscCaps::D3DPMISCCAPS_COLORWRITEENABLE not supported",
         [](D3DCAPS9& c) { c.PrimitiveMiscCaps &= ~0x80u; }},
        {L"RasterCaps::D3DPRASTERCAPS_SCISSORTEST not supported", [](D3DCAPS9& c) { c.RasterCaps &= ~0x01000000u; }},
        {L"RasterCaps::D3DPRASTERCAPS_ZTEST not supported", [](D3DCAPS9& c) { c.RasterCaps &= ~0x10u; }},
        {L"ZCmpCaps::D3DPCMPCAPS_ALWAYS not supported", [](D3DCAPS9& c) { c.ZCmpCaps &= ~0x80u; }},
        {L"ZCmpCaps::D3DPCMPCAPS_EQUAL not supported", [](D3DCAPS9& c) { c.ZCmpCaps &= ~0x4u; }},
        {L"ZCmpCaps::D3DPCMPCAPS_LESS not supported", [](D3DCAPS9& c) { c.ZCmpCaps &= ~0x2u; }},
        {L"ZCmpCaps::D3DPCMPCAPS_LESSEQUAL not supported", [](D3DCAPS9& c) { c.ZCmpCaps &= ~0x8u; }},
        {L"SrcBlendCaps::D3DPBLENDCAPS_DESTCOLOR not supported", [](D3DCAPS9& c) { c.SrcBlendCaps &= ~0x100u; }},
        {L"SrcBlendCaps::D3DPBLENDCAPS_INVSRCALPHA not supported", [](D3DCAPS9& c) { c.SrcBlendCaps &= ~0x20u; }},
        {L"SrcBlendCaps::D3DPBLENDCAPS_ONE not supported", [](D3DCAPS9& c) { c.SrcBlendCaps &= ~0x2u; }},
        {L"SrcBlendCaps::D3DPBLENDCAPS_SRCALPHA not supported", [](D3DCAPS9& c) { c.SrcBlendCaps &= ~0x10u; }},
        {L"SrcBlendCaps::D3DPBLENDCAPS_SRCCOLOR not supported", [](D3DCAPS9& c) { c.SrcBlendCaps &= ~0x4u; }},
        {L"SrcBlendCaps::D3DPBLENDCAPS_ZERO not supported", [](D3DCAPS9& c) { c.SrcBlendCaps &= ~0x1u; }},
        {L"DestBlendCaps::D3DPBLENDCAPS_DESTCOLOR not supported", [](D3DCAPS9& c) { c.DestBlendCaps &= ~0x100u; }},
        {L"DestBlendCaps::D3DPBLENDCAPS_INVSRCALPHA not supported", [](D3DCAPS9& c) { c.DestBlendCaps &= ~0x20u; }},
        {L"DestBlendCaps::D3DPBLENDCAPS_ONE not supported", [](D3DCAPS9& c) { c.DestBlendCaps &= ~0x2u; }},
        {L"DestBlendCaps::D3DPBLENDCAPS_SRCALPHA not supported", [](D3DCAPS9& c) { c.DestBlendCaps &= ~0x10u; }},
        {L"DestBlendCaps::D3DPBLENDCAPS_SRCCOLOR not supported", [](D3DCAPS9& c) { c.DestBlendCaps &= ~0x4u; }},
        {L"DestBlendCaps::D3DPBLENDCAPS_ZERO not supported", [](D3DCAPS9& c) { c.DestBlendCaps &= ~0x1u; }},
        // "alpha test not supported" cannot fail alone: the rows below ask for part of its mask.
        {L"AlphaCmpCaps::D3DPCMPCAPS_EQUAL not supported", [](D3DCAPS9& c) { c.AlphaCmpCaps &= ~0x4u; }},
        {L"AlphaCmpCaps::D3DPCMPCAPS_GREATER not supported", [](D3DCAPS9& c) { c.AlphaCmpCaps &= ~0x10u; }},
        {L"AlphaCmpCaps::D3DPCMPCAPS_GREATEREQUAL not supported", [](D3DCAPS9& c) { c.AlphaCmpCaps &= ~0x40u; }},
        {L"AlphaCmpCaps::D3DPCMPCAPS_NOTEQUAL not supported", [](D3DCAPS9& c) { c.AlphaCmpCaps &= ~0x20u; }},
        {L"TextureCaps::D3DPTEXTURECAPS_ALPHA not supported", [](D3DCAPS9& c) { c.TextureCaps &= ~0x4u; }},
        {L"TextureCaps::D3DPTEXTURECAPS_CUBEMAP not supported", [](D3DCAPS9& c) { c.TextureCaps &= ~0x800u; }},
        {L"TextureCaps::D3DPTEXTURECAPS_MIPMAP not supported", [](D3DCAPS9& c) { c.TextureCaps &= ~0x4000u; }},
        {L"TextureCaps::D3DPTEXTURECAPS_PERSPECTIVE not supported", [](D3DCAPS9& c) { c.TextureCaps &= ~0x1u; }},
        {L"TextureFilterCaps::D3DPTFILTERCAPS_MAGFPOINT not supported",
         [](D3DCAPS9& c) { c.TextureFilterCaps &= ~0x01000000u; }},
        {L"TextureFilterCaps::D3DPTFILTERCAPS_MAGFLINEAR not supported",
         [](D3DCAPS9& c) { c.TextureFilterCaps &= ~0x02000000u; }},
        {L"TextureFilterCaps::D3DPTFILTERCAPS_MINFPOINT not supported", [](D3DCAPS9& c) { c.TextureFilterCaps &= ~0x100u; }},
        {L"TextureFilterCaps::D3DPTFILTERCAPS_MINFLINEAR not supported",
         [](D3DCAPS9& c) { c.TextureFilterCaps &= ~0x200u; }},
        {L"TextureFilterCaps::D3DPTFILTERCAPS_MIPFPOINT not supported",
         [](D3DCAPS9& c) { c.TextureFilterCaps &= ~0x10000u; }},
        {L"TextureFilterCaps::D3DPTFILTERCAPS_MIPFLINEAR not supported",
         [](D3DCAPS9& c) { c.TextureFilterCaps &= ~0x20000u; }},
        {L"CubeTextureFilterCaps::D3DPTFILTERCAPS_MAGFPOINT not supported",
         [](D3DCAPS9& c) { c.CubeTextureFilterCaps &= ~0x01000000u; }},
        {L"CubeTextureFilterCaps::D3DPTFILTERCAPS_MAGFLINEAR not supported",
         [](D3DCAPS9& c) { c.CubeTextureFilterCaps &= ~0x02000000u; }},
        {L"CubeTextureFilterCaps::D3DPTFILTERCAPS_MINFPOINT not supported",
         [](D3DCAPS9& c) { c.CubeTextureFilterCaps &= ~0x100u; }},
        {L"CubeTextureFilterCaps::D3DPTFILTERCAPS_MINFLINEAR not supported",
         [](D3DCAPS9& c) { c.CubeTextureFilterCaps &= ~0x200u; }},
        {L"TextureAddressCaps::D3DPTADDRESSCAPS_CLAMP not supported", [](D3DCAPS9& c) { c.TextureAddressCaps &= ~0x4u; }},
        {L"TextureAddressCaps::D3DPTADDRESSCAPS_INDEPENDENTUV not supported",
         [](D3DCAPS9& c) { c.TextureAddressCaps &= ~0x10u; }},
        {L"TextureAddressCaps::D3DPTADDRESSCAPS_MIRROR not supported", [](D3DCAPS9& c) { c.TextureAddressCaps &= ~0x2u; }},
        {L"TextureAddressCaps::D3DPTADDRESSCAPS_WRAP not supported", [](D3DCAPS9& c) { c.TextureAddressCaps &= ~0x1u; }},
        {L"MaxTextureWidth is less then 512", [](D3DCAPS9& c) { c.MaxTextureWidth = 511; }},
        {L"MaxTextureHeight is less then 512", [](D3DCAPS9& c) { c.MaxTextureHeight = 511; }},
        {L"StencilCaps::D3DSTENCILCAPS_KEEP not supported", [](D3DCAPS9& c) { c.StencilCaps &= ~0x1u; }},
        {L"StencilCaps::D3DSTENCILCAPS_ZERO not supported", [](D3DCAPS9& c) { c.StencilCaps &= ~0x2u; }},
        {L"StencilCaps::D3DSTENCILCAPS_REPLACE not supported", [](D3DCAPS9& c) { c.StencilCaps &= ~0x4u; }},
        {L"StencilCaps::D3DSTENCILCAPS_INVERT not supported", [](D3DCAPS9& c) { c.StencilCaps &= ~0x20u; }},
        {L"StencilCaps::D3DSTENCILCAPS_INCR not supported", [](D3DCAPS9& c) { c.StencilCaps &= ~0x40u; }},
        {L"StencilCaps::D3DSTENCILCAPS_DECR not supported", [](D3DCAPS9& c) { c.StencilCaps &= ~0x80u; }},
        {L"MaxSimultaneousTextures is less then 4", [](D3DCAPS9& c) { c.MaxSimultaneousTextures = 3; }},
        {L"MaxPrimitiveCount is less then 65535", [](D3DCAPS9& c) { c.MaxPrimitiveCount = 65534; }},
        {L"MaxVertexIndex is less then 65534", [](D3DCAPS9& c) { c.MaxVertexIndex = 65533; }},
        {L"VS_1_1 not supported, using software vertex processing",
         [](D3DCAPS9& c) { c.VertexShaderVersion = D3DVS_VERSION(1, 0); }},
        {L"MaxVertexShaderConst is less then 96", [](D3DCAPS9& c) { c.MaxVertexShaderConst = 95; }},
        {L"PS_1_1 not supported", [](D3DCAPS9& c) { c.PixelShaderVersion = D3DPS_VERSION(1, 0); }},
        {L"PixelShader1xMaxValue is less then 1.0f", [](D3DCAPS9& c) { c.PixelShader1xMaxValue = 0.99f; }},
        {L"DevCaps2::D3DDEVCAPS2_CAN_STRETCHRECT_FROM_TEXTURES not supported", [](D3DCAPS9& c) { c.DevCaps2 &= ~0x10u; }},
        {L"DevCaps2::D3DDEVCAPS2_STREAMOFFSET not supported", [](D3DCAPS9& c) { c.DevCaps2 &= ~0x1u; }},
        {L"NumSimultaneousRTs is less then 1", [](D3DCAPS9& c) { c.NumSimultaneousRTs = 0; }},
    };
    return all;
}

}  // namespace

TEST(CapsTests, EachRequirementBrokenAloneGivesExactlyItsLine) {
    ASSERT_EQ(rows().size(), 69u);
    for (const Row& row : rows()) {
        D3DCAPS9 caps = fake::capableCaps();
        row.lower(caps);
        EXPECT_EQ(capsReport(caps), row.message);
    }
}

TEST(CapsTests, AllFindingsComeInTableOrder) {
    D3DCAPS9 caps = fake::capableCaps();
    std::wstring expected;
    for (const Row& row : rows()) {
        row.lower(caps);
        if (!expected.empty()) expected += L'\n';
        expected += row.message;
    }
    // Vertex shader 1.0 silences the constant count, which was broken too.
    const std::wstring constants = L"\nMaxVertexShaderConst is less then 96";
    expected.erase(expected.find(constants), constants.size());
    EXPECT_EQ(capsReport(caps), expected);
}

TEST(CapsTests, ExactLimitsPass) {
    D3DCAPS9 caps = fake::capableCaps();
    caps.MaxTextureWidth = 512;
    caps.MaxTextureHeight = 512;
    caps.MaxSimultaneousTextures = 4;
    caps.MaxPrimitiveCount = 65535;
    caps.MaxVertexIndex = 65534;
    caps.VertexShaderVersion = D3DVS_VERSION(1, 1);
    caps.MaxVertexShaderConst = 96;
    caps.PixelShaderVersion = D3DPS_VERSION(1, 1);
    caps.PixelShader1xMaxValue = 1.0f;
    caps.NumSimultaneousRTs = 1;
    caps.PresentationIntervals = D3DPRESENT_INTERVAL_IMMEDIATE;
    EXPECT_EQ(capsReport(caps), L"");
    caps.PresentationIntervals = D3DPRESENT_INTERVAL_ONE;
    EXPECT_EQ(capsReport(caps), L"");
}

TEST(CapsTests, CountsAndVersionsCompareUnsigned) {
    D3DCAPS9 caps = fake::capableCaps();
    caps.MaxPrimitiveCount = 0xFFFFFFFF;
    caps.MaxVertexIndex = 0x80000000;
    EXPECT_EQ(capsReport(caps), L"");
    // No shaders at all: version 0 is below every shader version.
    caps.VertexShaderVersion = 0;
    caps.PixelShaderVersion = 0;
    EXPECT_EQ(capsReport(caps), L"VS_1_1 not supported, using software vertex processing\nPS_1_1 not supported");
}

TEST(CapsTests, ShaderRules) {
    D3DCAPS9 caps = fake::capableCaps();
    caps.VertexShaderVersion = D3DVS_VERSION(1, 0);
    caps.MaxVertexShaderConst = 0;
    EXPECT_EQ(capsReport(caps), L"VS_1_1 not supported, using software vertex processing");

    caps = fake::capableCaps();
    caps.PixelShaderVersion = D3DPS_VERSION(1, 0);
    caps.PixelShader1xMaxValue = 0.5f;
    EXPECT_EQ(capsReport(caps), L"PS_1_1 not supported\nPixelShader1xMaxValue is less then 1.0f");

    caps = fake::capableCaps();
    caps.PixelShader1xMaxValue = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(capsReport(caps), L"");
}

TEST(CapsTests, NeverAndAlwaysAloneAreNoAlphaTest) {
    D3DCAPS9 caps = fake::capableCaps();
    caps.AlphaCmpCaps = 0x81;
    EXPECT_EQ(capsReport(caps),
              L"alpha test not supported\n"
              L"AlphaCmpCaps::D3DPCMPCAPS_EQUAL not supported\n"
              L"AlphaCmpCaps::D3DPCMPCAPS_GREATER not supported\n"
              L"AlphaCmpCaps::D3DPCMPCAPS_GREATEREQUAL not supported\n"
              L"AlphaCmpCaps::D3DPCMPCAPS_NOTEQUAL not supported");
}

TEST(CapsReport, CapableAdapterGivesAnEmptyReportAndThreeFindingsThreeLines) {
    fake::Direct3D9 d3d;
    D3DCAPS9& caps = d3d.add().caps = fake::capableCaps();
    EXPECT_EQ(buildCapsReport(d3d, 0, D3DDEVTYPE_HAL, CLocalize(), noSetting()), L"");
    caps.Caps2 = 0;
    caps.NumSimultaneousRTs = 0;
    EXPECT_EQ(buildCapsReport(d3d, 0, D3DDEVTYPE_HAL, CLocalize(), noSetting()),
              L"Caps2::D3DCAPS2_CANAUTOGENMIPMAP not supported\n"
              L"Caps2::D3DCAPS2_DYNAMICTEXTURES not supported\n"
              L"NumSimultaneousRTs is less then 1");
}

TEST(CapsReport, NoCapsAfterTheResolutionLines) {
    fake::Direct3D9 d3d;
    fake::Adapter& a = d3d.add();
    a.desktop.Width = 640;
    a.desktop.Height = 480;
    a.capsResult = D3DERR_NOTAVAILABLE;
    EXPECT_EQ(buildCapsReport(d3d, 0, D3DDEVTYPE_HAL, CLocalize(), noSetting()),
              L"current display resolution is too low\n"
              L"  current resolution is: 640x480\n"
              L"  minimum required resolution is: 800x600\n"
              L"can't get device caps");
}

TEST(CapsReport, SectionsComeDriverResolutionCaps) {
    fake::Direct3D9 d3d;
    fake::Adapter& a = d3d.add();
    a.caps = fake::capableCaps();
    a.caps.MaxTextureWidth = 256;
    a.desktopResult = D3DERR_INVALIDCALL;
    DriverAgeServices services{[] { return std::wstring(L"01.01.2010"); },
                               [](unsigned, DriverRecord& r) { r.date = {2009, 1, 1}; }};
    EXPECT_EQ(buildCapsReport(d3d, 0, D3DDEVTYPE_HAL, CLocalize(), services),
              L"T_VDRV_DATE_CUR" + driverDateText({2009, 1, 1}) + L"\nT_VDRV_DATE_REQ" +
                  driverDateText({2010, 1, 1}) +
                  L"\nT_VDRV_DATE_MSG\ncan't get current display resolution\nMaxTextureWidth is less then 512");
}

TEST(CapsReport, ChecksTheAdapterAskedFor) {
    fake::Direct3D9 d3d;
    d3d.add().caps = fake::capableCaps();
    d3d.add().caps = fake::capableCaps();
    d3d.adapters[1].caps.RasterCaps = 0;
    EXPECT_EQ(buildCapsReport(d3d, 0, D3DDEVTYPE_HAL, CLocalize(), noSetting()), L"");
    EXPECT_EQ(buildCapsReport(d3d, 1, D3DDEVTYPE_HAL, CLocalize(), noSetting()),
              L"RasterCaps::D3DPRASTERCAPS_SCISSORTEST not supported\nRasterCaps::D3DPRASTERCAPS_ZTEST not supported");
}
