// Which DirectX release the machine has: asked of the DirectX diagnostic component, or worked out
// from the file versions of the DirectX system files when that component does not answer.
#pragma once

#include <windows.h>

#include <string>

#include "app/exports.h"
#include "win/probe.h"

struct IDxDiagContainer;

// The working result of both detection methods. A blank letter means "no letter".
struct DXVersion {
    unsigned major = 0;
    unsigned minor = 0;
    wchar_t letter = L' ';
};

// A file's fixed version: dwFileVersionMS in the high half, dwFileVersionLS in the low half.
using FileVersion = unsigned long long;

constexpr FileVersion makeFileVersion(unsigned a, unsigned b, unsigned c, unsigned d) {
    return (static_cast<FileVersion>((a << 16) | (b & 0xFFFF)) << 32) | ((c << 16) | (d & 0xFFFF));
}

// What the detection asks of the machine. Production uses the real COM component and version
// resources (DXVersionPlatform); tests substitute their own answers.
class IDXVersionPlatform {
public:
    // The diagnostic component's major, minor and letter; S_OK only when all three were read.
    virtual HRESULT queryDiagnostics(DXVersion& version) = 0;
    // Like GetSystemDirectoryW: the length written, 0 on failure, more than size when too small.
    virtual UINT systemDirectory(wchar_t* buffer, UINT size) = 0;
    virtual HRESULT readFileVersion(const wchar_t* path, FileVersion* version) = 0;

protected:
    ~IDXVersionPlatform() = default;
};

// What the diagnostic query found: the triple as far as it was read, and whether all of it was.
struct DXDiagnosticsAnswer {
    HRESULT result = E_FAIL;
    DXVersion version;
};
using DXDiagnosticsProbe = win::CProbe<DXDiagnosticsAnswer>;

class DXVersionPlatform final : public IDXVersionPlatform {
public:
    // With a prefetched diagnostic query, its answer is taken (once) instead of asking again.
    explicit DXVersionPlatform(DXDiagnosticsProbe* prefetched = nullptr) : m_prefetched(prefetched) {}
    HRESULT queryDiagnostics(DXVersion& version) override;
    UINT systemDirectory(wchar_t* buffer, UINT size) override;
    HRESULT readFileVersion(const wchar_t* path, FileVersion* version) override;

private:
    DXDiagnosticsProbe* m_prefetched;
};

// Major in bits 16 and up, minor in bits 8 to 15, letter index (a = 1 .. z = 26, else 0) below.
DWORD packDXVersion(const DXVersion& version);
// "9.0c", "8.1b", "9.0".
std::wstring formatDXVersion(const DXVersion& version);

// Reads the three version properties of the diagnostic "DxDiag_SystemInfo" container into
// version; a property missing or of the wrong type leaves its part as it was and fails the read.
HRESULT dxVersionFromSystemInfo(IDxDiagContainer& systemInfo, DXVersion& version);
// The diagnostic query through COM (in-process provider, apartment entered for the call only).
HRESULT dxVersionFromDiagnostics(DXVersion& version);
// The same query as one answer, for a probe thread.
DXDiagnosticsAnswer askDXDiagnostics();
// The file-version probe of the system directory; always succeeds (0.0 when nothing is found).
HRESULT dxVersionFromSystemFiles(IDXVersionPlatform& platform, DXVersion& version);
// The fixed file version from a file's version resource.
HRESULT readFileVersion(const wchar_t* path, FileVersion* version);

// getDXVersion against the given platform.
HRESULT detectDXVersion(IDXVersionPlatform& platform, DWORD* version, wchar_t* text, int textLength);

// version and text may be null; text receives at most textLength - 1 characters, terminated.
// S_OK with version 0 means no DirectX was found; E_FAIL means neither method worked.
SKELVANE_EXPORT HRESULT getDXVersion(DWORD* version, wchar_t* text, int textLength);
