#include "checks/caps_check.h"

#include <utility>

#include "checks/check_report.h"
#include "checks/resolution_check.h"

namespace {

enum class CapsRule {
    Has,           // the field ANDed with the value is nonzero
    AtLeast,       // unsigned: the field is not below the value
    NotBelowOne,   // float field not less than 1.0; a NaN passes
};

struct CapsTest {
    CapsRule rule;
    DWORD D3DCAPS9::*field;
    float D3DCAPS9::*floatField;
    DWORD value;
    const wchar_t* message;
    // When this test fails the next one is not run (it only means something after this one).
    bool gatesNext;
};

constexpr CapsTest has(DWORD D3DCAPS9::*field, DWORD mask, const wchar_t* message) {
    return {CapsRule::Has, field, nullptr, mask, message, false};
}
constexpr CapsTest atLeast(DWORD D3DCAPS9::*field, DWORD minimum, const wchar_t* message, bool gatesNext = false) {
    return {CapsRule::AtLeast, field, nullptr, minimum, message, gatesNext};
}
constexpr CapsTest notBelowOne(float D3DCAPS9::*field, const wchar_t* message) {
    return {CapsRule::NotBelowOne, nullptr, field, 0, message, false};
}

using C = D3DCAPS9;

// The game's requirements. The texts are what players and support know; keep them as they are.
const CapsTest kCapsTests[] = {
    has(&C::Caps2, 0x40000000, L"Caps2::D3DCAPS2_CANAUTOGENMIPMAP not supported"),
    has(&C::Caps2, 0x20000000, L"Caps2::D3DCAPS2_DYNAMICTEXTURES not supported"),
    has(&C::Caps3, 0x20, L"Caps3::D3DCAPS3_ALPHA_FULLSCREEN_FLIP_OR_DISCARD not supported"),
    has(&C::Caps3, 0x100, L"Caps3::D3DCAPS3_COPY_TO_VIDMEM not supported"),
    has(&C::Caps3, 0x200, L"Caps3::D3DCAPS3_COPY_TO_SYSTEMMEM not supported"),
    has(&C::PresentationIntervals, 0x80000001,
        L"PresentationIntervals::D3DPRESENT_INTERVAL_IMMEDIATE or PresentationIntervals::D3DPRESENT_INTERVAL_ONE "
        L"not supported"),
    has(&C::PrimitiveMiscCaps, 0x2, L"PrimitiveMiscCaps::D3DPMISCCAPS_MASKZ not supported"),
    has(&C::PrimitiveMiscCaps, 0x10, L"PrimitiveMiscCaps::D3DPMISCCAPS_CULLNONE not supported"),
    has(&C::PrimitiveMiscCaps, 0x20, L"PrimitiveMiscCaps::D3DPMISCCAPS_CULLCW not supported"),
    has(&C::PrimitiveMiscCaps, 0x40, L"PrimitiveMiscCaps::D3DPMISCCAPS_CULLCCW not supported"),
    has(&C::PrimitiveMiscCaps, 0x80, L"PrimitiveMiscCaps::D3DPMISCCAPS_COLORWRITEENABLE not supported"),
    has(&C::RasterCaps, 0x01000000, L"RasterCaps::D3DPRASTERCAPS_SCISSORTEST not supported"),
    has(&C::RasterCaps, 0x10, L"RasterCaps::D3DPRASTERCAPS_ZTEST not supported"),
    has(&C::ZCmpCaps, 0x80, L"ZCmpCaps::D3DPCMPCAPS_ALWAYS not supported"),
    has(&C::ZCmpCaps, 0x4, L"ZCmpCaps::D3DPCMPCAPS_EQUAL not supported"),
    has(&C::ZCmpCaps, 0x2, L"ZCmpCaps::D3DPCMPCAPS_LESS not supported"),
    has(&C::ZCmpCaps, 0x8, L"ZCmpCaps::D3DPCMPCAPS_LESSEQUAL not supported"),
    has(&C::SrcBlendCaps, 0x100, L"SrcBlendCaps::D3DPBLENDCAPS_DESTCOLOR not supported"),
    has(&C::SrcBlendCaps, 0x20, L"SrcBlendCaps::D3DPBLENDCAPS_INVSRCALPHA not supported"),
    has(&C::SrcBlendCaps, 0x2, L"SrcBlendCaps::D3DPBLENDCAPS_ONE not supported"),
    has(&C::SrcBlendCaps, 0x10, L"SrcBlendCaps::D3DPBLENDCAPS_SRCALPHA not supported"),
    has(&C::SrcBlendCaps, 0x4, L"SrcBlendCaps::D3DPBLENDCAPS_SRCCOLOR not supported"),
    has(&C::SrcBlendCaps, 0x1, L"SrcBlendCaps::D3DPBLENDCAPS_ZERO not supported"),
    has(&C::DestBlendCaps, 0x100, L"DestBlendCaps::D3DPBLENDCAPS_DESTCOLOR not supported"),
    has(&C::DestBlendCaps, 0x20, L"DestBlendCaps::D3DPBLENDCAPS_INVSRCALPHA not supported"),
    has(&C::DestBlendCaps, 0x2, L"DestBlendCaps::D3DPBLENDCAPS_ONE not supported"),
    has(&C::DestBlendCaps, 0x10, L"DestBlendCaps::D3DPBLENDCAPS_SRCALPHA not supported"),
    has(&C::DestBlendCaps, 0x4, L"DestBlendCaps::D3DPBLENDCAPS_SRCCOLOR not supported"),
    has(&C::DestBlendCaps, 0x1, L"DestBlendCaps::D3DPBLENDCAPS_ZERO not supported"),
    // Never and always alone are no alpha test at all.
    has(&C::AlphaCmpCaps, 0xFFFFFF7E, L"alpha test not supported"),
    has(&C::AlphaCmpCaps, 0x4, L"AlphaCmpCaps::D3DPCMPCAPS_EQUAL not supported"),
    has(&C::AlphaCmpCaps, 0x10, L"AlphaCmpCaps::D3DPCMPCAPS_GREATER not supported"),
    has(&C::AlphaCmpCaps, 0x40, L"AlphaCmpCaps::D3DPCMPCAPS_GREATEREQUAL not supported"),
    has(&C::AlphaCmpCaps, 0x20, L"AlphaCmpCaps::D3DPCMPCAPS_NOTEQUAL not supported"),
    has(&C::TextureCaps, 0x4, L"TextureCaps::D3DPTEXTURECAPS_ALPHA not supported"),
    has(&C::TextureCaps, 0x800, L"TextureCaps::D3DPTEXTURECAPS_CUBEMAP not supported"),
    has(&C::TextureCaps, 0x4000, L"TextureCaps::D3DPTEXTURECAPS_MIPMAP not supported"),
    has(&C::TextureCaps, 0x1, L"TextureCaps::D3DPTEXTURECAPS_PERSPECTIVE not supported"),
    has(&C::TextureFilterCaps, 0x01000000, L"TextureFilterCaps::D3DPTFILTERCAPS_MAGFPOINT not supported"),
    has(&C::TextureFilterCaps, 0x02000000, L"TextureFilterCaps::D3DPTFILTERCAPS_MAGFLINEAR not supported"),
    has(&C::TextureFilterCaps, 0x100, L"TextureFilterCaps::D3DPTFILTERCAPS_MINFPOINT not supported"),
    has(&C::TextureFilterCaps, 0x200, L"TextureFilterCaps::D3DPTFILTERCAPS_MINFLINEAR not supported"),
    has(&C::TextureFilterCaps, 0x10000, L"TextureFilterCaps::D3DPTFILTERCAPS_MIPFPOINT not supported"),
    has(&C::TextureFilterCaps, 0x20000, L"TextureFilterCaps::D3DPTFILTERCAPS_MIPFLINEAR not supported"),
    has(&C::CubeTextureFilterCaps, 0x01000000, L"CubeTextureFilterCaps::D3DPTFILTERCAPS_MAGFPOINT not supported"),
    has(&C::CubeTextureFilterCaps, 0x02000000, L"CubeTextureFilterCaps::D3DPTFILTERCAPS_MAGFLINEAR not supported"),
    has(&C::CubeTextureFilterCaps, 0x100, L"CubeTextureFilterCaps::D3DPTFILTERCAPS_MINFPOINT not supported"),
    has(&C::CubeTextureFilterCaps, 0x200, L"CubeTextureFilterCaps::D3DPTFILTERCAPS_MINFLINEAR not supported"),
    has(&C::TextureAddressCaps, 0x4, L"TextureAddressCaps::D3DPTADDRESSCAPS_CLAMP not supported"),
    has(&C::TextureAddressCaps, 0x10, L"TextureAddressCaps::D3DPTADDRESSCAPS_INDEPENDENTUV not supported"),
    has(&C::TextureAddressCaps, 0x2, L"TextureAddressCaps::D3DPTADDRESSCAPS_MIRROR not supported"),
    has(&C::TextureAddressCaps, 0x1, L"TextureAddressCaps::D3DPTADDRESSCAPS_WRAP not supported"),
    atLeast(&C::MaxTextureWidth, 512, L"MaxTextureWidth is less then 512"),
    atLeast(&C::MaxTextureHeight, 512, L"MaxTextureHeight is less then 512"),
    has(&C::StencilCaps, 0x1, L"StencilCaps::D3DSTENCILCAPS_KEEP not supported"),
    has(&C::StencilCaps, 0x2, L"StencilCaps::D3DSTENCILCAPS_ZERO not supported"),
    has(&C::StencilCaps, 0x4, L"StencilCaps::D3DSTENCILCAPS_REPLACE not supported"),
    has(&C::StencilCaps, 0x20, L"StencilCaps::D3DSTENCILCAPS_INVERT not supported"),
    has(&C::StencilCaps, 0x40, L"StencilCaps::D3DSTENCILCAPS_INCR not supported"),
    has(&C::StencilCaps, 0x80, L"StencilCaps::D3DSTENCILCAPS_DECR not supported"),
    atLeast(&C::MaxSimultaneousTextures, 4, L"MaxSimultaneousTextures is less then 4"),
    atLeast(&C::MaxPrimitiveCount, 65535, L"MaxPrimitiveCount is less then 65535"),
    atLeast(&C::MaxVertexIndex, 65534, L"MaxVertexIndex is less then 65534"),
    // Without vertex shader 1.1 the constant count says nothing about the hardware.
    atLeast(&C::VertexShaderVersion, D3DVS_VERSION(1, 1), L"VS_1_1 not supported, using software vertex processing",
            true),
    atLeast(&C::MaxVertexShaderConst, 96, L"MaxVertexShaderConst is less then 96"),
    atLeast(&C::PixelShaderVersion, D3DPS_VERSION(1, 1), L"PS_1_1 not supported"),
    notBelowOne(&C::PixelShader1xMaxValue, L"PixelShader1xMaxValue is less then 1.0f"),
    has(&C::DevCaps2, 0x10, L"DevCaps2::D3DDEVCAPS2_CAN_STRETCHRECT_FROM_TEXTURES not supported"),
    has(&C::DevCaps2, 0x1, L"DevCaps2::D3DDEVCAPS2_STREAMOFFSET not supported"),
    atLeast(&C::NumSimultaneousRTs, 1, L"NumSimultaneousRTs is less then 1"),
};

bool passes(const CapsTest& test, const D3DCAPS9& caps) {
    switch (test.rule) {
    case CapsRule::Has:
        return (caps.*test.field & test.value) != 0;
    case CapsRule::AtLeast:
        return caps.*test.field >= test.value;
    case CapsRule::NotBelowOne:
        return !(caps.*test.floatField < 1.0f);
    }
    return false;
}

}  // namespace

void appendCapsFindings(const D3DCAPS9& caps, std::wstring& report) {
    bool skip = false;
    for (const CapsTest& test : kCapsTests) {
        if (std::exchange(skip, false)) continue;
        if (passes(test, caps)) continue;
        appendReportLine(report, test.message);
        skip = test.gatesNext;
    }
}

std::wstring buildCapsReport(IDirect3D9& d3d, UINT adapter, D3DDEVTYPE deviceType, const CLocalize& localize,
                             const DriverAgeServices& services) {
    std::wstring report;
    appendDriverAgeFindings(d3d, adapter, deviceType, localize, services, report);
    appendResolutionFindings(d3d, adapter, report);
    D3DCAPS9 caps{};
    if (FAILED(d3d.GetDeviceCaps(adapter, deviceType, &caps)))
        appendReportLine(report, L"can't get device caps");
    else
        appendCapsFindings(caps, report);
    return report;
}

std::wstring checkD3DCaps(win::CComPtr<IDirect3D9> d3d, UINT adapter, D3DDEVTYPE deviceType,
                          const CLocalize& localize) {
    if (!d3d) {
        // Nothing can be asked of a missing object: say so as the queries themselves would.
        std::wstring report;
        appendReportLine(report, L"can't get current display resolution");
        appendReportLine(report, L"can't get device caps");
        return report;
    }
    return buildCapsReport(*d3d.get(), adapter, deviceType, localize, DriverAgeServices::system());
}
