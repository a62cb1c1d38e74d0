// Which full-screen configurations the game can start with: adapters, colour depths, resolutions,
// antialiasing types and quality levels, asked of Direct3D each time a list is needed. Each list
// also says which entry is chosen, matching the graphics settings, and writes the choice back.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <string>
#include <vector>

#include "config/launch_settings.h"
#include "settings/choice_list.h"
#include "win/handles.h"

class CLocalize;

struct DisplayFormatEntry {
    UINT bits;
    D3DFORMAT format;
    const wchar_t* label;
};
struct MultisampleEntry {
    D3DMULTISAMPLE_TYPE type;
    const wchar_t* key;  // language key of the name shown
};

extern const DisplayFormatEntry kDisplayFormats[6];
extern const MultisampleEntry kMultisampleTypes[17];
extern const D3DFORMAT kDepthStencilCandidates[4];

constexpr UINT kMinimumWidth = 800;
constexpr UINT kMinimumHeight = 600;

// Direct3DCreate9; shows "can't create D3D object" / "Fatal error" and aborts when there is none.
win::CComPtr<IDirect3D9> createDirect3D();

// The adapters in ordinal order, named by their description; chosen: AdapterOrdinal, else the first.
ChoiceList listAdapters(IDirect3D9& d3d, const GraphicsSettings& settings);

// One row per colour depth with any mode, 32-bit first; the data is the row of kDisplayFormats.
// Chosen by AdapterFormat, else the first; AdapterFormat becomes the chosen row's format.
ChoiceList listColourDepths(IDirect3D9& d3d, UINT adapter, GraphicsSettings& settings);

// The modes of at least 800 x 600 the device accepts full-screen, in enumeration order; the data
// is the mode index. The mode nearest the settings is chosen and read into them.
ChoiceList listResolutions(IDirect3D9& d3d, UINT adapter, D3DFORMAT adapterFormat, GraphicsSettings& settings);
// A mode of the resolution list: its index and what the listing read.
struct OfferedMode {
    UINT index;
    D3DDISPLAYMODE mode;
};
// Index into the offered modes of the mode nearest the target size and refresh rate.
int pickResolution(IDirect3D9& d3d, UINT adapter, D3DFORMAT adapterFormat, const std::vector<OfferedMode>& offered,
                   const GraphicsSettings& target);
// Reads mode `index` of (adapter, format) into the settings' display mode.
HRESULT readMode(IDirect3D9& d3d, UINT adapter, D3DFORMAT adapterFormat, UINT index, GraphicsSettings& settings);

// The depth-stencil candidates usable with this adapter format and surface format.
std::vector<D3DFORMAT> listDepthStencilFormats(IDirect3D9& d3d, UINT adapter, D3DFORMAT adapterFormat,
                                               D3DFORMAT surfaceFormat);

// Types both the surface and one of the depth formats support; none when there is no depth
// format. The data is the row of kMultisampleTypes; chosen by MultiSampleType, written back.
ChoiceList listMultisampleTypes(IDirect3D9& d3d, UINT adapter, D3DFORMAT surfaceFormat,
                                const std::vector<D3DFORMAT>& depthFormats, GraphicsSettings& settings,
                                const CLocalize& localize);

// Quality levels of a type: the surface's count, limited by the best of the depth formats.
DWORD countQualityLevels(IDirect3D9& d3d, UINT adapter, D3DFORMAT surfaceFormat,
                         const std::vector<D3DFORMAT>& depthFormats, D3DMULTISAMPLE_TYPE type);
// Choices 0 .. count-1 ("0" alone when count is 0); chosen by MultiSampleQuality, written back.
ChoiceList listQualityLevels(DWORD count, GraphicsSettings& settings);
