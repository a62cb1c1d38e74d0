#include "checks/dx_version_gate.h"

#include <d3dx9core.h>

#include <cwchar>

#include "checks/dx_version.h"
#include "win/trace.h"

namespace {

constexpr wchar_t kCaption[] = L"DirectX Version:";
constexpr wchar_t kUnknownVersion[] = L"Unknown version of DirectX installed\nPlease update to latest version";
constexpr wchar_t kNotInstalled[] =
    L"DirectX not installed\nPlease update to latest version\n(at least 9.0c June 2005)";
constexpr wchar_t kTooOld[] =
    L"DirectX %ls installed\nIt's too old\nPlease update to latest version\n(at least 9.0c June 2005)";

int refuse(IDXGatePlatform& platform, const wchar_t* text) {
    platform.messageBox(nullptr, text, kCaption, MB_ICONERROR);
    return 0;
}

}  // namespace

HRESULT DXGatePlatform::dxVersion(DWORD* version, wchar_t* text, int textLength) {
    DXVersionPlatform platform(m_prefetched);
    return detectDXVersion(platform, version, text, textLength);
}

BOOL DXGatePlatform::d3dxCheckVersion(UINT d3dSdkVersion, UINT d3dxSdkVersion) {
    const win::CTraceStep step("D3DXCheckVersion");
    return D3DXCheckVersion(d3dSdkVersion, d3dxSdkVersion);
}

int DXGatePlatform::messageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    return MessageBoxW(owner, text, caption, type);
}

int checkDXVersionWith(IDXGatePlatform& platform) {
    DWORD version = 0;
    wchar_t versionText[10] = {};
    const HRESULT hr = platform.dxVersion(&version, versionText, static_cast<int>(std::size(versionText)));

    if (FAILED(hr)) return refuse(platform, kUnknownVersion);
    if (version == 0) return refuse(platform, kNotInstalled);
    if (version < kMinimumDXVersion) {
        wchar_t message[128];
        std::swprintf(message, std::size(message), kTooOld, versionText);
        message[std::size(message) - 1] = L'\0';
        return refuse(platform, message);
    }
    // The letter is D3DX's to judge: it knows whether the runtime matches what we were built with.
    return platform.d3dxCheckVersion(kD3DSdkVersion, kD3DXSdkVersion);
}

int checkDXVersion() {
    DXGatePlatform platform;
    return checkDXVersionWith(platform);
}
