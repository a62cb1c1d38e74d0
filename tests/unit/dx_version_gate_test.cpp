// The DirectX gate: which versions pass, what the player is told, and the D3DX runtime's say.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "checks/dx_version_gate.h"

namespace {

struct Box {
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT type;
};

class FakeGatePlatform final : public IDXGatePlatform {
public:
    HRESULT result = S_OK;
    DWORD packed = 0x90003;
    std::wstring text = L"9.0c";
    BOOL d3dxAnswer = TRUE;

    int textLengthAsked = 0;
    std::vector<std::pair<UINT, UINT>> d3dxCalls;
    std::vector<Box> boxes;

    HRESULT dxVersion(DWORD* version, wchar_t* buffer, int textLength) override {
        textLengthAsked = textLength;
        if (FAILED(result)) return result;
        *version = packed;
        wcsncpy_s(buffer, static_cast<size_t>(textLength), text.c_str(), _TRUNCATE);
        return result;
    }
    BOOL d3dxCheckVersion(UINT d3dSdkVersion, UINT d3dxSdkVersion) override {
        d3dxCalls.emplace_back(d3dSdkVersion, d3dxSdkVersion);
        return d3dxAnswer;
    }
    int messageBox(HWND owner, const wchar_t* boxText, const wchar_t* caption, UINT type) override {
        boxes.push_back({owner, boxText, caption, type});
        return IDOK;
    }
};

void expectErrorBox(const FakeGatePlatform& gate, const std::wstring& text) {
    ASSERT_EQ(gate.boxes.size(), 1u);
    EXPECT_EQ(gate.boxes[0].owner, nullptr);
    EXPECT_EQ(gate.boxes[0].caption, L"DirectX Version:");
    EXPECT_EQ(gate.boxes[0].type, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(gate.boxes[0].text, text);
    EXPECT_TRUE(gate.d3dxCalls.empty());
}

}  // namespace

TEST(DXVersionGate, NineAndLaterDefersToD3DXWithoutAMessage) {
    for (const DWORD packed : {0x90003u, 0x90000u, 0x90001u, 0xA0000u}) {
        SCOPED_TRACE(::testing::Message() << std::hex << packed);
        FakeGatePlatform gate;
        gate.packed = packed;
        gate.d3dxAnswer = 7;  // passed on as it is
        EXPECT_EQ(checkDXVersionWith(gate), 7);
        ASSERT_EQ(gate.d3dxCalls.size(), 1u);
        EXPECT_EQ(gate.d3dxCalls[0], std::make_pair(32u, 30u));
        EXPECT_TRUE(gate.boxes.empty());
        EXPECT_EQ(gate.textLengthAsked, 10);
    }
}

TEST(DXVersionGate, MismatchingD3DXRefusesSilently) {
    FakeGatePlatform gate;
    gate.d3dxAnswer = FALSE;
    EXPECT_EQ(checkDXVersionWith(gate), 0);
    EXPECT_EQ(gate.d3dxCalls.size(), 1u);
    EXPECT_TRUE(gate.boxes.empty());
}

TEST(DXVersionGate, TooOldNamesTheVersionFound) {
    FakeGatePlatform gate;
    gate.packed = 0x80102;
    gate.text = L"8.1b";
    EXPECT_EQ(checkDXVersionWith(gate), 0);
    expectErrorBox(gate, L"DirectX 8.1b installed\nIt's too old\nPlease update to latest version\n"
                         L"(at least 9.0c June 2005)");

    FakeGatePlatform justBelow;
    justBelow.packed = 0x8FFFF;
    justBelow.text = L"8.255";
    EXPECT_EQ(checkDXVersionWith(justBelow), 0);
    ASSERT_EQ(justBelow.boxes.size(), 1u);
}

TEST(DXVersionGate, NothingFoundAndUnreadableVersionHaveTheirOwnMessages) {
    FakeGatePlatform none;
    none.packed = 0;
    none.text = L"0.0";
    EXPECT_EQ(checkDXVersionWith(none), 0);
    expectErrorBox(none, L"DirectX not installed\nPlease update to latest version\n(at least 9.0c June 2005)");

    FakeGatePlatform failed;
    failed.result = E_FAIL;
    EXPECT_EQ(checkDXVersionWith(failed), 0);
    expectErrorBox(failed, L"Unknown version of DirectX installed\nPlease update to latest version");
}

// Under Wine: 9.0c from the diagnostic component and the D3DX runtime the program imports.
TEST(DXVersionGate, LetsThisMachineThrough) { EXPECT_NE(checkDXVersion(), 0); }
