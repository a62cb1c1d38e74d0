#include "checks/dx_version.h"

#include <dxdiag.h>
#include <oleauto.h>

#include <algorithm>
#include <cwchar>
#include <memory>
#include <new>

#include "win/com.h"
#include "win/handles.h"

namespace {

// Written out here so that no translation unit has to instantiate the header's GUIDs.
constexpr GUID kClsidDxDiagProvider = {0xA65B8071, 0x3BFE, 0x4213, {0x9A, 0x5B, 0x49, 0x1D, 0xA4, 0x46, 0x1C, 0xA7}};
constexpr GUID kIidDxDiagProvider = {0x9C6B4CB0, 0x23F8, 0x49CC, {0xA3, 0xED, 0x45, 0xA5, 0x50, 0x00, 0xA6, 0xD2}};

// Which file version means which release. Where a rule gives a second threshold, the first
// applies to files whose first field is 4 and the second to those whose first field is 5: the
// same file numbers its releases in two schemes.
struct ProbeRule {
    const wchar_t* file;
    FileVersion atLeast;
    FileVersion atLeastV5;  // 0: the rule has one threshold
    DXVersion result;
};

constexpr ProbeRule kProbeRules[] = {
    {L"\\ddraw.dll", makeFileVersion(4, 2, 0, 95), 0, {1, 0, L' '}},
    {L"\\ddraw.dll", makeFileVersion(4, 3, 0, 1096), 0, {2, 0, L' '}},
    {L"\\ddraw.dll", makeFileVersion(4, 4, 0, 68), 0, {3, 0, L' '}},
    {L"\\d3drg8x.dll", makeFileVersion(4, 4, 0, 70), 0, {3, 0, L'a'}},
    {L"\\ddraw.dll", makeFileVersion(4, 5, 0, 155), 0, {5, 0, L' '}},
    {L"\\ddraw.dll", makeFileVersion(4, 6, 0, 318), 0, {6, 0, L' '}},
    {L"\\ddraw.dll", makeFileVersion(4, 6, 0, 436), 0, {6, 1, L' '}},
    {L"\\dplayx.dll", makeFileVersion(4, 6, 3, 518), 0, {6, 1, L'a'}},
    {L"\\ddraw.dll", makeFileVersion(4, 7, 0, 700), 0, {7, 0, L' '}},
    {L"\\dinput.dll", makeFileVersion(4, 7, 0, 716), 0, {7, 0, L'a'}},
    {L"\\ddraw.dll", makeFileVersion(4, 8, 0, 400), makeFileVersion(5, 1, 2258, 400), {8, 0, L' '}},
    {L"\\d3d8.dll", makeFileVersion(4, 8, 1, 881), makeFileVersion(5, 1, 2600, 881), {8, 1, L' '}},
    {L"\\d3d8.dll", makeFileVersion(4, 8, 1, 901), makeFileVersion(5, 1, 2600, 901), {8, 1, L'a'}},
    {L"\\mpg2splt.ax", makeFileVersion(6, 3, 1, 885), 0, {8, 1, L'b'}},
    {L"\\dpnet.dll", makeFileVersion(4, 9, 0, 134), makeFileVersion(5, 2, 3677, 134), {8, 2, L' '}},
};

bool ruleMatches(const ProbeRule& rule, FileVersion version) {
    if (rule.atLeastV5 == 0) return version >= rule.atLeast;
    switch (version >> 48) {
        case 4: return version >= rule.atLeast;
        case 5: return version >= rule.atLeastV5;
        default: return false;
    }
}

wchar_t lowercase(wchar_t letter) { return letter >= L'A' && letter <= L'Z' ? letter - L'A' + L'a' : letter; }

bool hasLetter(wchar_t letter) { return letter != L' ' && letter != L'\0'; }

}  // namespace

DWORD packDXVersion(const DXVersion& version) {
    const DWORD letterIndex =
        version.letter >= L'a' && version.letter <= L'z' ? static_cast<DWORD>(version.letter - L'a' + 1) : 0;
    return ((version.major * 256 + version.minor) * 256) + letterIndex;
}

std::wstring formatDXVersion(const DXVersion& version) {
    std::wstring text = std::to_wstring(version.major) + L"." + std::to_wstring(version.minor);
    if (hasLetter(version.letter)) text += lowercase(version.letter);
    return text;
}

HRESULT dxVersionFromSystemInfo(IDxDiagContainer& systemInfo, DXVersion& version) {
    win::CVariant value;
    bool haveMajor = false, haveMinor = false, haveLetter = false;

    if (SUCCEEDED(systemInfo.GetProp(L"dwDirectXVersionMajor", value.get())) && value.value().vt == VT_UI4) {
        version.major = value.value().ulVal;
        haveMajor = true;
    }
    value.clear();
    if (SUCCEEDED(systemInfo.GetProp(L"dwDirectXVersionMinor", value.get())) && value.value().vt == VT_UI4) {
        version.minor = value.value().ulVal;
        haveMinor = true;
    }
    value.clear();
    if (SUCCEEDED(systemInfo.GetProp(L"szDirectXVersionLetter", value.get())) && value.value().vt == VT_BSTR &&
        value.value().bstrVal != nullptr) {
        version.letter = value.value().bstrVal[0];
        haveLetter = true;
    }
    value.clear();

    return haveMajor && haveMinor && haveLetter ? S_OK : E_FAIL;
}

HRESULT dxVersionFromDiagnostics(DXVersion& version) {
    const win::CComApartment apartment;
    // Released in reverse: system information, root, provider; then the apartment is left.
    win::CComPtr<IDxDiagProvider> provider;
    HRESULT hr = CoCreateInstance(kClsidDxDiagProvider, nullptr, CLSCTX_INPROC_SERVER, kIidDxDiagProvider,
                                  provider.putVoid());
    if (FAILED(hr) || !provider) return E_FAIL;

    DXDIAG_INIT_PARAMS params{};
    params.dwSize = sizeof params;
    params.dwDxDiagHeaderVersion = DXDIAG_DX9_SDK_VERSION;
    params.bAllowWHQLChecks = FALSE;
    params.pReserved = nullptr;
    if (FAILED(provider->Initialize(&params))) return E_FAIL;

    win::CComPtr<IDxDiagContainer> root;
    if (FAILED(provider->GetRootContainer(root.put())) || !root) return E_FAIL;
    win::CComPtr<IDxDiagContainer> systemInfo;
    if (FAILED(root->GetChildContainer(L"DxDiag_SystemInfo", systemInfo.put())) || !systemInfo) return E_FAIL;

    return dxVersionFromSystemInfo(*systemInfo.get(), version);
}

HRESULT dxVersionFromSystemFiles(IDXVersionPlatform& platform, DXVersion& version) {
    wchar_t directory[MAX_PATH];
    const UINT length = platform.systemDirectory(directory, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        version = DXVersion{};
        return S_OK;
    }
    const std::wstring systemDir(directory, length);

    // Consecutive rules on one file share its read.
    const wchar_t* lastFile = nullptr;
    HRESULT lastRead = E_FAIL;
    FileVersion fileVersion = 0;
    bool found = false;
    for (const ProbeRule& rule : kProbeRules) {
        if (lastFile == nullptr || std::wcscmp(lastFile, rule.file) != 0) {
            lastFile = rule.file;
            fileVersion = 0;
            lastRead = platform.readFileVersion((systemDir + rule.file).c_str(), &fileVersion);
        }
        if (SUCCEEDED(lastRead) && ruleMatches(rule, fileVersion)) {
            version = rule.result;
            found = true;
        }
    }

    // Any readable d3d9.dll means DirectX 9; its version numbers say nothing about the letter.
    FileVersion d3d9 = 0;
    if (SUCCEEDED(platform.readFileVersion((systemDir + L"\\d3d9.dll").c_str(), &d3d9)))
        version = DXVersion{9, 0, L' '};
    else if (!found)
        version = DXVersion{};
    return S_OK;
}

HRESULT readFileVersion(const wchar_t* path, FileVersion* version) {
    if (path == nullptr || version == nullptr) return E_INVALIDARG;
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &handle);
    if (size == 0) return E_FAIL;
    const std::unique_ptr<BYTE[]> block(new (std::nothrow) BYTE[size]);
    if (!block) return E_OUTOFMEMORY;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT infoLength = 0;
    if (!GetFileVersionInfoW(path, 0, size, block.get()) ||
        !VerQueryValueW(block.get(), L"\\", reinterpret_cast<void**>(&info), &infoLength) || info == nullptr)
        return E_FAIL;
    *version = (static_cast<FileVersion>(info->dwFileVersionMS) << 32) | info->dwFileVersionLS;
    return S_OK;
}

HRESULT DXVersionPlatform::queryDiagnostics(DXVersion& version) { return dxVersionFromDiagnostics(version); }

UINT DXVersionPlatform::systemDirectory(wchar_t* buffer, UINT size) { return GetSystemDirectoryW(buffer, size); }

HRESULT DXVersionPlatform::readFileVersion(const wchar_t* path, FileVersion* version) {
    return ::readFileVersion(path, version);
}

HRESULT detectDXVersion(IDXVersionPlatform& platform, DWORD* version, wchar_t* text, int textLength) {
    const bool wantText = text != nullptr && textLength > 0;
    if (version) *version = 0;
    if (wantText) text[0] = L'\0';

    DXVersion found;
    if (FAILED(platform.queryDiagnostics(found)) && FAILED(dxVersionFromSystemFiles(platform, found)))
        return E_FAIL;
    found.letter = lowercase(found.letter);

    if (version) *version = packDXVersion(found);
    if (wantText) {
        const std::wstring formatted = formatDXVersion(found);
        const size_t count = std::min(formatted.size(), static_cast<size_t>(textLength - 1));
        std::copy_n(formatted.begin(), count, text);
        text[count] = L'\0';
        text[textLength - 1] = L'\0';  // callers may rely on the last character of the buffer
    }
    return S_OK;
}

HRESULT getDXVersion(DWORD* version, wchar_t* text, int textLength) {
    DXVersionPlatform platform;
    return detectDXVersion(platform, version, text, textLength);
}
