// A scripted IDirect3D9 for tests: adapters, their identity, desktop mode, display modes, caps and
// format checks are plain data the test sets; every call is answered from that data.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <cstring>
#include <map>
#include <set>
#include <utility>
#include <vector>

namespace fake {

struct Adapter {
    D3DADAPTER_IDENTIFIER9 identifier{};
    D3DDISPLAYMODE desktop{1024, 768, 60, D3DFMT_X8R8G8B8};
    HRESULT desktopResult = D3D_OK;
    // Display modes by adapter format, in enumeration order.
    std::map<D3DFORMAT, std::vector<D3DDISPLAYMODE>> modes;
    D3DCAPS9 caps{};
    HRESULT capsResult = D3D_OK;
    HRESULT deviceTypeResult = D3D_OK;  // CheckDeviceType's answer for every mode
    // Depth-stencil formats that CheckDeviceFormat admits for use as depth-stencil surfaces.
    std::set<D3DFORMAT> depthFormats;
    // CheckDeviceMultiSampleType: (format, type) -> quality levels; absent pairs fail.
    std::map<std::pair<D3DFORMAT, D3DMULTISAMPLE_TYPE>, DWORD> multisample;

    void setName(const char* description, const GUID& id) {
        std::strncpy(identifier.Description, description, sizeof identifier.Description - 1);
        identifier.DeviceIdentifier = id;
    }
    void addMode(D3DFORMAT format, UINT width, UINT height, UINT refresh) {
        modes[format].push_back({width, height, refresh, format});
    }
};

class Direct3D9 : public IDirect3D9 {
public:
    std::vector<Adapter> adapters;
    LONG refs = 1;

    Adapter& add() { return adapters.emplace_back(); }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs)); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(InterlockedDecrement(&refs)); }

    // IDirect3D9
    HRESULT STDMETHODCALLTYPE RegisterSoftwareDevice(void*) override { return D3DERR_NOTAVAILABLE; }
    UINT STDMETHODCALLTYPE GetAdapterCount() override { return static_cast<UINT>(adapters.size()); }
    HRESULT STDMETHODCALLTYPE GetAdapterIdentifier(UINT a, DWORD, D3DADAPTER_IDENTIFIER9* id) override {
        return answer(a, D3D_OK, &Adapter::identifier, id);
    }
    UINT STDMETHODCALLTYPE GetAdapterModeCount(UINT a, D3DFORMAT f) override {
        if (!valid(a)) return 0;
        const auto it = adapters[a].modes.find(f);
        return it == adapters[a].modes.end() ? 0 : static_cast<UINT>(it->second.size());
    }
    HRESULT STDMETHODCALLTYPE EnumAdapterModes(UINT a, D3DFORMAT f, UINT i, D3DDISPLAYMODE* mode) override {
        if (!valid(a)) return D3DERR_INVALIDCALL;
        const auto it = adapters[a].modes.find(f);
        if (it == adapters[a].modes.end() || i >= it->second.size()) return D3DERR_INVALIDCALL;
        *mode = it->second[i];
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE GetAdapterDisplayMode(UINT a, D3DDISPLAYMODE* mode) override {
        return answer(a, valid(a) ? adapters[a].desktopResult : D3D_OK, &Adapter::desktop, mode);
    }
    HRESULT STDMETHODCALLTYPE CheckDeviceType(UINT a, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, BOOL) override {
        return valid(a) ? adapters[a].deviceTypeResult : D3DERR_INVALIDCALL;
    }
    HRESULT STDMETHODCALLTYPE CheckDeviceFormat(UINT a, D3DDEVTYPE, D3DFORMAT, DWORD usage, D3DRESOURCETYPE,
                                                D3DFORMAT check) override {
        if (!valid(a)) return D3DERR_INVALIDCALL;
        return usage & D3DUSAGE_DEPTHSTENCIL && !adapters[a].depthFormats.count(check) ? D3DERR_NOTAVAILABLE : D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE CheckDeviceMultiSampleType(UINT a, D3DDEVTYPE, D3DFORMAT f, BOOL, D3DMULTISAMPLE_TYPE t,
                                                         DWORD* levels) override {
        if (!valid(a)) return D3DERR_INVALIDCALL;
        const auto it = adapters[a].multisample.find({f, t});
        if (it == adapters[a].multisample.end()) return D3DERR_NOTAVAILABLE;
        if (levels) *levels = it->second;
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE CheckDepthStencilMatch(UINT a, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, D3DFORMAT) override {
        return valid(a) ? D3D_OK : D3DERR_INVALIDCALL;
    }
    HRESULT STDMETHODCALLTYPE CheckDeviceFormatConversion(UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT) override {
        return D3D_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDeviceCaps(UINT a, D3DDEVTYPE, D3DCAPS9* caps) override {
        return answer(a, valid(a) ? adapters[a].capsResult : D3D_OK, &Adapter::caps, caps);
    }
    HMONITOR STDMETHODCALLTYPE GetAdapterMonitor(UINT) override { return nullptr; }
    HRESULT STDMETHODCALLTYPE CreateDevice(UINT, D3DDEVTYPE, HWND, DWORD, D3DPRESENT_PARAMETERS*,
                                           IDirect3DDevice9**) override {
        return D3DERR_NOTAVAILABLE;
    }

private:
    bool valid(UINT a) const { return a < adapters.size(); }
    // The adapter's data, unless there is no such adapter or its scripted result is a failure.
    template <class T>
    HRESULT answer(UINT a, HRESULT result, T Adapter::*data, T* out) const {
        if (!valid(a)) return D3DERR_INVALIDCALL;
        if (SUCCEEDED(result)) *out = adapters[a].*data;
        return result;
    }
};

// Caps of an adapter that meets every requirement of the device check: every flag set and every
// limit at its highest, one adapter in its group.
inline D3DCAPS9 capableCaps() {
    D3DCAPS9 caps;
    std::memset(&caps, 0xFF, sizeof caps);
    caps.DeviceType = D3DDEVTYPE_HAL;
    caps.AdapterOrdinal = caps.MasterAdapterOrdinal = caps.AdapterOrdinalInGroup = 0;
    caps.NumberOfAdaptersInGroup = 1;
    caps.PixelShader1xMaxValue = 65504.0f;  // all bits set would be a NaN
    return caps;
}

}  // namespace fake
