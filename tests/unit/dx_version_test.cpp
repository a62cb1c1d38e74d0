// DirectX version detection: the file-version rules, packing and text, and the machine's own answer.
#include <gtest/gtest.h>

#include <cwchar>
#include <map>
#include <string>

#include "checks/dx_version.h"

namespace {

const std::wstring kSystemDir = L"C:\\windows\\system32";

// A machine: a diagnostic answer (or a failed query), a system directory and the files in it.
class FakeMachine final : public IDXVersionPlatform {
public:
    HRESULT diagnostics = E_FAIL;
    DXVersion answer{9, 0, L'c'};  // handed over even when the query fails, as a half-read one is
    bool hasSystemDir = true;
    std::map<std::wstring, FileVersion> files;  // by name, e.g. L"\\ddraw.dll"
    int reads = 0;

    HRESULT queryDiagnostics(DXVersion& version) override {
        version = answer;
        return diagnostics;
    }
    UINT systemDirectory(wchar_t* buffer, UINT size) override {
        return hasSystemDir && wcscpy_s(buffer, size, kSystemDir.c_str()) == 0 ? UINT(kSystemDir.size()) : 0;
    }
    HRESULT readFileVersion(const wchar_t* path, FileVersion* version) override {
        ++reads;
        const std::wstring full = path;
        const auto found = full.rfind(kSystemDir, 0) == 0 ? files.find(full.substr(kSystemDir.size())) : files.end();
        if (found == files.end()) return E_FAIL;
        *version = found->second;
        return S_OK;
    }
    // "packed text", or "failed".
    std::string detect() {
        DWORD packed = 0xDEADBEEF;
        wchar_t text[16];
        const HRESULT hr = detectDXVersion(*this, &packed, text, 16);
        char out[64];
        std::snprintf(out, sizeof out, "%lx %ls", static_cast<unsigned long>(packed), text);
        return hr == S_OK ? out : "failed";
    }
};

}  // namespace

// Letters a to z count 1 to 26 in the packed form; any other letter is 0, and shown as it is.
TEST(DXVersionDiagnostics, ComponentAnswerWinsPackedAndPrintedAndAFailedQueryLeavesAllToTheFiles) {
    FakeMachine m;
    m.diagnostics = S_OK;
    m.files[L"\\d3d8.dll"] = makeFileVersion(5, 1, 2600, 901);
    const struct { DXVersion answer; const char* expected; } answers[] = {
        {{9, 0, L'C'}, "90003 9.0c"}, {{9, 0, L' '}, "90000 9.0"}, {{12, 10, L'z'}, "c0a1a 12.10z"},
        {{9, 0, L'!'}, "90000 9.0!"},
    };
    for (const auto& a : answers) {
        m.answer = a.answer;
        EXPECT_EQ(m.detect(), a.expected);
    }
    EXPECT_EQ(m.reads, 0);
    m.diagnostics = E_FAIL;
    EXPECT_EQ(m.detect(), "80101 8.1a");
}

TEST(DXVersionProbe, FileRulesInBothNumberingSchemes) {
    const struct { const wchar_t* file; FileVersion version; const char* expected; } cases[] = {
        {L"\\d3d9.dll", makeFileVersion(1, 0, 0, 0), "90000 9.0"},  // any readable d3d9.dll
        {L"\\d3d8.dll", makeFileVersion(5, 1, 2600, 901), "80101 8.1a"},
        {L"\\d3d8.dll", makeFileVersion(4, 8, 1, 901), "80101 8.1a"},
        {L"\\d3d8.dll", makeFileVersion(5, 1, 2600, 880), "0 0.0"},  // past the 4.x threshold only
        {L"\\d3d8.dll", makeFileVersion(6, 0, 0, 0), "0 0.0"},       // neither scheme
        {L"\\ddraw.dll", makeFileVersion(4, 2, 0, 94), "0 0.0"},
        {L"\\ddraw.dll", makeFileVersion(4, 2, 0, 95), "10000 1.0"},
        {L"\\ddraw.dll", makeFileVersion(5, 1, 2258, 399), "70000 7.0"},
        {L"\\ddraw.dll", makeFileVersion(5, 1, 2258, 400), "80000 8.0"},
        {L"\\dpnet.dll", makeFileVersion(5, 2, 3677, 134), "80200 8.2"},
    };
    for (const auto& c : cases) {
        FakeMachine m;
        m.files[c.file] = c.version;
        EXPECT_EQ(m.detect(), c.expected) << m.files.begin()->second;
    }
}

TEST(DXVersionProbe, LastMatchingRuleWinsAndConsecutiveRulesShareARead) {
    FakeMachine m;
    m.files[L"\\ddraw.dll"] = makeFileVersion(4, 8, 0, 400);
    m.files[L"\\dinput.dll"] = makeFileVersion(4, 7, 0, 716);
    m.files[L"\\dpnet.dll"] = makeFileVersion(5, 2, 3677, 133);  // no match: 8.0 stands
    EXPECT_EQ(m.detect(), "80000 8.0");
    EXPECT_EQ(m.reads, 11);  // ten runs of rules on one file each, then d3d9.dll
    m.hasSystemDir = false;
    EXPECT_EQ(m.detect(), "0 0.0");
}

TEST(DXVersionText, IsCutToTheBufferAndArgumentsMayBeNull) {
    FakeMachine m;
    m.diagnostics = S_OK;
    wchar_t text[8];
    const struct { int length; std::wstring expected; } cases[] = {
        {7, std::wstring(L"9.0c\0#\0#", 8)},  // the buffer's last character is a zero too
        {4, std::wstring(L"9.0\0####", 8)}, {0, L"########"},
    };
    for (const auto& c : cases) {
        wmemset(text, L'#', 8);
        EXPECT_EQ(detectDXVersion(m, nullptr, text, c.length), S_OK);
        EXPECT_EQ(std::wstring(text, 8), c.expected) << c.length;
    }
}

// Under Wine the diagnostic component answers 9.0c and the system directory has d3d9.dll.
TEST(DXVersionOnThisMachine, ReportsNinePointZeroCAndReadsRealFiles) {
    DWORD packed = 0;
    wchar_t text[10] = {};
    ASSERT_EQ(getDXVersion(&packed, text, 10), S_OK);
    EXPECT_EQ(packed, 0x90003u);
    EXPECT_EQ(std::wstring(text), L"9.0c");
    DXVersionPlatform platform;
    DXVersion probed;
    EXPECT_EQ(dxVersionFromSystemFiles(platform, probed), S_OK);
    EXPECT_EQ(packDXVersion(probed), 0x90000u);
}
