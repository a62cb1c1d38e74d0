// The DirectX gate: which versions pass, what the player is told, and the D3DX runtime's say.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "checks/dx_version_gate.h"

namespace {

// Answers with one version; records the D3DX calls and the boxes ("caption|text" of unowned error boxes).
struct FakeGatePlatform final : IDXGatePlatform {
    HRESULT result = S_OK;
    DWORD packed = 0x90003;
    const wchar_t* text = L"9.0c";
    BOOL d3dxAnswer = TRUE;
    int d3dxCalls = 0;
    std::vector<std::wstring> boxes;

    HRESULT dxVersion(DWORD* version, wchar_t* buffer, int textLength) override {
        *version = packed;
        wcsncpy_s(buffer, static_cast<size_t>(textLength), text, _TRUNCATE);
        return result;
    }
    BOOL d3dxCheckVersion(UINT d3dSdkVersion, UINT d3dxSdkVersion) override {
        d3dxCalls += d3dSdkVersion == 32 && d3dxSdkVersion == 30 ? 1 : 100;
        return d3dxAnswer;
    }
    int messageBox(HWND owner, const wchar_t* boxText, const wchar_t* caption, UINT type) override {
        boxes.push_back(owner == nullptr && type == MB_ICONERROR ? std::wstring(caption) + L"|" + boxText : L"?");
        return IDOK;
    }
};

}  // namespace

TEST(DXVersionGate, NineAndLaterDefersToD3DXWithoutAMessage) {
    for (const DWORD packed : {0x90003u, 0x90000u, 0xA0000u}) {
        for (const BOOL answer : {0, 7}) {
            FakeGatePlatform gate;
            gate.packed = packed;
            gate.d3dxAnswer = answer;  // passed on as it is; a refusal shows nothing
            EXPECT_EQ(checkDXVersionWith(gate), answer) << packed;
            EXPECT_TRUE(gate.d3dxCalls == 1 && gate.boxes.empty()) << packed;
        }
    }
}

TEST(DXVersionGate, RefusalsExplainWhyInAnErrorBox) {
    const wchar_t* const update = L"Please update to latest version\n(at least 9.0c June 2005)";
    const struct { HRESULT result; DWORD packed; const wchar_t* text; std::wstring box; } cases[] = {
        {S_OK, 0x8FFFF, L"8.255", L"DirectX Version:|DirectX 8.255 installed\nIt's too old\n" + std::wstring(update)},
        {S_OK, 0, L"0.0", L"DirectX Version:|DirectX not installed\n" + std::wstring(update)},
        {E_FAIL, 0x90003, L"9.0c", L"DirectX Version:|Unknown version of DirectX installed\nPlease update to latest version"},
    };
    for (const auto& c : cases) {
        FakeGatePlatform gate;
        gate.result = c.result;
        gate.packed = c.packed;
        gate.text = c.text;
        EXPECT_EQ(checkDXVersionWith(gate), 0);
        EXPECT_EQ(gate.boxes, std::vector<std::wstring>{c.box});
        EXPECT_EQ(gate.d3dxCalls, 0);
    }
}
