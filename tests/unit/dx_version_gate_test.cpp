// The DirectX gate: which versions pass, what the player is told, and the D3DX runtime's say.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "checks/dx_version_gate.h"

namespace {

class FakeGatePlatform final : public IDXGatePlatform {
public:
    HRESULT result = S_OK;
    DWORD packed = 0x90003;
    const wchar_t* text = L"9.0c";
    BOOL d3dxAnswer = TRUE;

    int textLengthAsked = 0;
    std::vector<std::pair<UINT, UINT>> d3dxCalls;
    std::vector<std::wstring> boxes;  // "caption|text", only for unowned error boxes

    HRESULT dxVersion(DWORD* version, wchar_t* buffer, int textLength) override {
        textLengthAsked = textLength;
        *version = packed;
        wcsncpy_s(buffer, static_cast<size_t>(textLength), text, _TRUNCATE);
        return result;
    }
    BOOL d3dxCheckVersion(UINT d3dSdkVersion, UINT d3dxSdkVersion) override {
        d3dxCalls.emplace_back(d3dSdkVersion, d3dxSdkVersion);
        return d3dxAnswer;
    }
    int messageBox(HWND owner, const wchar_t* boxText, const wchar_t* caption, UINT type) override {
        boxes.push_back(owner == nullptr && type == MB_ICONERROR ? std::wstring(caption) + L"|" + boxText
                                                                 : L"wrong owner or style");
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
            EXPECT_EQ(gate.d3dxCalls, (std::vector<std::pair<UINT, UINT>>{{32u, 30u}}));
            EXPECT_TRUE(gate.boxes.empty());
            EXPECT_EQ(gate.textLengthAsked, 10);
        }
    }
}

TEST(DXVersionGate, RefusalsExplainWhyInAnErrorBox) {
    const struct { HRESULT result; DWORD packed; const wchar_t* text; const wchar_t* box; } cases[] = {
        {S_OK, 0x80102, L"8.1b",
         L"DirectX Version:|DirectX 8.1b installed\nIt's too old\nPlease update to latest version\n"
         L"(at least 9.0c June 2005)"},
        {S_OK, 0x8FFFF, L"8.255",
         L"DirectX Version:|DirectX 8.255 installed\nIt's too old\nPlease update to latest version\n"
         L"(at least 9.0c June 2005)"},
        {S_OK, 0, L"0.0",
         L"DirectX Version:|DirectX not installed\nPlease update to latest version\n(at least 9.0c June 2005)"},
        {E_FAIL, 0x90003, L"9.0c", L"DirectX Version:|Unknown version of DirectX installed\nPlease update to latest version"},
    };
    for (const auto& c : cases) {
        FakeGatePlatform gate;
        gate.result = c.result;
        gate.packed = c.packed;
        gate.text = c.text;
        EXPECT_EQ(checkDXVersionWith(gate), 0);
        EXPECT_EQ(gate.boxes, std::vector<std::wstring>{c.box});
        EXPECT_TRUE(gate.d3dxCalls.empty());
    }
}
