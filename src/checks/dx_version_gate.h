// The DirectX gate: the launch goes on only with DirectX 9.0 or later and the D3DX 9 runtime the
// program was built against. A refusal is explained to the player in a fixed English message box.
#pragma once

#include <windows.h>

#include "app/exports.h"
#include "checks/dx_version.h"

// What the gate asks and shows. Production (DXGatePlatform) uses getDXVersion, the imported
// D3DXCheckVersion and MessageBoxW; tests substitute their own answers and record the boxes.
class IDXGatePlatform {
public:
    virtual HRESULT dxVersion(DWORD* version, wchar_t* text, int textLength) = 0;
    virtual BOOL d3dxCheckVersion(UINT d3dSdkVersion, UINT d3dxSdkVersion) = 0;
    virtual int messageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) = 0;

protected:
    ~IDXGatePlatform() = default;
};

class DXGatePlatform final : public IDXGatePlatform {
public:
    // With a prefetched diagnostic query, the version is worked out from its answer.
    explicit DXGatePlatform(DXDiagnosticsProbe* prefetched = nullptr) : m_prefetched(prefetched) {}
    HRESULT dxVersion(DWORD* version, wchar_t* text, int textLength) override;
    BOOL d3dxCheckVersion(UINT d3dSdkVersion, UINT d3dxSdkVersion) override;
    int messageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) override;

private:
    DXDiagnosticsProbe* m_prefetched;
};

// The SDK versions the program is built against, as D3DXCheckVersion compares them.
constexpr UINT kD3DSdkVersion = 32;
constexpr UINT kD3DXSdkVersion = 30;
// The lowest packed version the gate lets through: 9.0, any letter.
constexpr DWORD kMinimumDXVersion = 0x90000;

// checkDXVersion against the given platform.
int checkDXVersionWith(IDXGatePlatform& platform);

// Nonzero when the game may go on; 0 after telling the player why not (or, for a D3DX runtime
// that does not match, silently).
SKELVANE_EXPORT int checkDXVersion();
