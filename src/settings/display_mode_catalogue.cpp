#include "settings/display_mode_catalogue.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "checks/adapter_description.h"
#include "app/crash_reporter.h"
#include "config/language_keys.h"
#include "config/language_table.h"
#include "win/trace.h"

const DisplayFormatEntry kDisplayFormats[6] = {
    {32, D3DFMT_X8R8G8B8, L"TrueColor - 32bit"}, {32, D3DFMT_A8R8G8B8, L"TrueColor - 32bit"},
    {32, D3DFMT_A2R10G10B10, L"TrueColor - 32bit"}, {16, D3DFMT_R5G6B5, L"HiColor - 16bit"},
    {16, D3DFMT_X1R5G5B5, L"HiColor - 16bit"},      {16, D3DFMT_A1R5G5B5, L"HiColor - 16bit"},
};

const MultisampleEntry kMultisampleTypes[17] = {
    {D3DMULTISAMPLE_NONE, wkey::T_AA_NONE}, {D3DMULTISAMPLE_NONMASKABLE, wkey::T_AA_NONMASKABLE},
    {D3DMULTISAMPLE_2_SAMPLES, wkey::T_AA_02_SAMPLES}, {D3DMULTISAMPLE_3_SAMPLES, wkey::T_AA_03_SAMPLES},
    {D3DMULTISAMPLE_4_SAMPLES, wkey::T_AA_04_SAMPLES}, {D3DMULTISAMPLE_5_SAMPLES, wkey::T_AA_05_SAMPLES},
    {D3DMULTISAMPLE_6_SAMPLES, wkey::T_AA_06_SAMPLES}, {D3DMULTISAMPLE_7_SAMPLES, wkey::T_AA_07_SAMPLES},
    {D3DMULTISAMPLE_8_SAMPLES, wkey::T_AA_08_SAMPLES}, {D3DMULTISAMPLE_9_SAMPLES, wkey::T_AA_09_SAMPLES},
    {D3DMULTISAMPLE_10_SAMPLES, wkey::T_AA_10_SAMPLES}, {D3DMULTISAMPLE_11_SAMPLES, wkey::T_AA_11_SAMPLES},
    {D3DMULTISAMPLE_12_SAMPLES, wkey::T_AA_12_SAMPLES}, {D3DMULTISAMPLE_13_SAMPLES, wkey::T_AA_13_SAMPLES},
    {D3DMULTISAMPLE_14_SAMPLES, wkey::T_AA_14_SAMPLES}, {D3DMULTISAMPLE_15_SAMPLES, wkey::T_AA_15_SAMPLES},
    {D3DMULTISAMPLE_16_SAMPLES, wkey::T_AA_16_SAMPLES},
};

const D3DFORMAT kDepthStencilCandidates[4] = {D3DFMT_D24S8, D3DFMT_D24FS8, D3DFMT_D24X4S4, D3DFMT_D15S1};

namespace {

double squaredDistance(const GraphicsSettings& target, const D3DDISPLAYMODE& mode) {
    const double dw = static_cast<double>(target.Width) - mode.Width;
    const double dh = static_cast<double>(target.Height) - mode.Height;
    return dw * dw + dh * dh;
}

double refreshDistance(const GraphicsSettings& target, const D3DDISPLAYMODE& mode) {
    return std::abs(static_cast<double>(target.RefreshRate) - mode.RefreshRate);
}

std::wstring modeLabel(const D3DDISPLAYMODE& mode) {
    wchar_t label[128];
    if (mode.RefreshRate > 0)
        std::swprintf(label, 128, L"%ux%u %uHz", mode.Width, mode.Height, mode.RefreshRate);
    else
        std::swprintf(label, 128, L"%ux%u", mode.Width, mode.Height);
    return label;
}

}  // namespace

win::CComPtr<IDirect3D9> createDirect3D(Direct3DProbe* prefetched) {
    win::CComPtr<IDirect3D9> d3d;
    if (prefetched && prefetched->pending()) {
        const win::CTraceStep wait("wait for Direct3DCreate9");
        d3d = prefetched->take();
    } else {
        d3d = win::CComPtr<IDirect3D9>(Direct3DCreate9(D3D_SDK_VERSION));
    }
    // A prefetched failure is told here, where the settings object needs the object, and only here.
    if (!d3d) {
        MessageBoxW(nullptr, L"can't create D3D object", L"Fatal error", MB_ICONERROR);
        crash::abortWithoutReport();
    }
    return d3d;
}

ChoiceList listAdapters(IDirect3D9& d3d, const GraphicsSettings& settings) {
    ChoiceList list;
    const UINT count = d3d.GetAdapterCount();
    for (UINT adapter = 0; adapter < count; ++adapter) {
        D3DADAPTER_IDENTIFIER9 identifier{};  // an unreadable adapter is listed without a name
        d3d.GetAdapterIdentifier(adapter, 0, &identifier);
        list.entries.push_back({adapterDescription(identifier), static_cast<LONG_PTR>(adapter)});
    }
    list.choose(settings.AdapterOrdinal);
    return list;
}

ChoiceList listColourDepths(IDirect3D9& d3d, UINT adapter, GraphicsSettings& settings) {
    ChoiceList list;
    std::vector<UINT> depthsListed;
    int chosen = -1;
    for (size_t row = 0; row < std::size(kDisplayFormats); ++row) {
        const DisplayFormatEntry& entry = kDisplayFormats[row];
        if (std::find(depthsListed.begin(), depthsListed.end(), entry.bits) != depthsListed.end()) continue;
        if (d3d.GetAdapterModeCount(adapter, entry.format) == 0) continue;
        depthsListed.push_back(entry.bits);
        if (static_cast<DWORD>(entry.format) == settings.AdapterFormat && chosen < 0)
            chosen = static_cast<int>(list.entries.size());
        list.entries.push_back({entry.label, static_cast<LONG_PTR>(row)});
    }
    list.chosen = chosen >= 0 ? chosen : (list.entries.empty() ? -1 : 0);
    if (list.chosen >= 0) settings.AdapterFormat = kDisplayFormats[list.entries[list.chosen].data].format;
    return list;
}

HRESULT readMode(IDirect3D9& d3d, UINT adapter, D3DFORMAT adapterFormat, UINT index, GraphicsSettings& settings) {
    D3DDISPLAYMODE mode{};
    const HRESULT hr = d3d.EnumAdapterModes(adapter, adapterFormat, index, &mode);
    if (SUCCEEDED(hr)) {
        settings.Width = mode.Width;
        settings.Height = mode.Height;
        settings.RefreshRate = mode.RefreshRate;
        settings.SurfaceFormat = mode.Format;
    }
    return hr;
}

int pickResolution(IDirect3D9& d3d, UINT adapter, D3DFORMAT adapterFormat, const std::vector<OfferedMode>& offered,
                   const GraphicsSettings& target) {
    int best = -1;
    for (size_t i = 0; i < offered.size(); ++i) {
        if (best < 0) {
            best = static_cast<int>(i);
            continue;
        }
        // The best mode is read afresh; the candidate is compared as the listing read it.
        D3DDISPLAYMODE b{};
        if (FAILED(d3d.EnumAdapterModes(adapter, adapterFormat, offered[best].index, &b))) continue;
        const D3DDISPLAYMODE& c = offered[i].mode;
        const bool better = (c.Width == b.Width && c.Height == b.Height)
                                ? refreshDistance(target, c) < refreshDistance(target, b)
                                : squaredDistance(target, c) < squaredDistance(target, b);
        if (better) best = static_cast<int>(i);
    }
    return best;
}

ChoiceList listResolutions(IDirect3D9& d3d, UINT adapter, D3DFORMAT adapterFormat, GraphicsSettings& settings) {
    ChoiceList list;
    std::vector<OfferedMode> offered;
    const UINT count = d3d.GetAdapterModeCount(adapter, adapterFormat);
    for (UINT i = 0; i < count; ++i) {
        D3DDISPLAYMODE mode{};
        if (FAILED(d3d.EnumAdapterModes(adapter, adapterFormat, i, &mode))) continue;
        if (mode.Width < kMinimumWidth || mode.Height < kMinimumHeight) continue;
        if (FAILED(d3d.CheckDeviceType(adapter, D3DDEVTYPE_HAL, adapterFormat, mode.Format, FALSE))) continue;
        list.entries.push_back({modeLabel(mode), static_cast<LONG_PTR>(i)});
        offered.push_back({i, mode});
    }
    list.chosen = pickResolution(d3d, adapter, adapterFormat, offered, settings);
    if (list.chosen >= 0) readMode(d3d, adapter, adapterFormat, offered[list.chosen].index, settings);
    return list;
}

std::vector<D3DFORMAT> listDepthStencilFormats(IDirect3D9& d3d, UINT adapter, D3DFORMAT adapterFormat,
                                               D3DFORMAT surfaceFormat) {
    std::vector<D3DFORMAT> formats;
    for (D3DFORMAT candidate : kDepthStencilCandidates) {
        if (FAILED(d3d.CheckDeviceFormat(adapter, D3DDEVTYPE_HAL, adapterFormat, D3DUSAGE_DEPTHSTENCIL,
                                         D3DRTYPE_SURFACE, candidate)))
            continue;
        if (FAILED(d3d.CheckDepthStencilMatch(adapter, D3DDEVTYPE_HAL, adapterFormat, surfaceFormat, candidate)))
            continue;
        formats.push_back(candidate);
    }
    return formats;
}

ChoiceList listMultisampleTypes(IDirect3D9& d3d, UINT adapter, D3DFORMAT surfaceFormat,
                                const std::vector<D3DFORMAT>& depthFormats, GraphicsSettings& settings,
                                const CLocalize& localize) {
    ChoiceList list;
    for (size_t row = 0; row < std::size(kMultisampleTypes); ++row) {
        const D3DMULTISAMPLE_TYPE type = kMultisampleTypes[row].type;
        if (FAILED(d3d.CheckDeviceMultiSampleType(adapter, D3DDEVTYPE_HAL, surfaceFormat, FALSE, type, nullptr)))
            continue;
        bool depthSupports = false;
        for (D3DFORMAT depth : depthFormats) {
            if (SUCCEEDED(d3d.CheckDeviceMultiSampleType(adapter, D3DDEVTYPE_HAL, depth, FALSE, type, nullptr))) {
                depthSupports = true;
                break;
            }
        }
        if (!depthSupports) continue;
        list.entries.push_back({localize.translate(std::wstring(kMultisampleTypes[row].key)), static_cast<LONG_PTR>(row)});
    }
    list.chosen = -1;
    for (size_t i = 0; i < list.entries.size() && list.chosen < 0; ++i)
        if (static_cast<DWORD>(kMultisampleTypes[list.entries[i].data].type) == settings.MultiSampleType)
            list.chosen = static_cast<int>(i);
    if (list.chosen < 0 && !list.entries.empty()) list.chosen = 0;
    if (list.chosen >= 0) settings.MultiSampleType = kMultisampleTypes[list.entries[list.chosen].data].type;
    return list;
}

DWORD countQualityLevels(IDirect3D9& d3d, UINT adapter, D3DFORMAT surfaceFormat,
                         const std::vector<D3DFORMAT>& depthFormats, D3DMULTISAMPLE_TYPE type) {
    DWORD quality = 0;
    if (FAILED(d3d.CheckDeviceMultiSampleType(adapter, D3DDEVTYPE_HAL, surfaceFormat, FALSE, type, &quality)))
        return 0;
    if (depthFormats.empty()) return quality;
    DWORD best = 0;
    for (D3DFORMAT depth : depthFormats) {
        DWORD levels = 0;
        if (SUCCEEDED(d3d.CheckDeviceMultiSampleType(adapter, D3DDEVTYPE_HAL, depth, FALSE, type, &levels)))
            best = std::max(best, levels);
    }
    return std::min(quality, best);
}

ChoiceList listQualityLevels(DWORD count, GraphicsSettings& settings) {
    ChoiceList list;
    const DWORD choices = count > 0 ? count : 1;
    for (DWORD q = 0; q < choices; ++q) list.entries.push_back({std::to_wstring(q), static_cast<LONG_PTR>(q)});
    list.choose(settings.MultiSampleQuality);
    settings.MultiSampleQuality = static_cast<DWORD>(list.chosenData());
    return list;
}
