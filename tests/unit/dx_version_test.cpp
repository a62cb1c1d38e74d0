// DirectX version detection: the diagnostic properties, the file-version rules, packing and text.
#include <gtest/gtest.h>

#include <dxdiag.h>
#include <oleauto.h>

#include <cwchar>
#include <functional>
#include <map>
#include <string>

#include "checks/dx_version.h"

namespace {

const std::wstring kSystemDir = L"C:\\windows\\system32";

// The diagnostic "DxDiag_SystemInfo" container, answering from the properties a test gives it.
class FakeSystemInfo final : public IDxDiagContainer {
public:
    ~FakeSystemInfo() {
        for (auto& entry : m_props) VariantClear(&entry.second);
    }
    void setUInt(const std::wstring& name, ULONG value) {
        VARIANT& v = slot(name);
        v.vt = VT_UI4;
        v.ulVal = value;
    }
    void setInt(const std::wstring& name, LONG value) {
        VARIANT& v = slot(name);
        v.vt = VT_I4;
        v.lVal = value;
    }
    void setString(const std::wstring& name, const wchar_t* value) {
        VARIANT& v = slot(name);
        v.vt = VT_BSTR;
        v.bstrVal = value ? SysAllocString(value) : nullptr;
    }
    void remove(const std::wstring& name) {
        VariantClear(&slot(name));
        m_props.erase(name);
    }
    void setVersion(ULONG major, ULONG minor, const wchar_t* letter) {
        setUInt(L"dwDirectXVersionMajor", major);
        setUInt(L"dwDirectXVersionMinor", minor);
        setString(L"szDirectXVersionLetter", letter);
    }

    HRESULT STDMETHODCALLTYPE GetProp(LPCWSTR name, VARIANT* value) override {
        const auto found = m_props.find(name);
        if (found == m_props.end()) return E_INVALIDARG;
        // By hand: a null string must stay null, as the component can hand it out.
        *value = found->second;
        if (value->vt == VT_BSTR && value->bstrVal)
            value->bstrVal = SysAllocStringLen(value->bstrVal, SysStringLen(value->bstrVal));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetNumberOfChildContainers(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumChildContainerNames(DWORD, LPWSTR, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetChildContainer(LPCWSTR, IDxDiagContainer**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetNumberOfProps(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumPropNames(DWORD, LPWSTR, DWORD) override { return E_NOTIMPL; }

private:
    VARIANT& slot(const std::wstring& name) {
        VARIANT& v = m_props[name];
        VariantClear(&v);
        return v;
    }
    std::map<std::wstring, VARIANT> m_props;
};

// A machine: maybe a diagnostic component, a system directory and the files in it.
class FakePlatform final : public IDXVersionPlatform {
public:
    bool hasDiagnostics = false;
    FakeSystemInfo systemInfo;
    bool hasSystemDir = true;
    std::map<std::wstring, FileVersion> files;  // by file name, e.g. L"\\ddraw.dll"
    std::map<std::wstring, int> reads;          // by full path

    void addFile(const std::wstring& name, FileVersion version) { files[name] = version; }

    HRESULT queryDiagnostics(DXVersion& version) override {
        return hasDiagnostics ? dxVersionFromSystemInfo(systemInfo, version) : E_FAIL;
    }
    UINT systemDirectory(wchar_t* buffer, UINT size) override {
        if (!hasSystemDir) return 0;
        wcscpy_s(buffer, size, kSystemDir.c_str());
        return static_cast<UINT>(kSystemDir.size());
    }
    HRESULT readFileVersion(const wchar_t* path, FileVersion* version) override {
        const std::wstring full = path;
        ++reads[full];
        if (full.compare(0, kSystemDir.size(), kSystemDir) != 0) return E_FAIL;
        const auto found = files.find(full.substr(kSystemDir.size()));
        if (found == files.end()) return E_FAIL;
        *version = found->second;
        return S_OK;
    }
    int totalReads() const {
        int n = 0;
        for (const auto& entry : reads) n += entry.second;
        return n;
    }
};

struct Detected {
    HRESULT hr;
    DWORD packed;
    std::wstring text;
};

Detected detect(FakePlatform& platform) {
    Detected d{E_UNEXPECTED, 0xDEADBEEF, {}};
    wchar_t text[16];
    wmemset(text, L'#', 16);
    d.hr = detectDXVersion(platform, &d.packed, text, 16);
    d.text = text;
    return d;
}

#define EXPECT_DETECTED(platform, packedValue, textValue)        \
    do {                                                         \
        const Detected d_ = detect(platform);                    \
        EXPECT_EQ(d_.hr, S_OK);                                  \
        EXPECT_EQ(d_.packed, static_cast<DWORD>(packedValue));   \
        EXPECT_EQ(d_.text, std::wstring(textValue));             \
    } while (0)

}  // namespace

TEST(DXVersionFormat, PacksAndPrintsMajorMinorLetter) {
    EXPECT_EQ(packDXVersion({9, 0, L'c'}), 0x90003u);
    EXPECT_EQ(packDXVersion({8, 1, L'b'}), 0x80102u);
    EXPECT_EQ(packDXVersion({9, 0, L' '}), 0x90000u);
    EXPECT_EQ(packDXVersion({9, 0, L'z'}), 0x9001Au);
    EXPECT_EQ(packDXVersion({0, 0, L' '}), 0u);
    EXPECT_EQ(packDXVersion({9, 0, L'!'}), 0x90000u);  // not a letter: index 0
    EXPECT_EQ(packDXVersion({10, 12, L'a'}), 0xA0C01u);

    EXPECT_EQ(formatDXVersion({9, 0, L'c'}), L"9.0c");
    EXPECT_EQ(formatDXVersion({8, 1, L'b'}), L"8.1b");
    EXPECT_EQ(formatDXVersion({9, 0, L' '}), L"9.0");
    EXPECT_EQ(formatDXVersion({0, 0, L' '}), L"0.0");
    EXPECT_EQ(formatDXVersion({9, 0, L'C'}), L"9.0c");
    EXPECT_EQ(formatDXVersion({9, 0, L'\0'}), L"9.0");
    EXPECT_EQ(formatDXVersion({12, 10, L' '}), L"12.10");
}

TEST(DXVersionDiagnostics, ComponentAnswerIsUsedAndNoFileIsRead) {
    FakePlatform platform;
    platform.hasDiagnostics = true;
    platform.systemInfo.setVersion(9, 0, L"c");
    platform.addFile(L"\\d3d8.dll", makeFileVersion(5, 1, 2600, 901));
    EXPECT_DETECTED(platform, 0x90003, L"9.0c");
    EXPECT_EQ(platform.totalReads(), 0);

    platform.systemInfo.setVersion(9, 0, L"C");  // upper case is the same release
    EXPECT_DETECTED(platform, 0x90003, L"9.0c");

    platform.systemInfo.setVersion(9, 0, L"");  // empty letter: no letter
    EXPECT_DETECTED(platform, 0x90000, L"9.0");
    EXPECT_EQ(platform.totalReads(), 0);
}

TEST(DXVersionDiagnostics, IncompleteAnswerFallsBackToTheProbeForTheWholeVersion) {
    // Each way the component can fail to give all three parts; the probe then finds 8.1a.
    const auto check = [](const char* what, const std::function<void(FakeSystemInfo&)>& damage) {
        SCOPED_TRACE(what);
        FakePlatform platform;
        platform.hasDiagnostics = true;
        platform.systemInfo.setVersion(9, 0, L"c");
        damage(platform.systemInfo);
        platform.addFile(L"\\d3d8.dll", makeFileVersion(5, 1, 2600, 901));
        EXPECT_DETECTED(platform, 0x80101, L"8.1a");
    };
    check("letter missing", [](FakeSystemInfo& s) { s.remove(L"szDirectXVersionLetter"); });
    check("letter a null string", [](FakeSystemInfo& s) { s.setString(L"szDirectXVersionLetter", nullptr); });
    check("letter not a string", [](FakeSystemInfo& s) { s.setUInt(L"szDirectXVersionLetter", 3); });
    check("major of another type", [](FakeSystemInfo& s) { s.setInt(L"dwDirectXVersionMajor", 9); });
    check("minor of another type", [](FakeSystemInfo& s) { s.setString(L"dwDirectXVersionMinor", L"0"); });
}

TEST(DXVersionDiagnostics, PartsReadBeforeAFailureDoNotSurviveTheProbe) {
    FakePlatform platform;
    platform.hasDiagnostics = true;
    platform.systemInfo.setUInt(L"dwDirectXVersionMajor", 9);
    platform.systemInfo.setUInt(L"dwDirectXVersionMinor", 0);
    EXPECT_DETECTED(platform, 0, L"0.0");  // nothing readable: not 9.0
}

TEST(DXVersionProbe, D3d9AloneMeansNinePointZero) {
    FakePlatform platform;
    platform.addFile(L"\\d3d9.dll", makeFileVersion(5, 3, 2600, 2180));
    EXPECT_DETECTED(platform, 0x90000, L"9.0");

    // Whatever else is there and whatever d3d9.dll's own number is.
    platform.addFile(L"\\dpnet.dll", makeFileVersion(5, 2, 3677, 134));
    platform.addFile(L"\\d3d9.dll", makeFileVersion(1, 0, 0, 0));
    EXPECT_DETECTED(platform, 0x90000, L"9.0");
}

TEST(DXVersionProbe, D3d8VersionsInBothNumberingSchemes) {
    FakePlatform platform;
    platform.addFile(L"\\d3d8.dll", makeFileVersion(5, 1, 2600, 901));
    EXPECT_DETECTED(platform, 0x80101, L"8.1a");
    EXPECT_EQ(platform.reads[kSystemDir + L"\\d3d8.dll"], 1);  // rules on one file share its read

    platform.addFile(L"\\d3d8.dll", makeFileVersion(5, 1, 2600, 900));
    EXPECT_DETECTED(platform, 0x80100, L"8.1");
    platform.addFile(L"\\d3d8.dll", makeFileVersion(4, 8, 1, 901));
    EXPECT_DETECTED(platform, 0x80101, L"8.1a");
    platform.addFile(L"\\d3d8.dll", makeFileVersion(4, 8, 1, 881));
    EXPECT_DETECTED(platform, 0x80100, L"8.1");
    // Above the 4.x threshold but below the 5.x one: no match for a 5.x file.
    platform.addFile(L"\\d3d8.dll", makeFileVersion(5, 1, 2600, 880));
    EXPECT_DETECTED(platform, 0, L"0.0");
    // Any other first field never matches a two-scheme rule.
    platform.addFile(L"\\d3d8.dll", makeFileVersion(6, 0, 0, 0));
    EXPECT_DETECTED(platform, 0, L"0.0");
}

TEST(DXVersionProbe, DDrawThresholdsIncludeEquality) {
    FakePlatform platform;
    const struct {
        FileVersion ddraw;
        DWORD packed;
        const wchar_t* text;
    } cases[] = {
        {makeFileVersion(4, 2, 0, 94), 0, L"0.0"},
        {makeFileVersion(4, 2, 0, 95), 0x10000, L"1.0"},
        {makeFileVersion(4, 3, 0, 1096), 0x20000, L"2.0"},
        {makeFileVersion(4, 4, 0, 68), 0x30000, L"3.0"},
        {makeFileVersion(4, 5, 0, 155), 0x50000, L"5.0"},
        {makeFileVersion(4, 6, 0, 318), 0x60000, L"6.0"},
        {makeFileVersion(4, 6, 0, 436), 0x60100, L"6.1"},
        {makeFileVersion(4, 7, 0, 700), 0x70000, L"7.0"},
        {makeFileVersion(4, 8, 0, 399), 0x70000, L"7.0"},
        {makeFileVersion(4, 8, 0, 400), 0x80000, L"8.0"},
        {makeFileVersion(5, 1, 2258, 399), 0x70000, L"7.0"},
        {makeFileVersion(5, 1, 2258, 400), 0x80000, L"8.0"},
        {makeFileVersion(6, 0, 0, 0), 0x70000, L"7.0"},  // the 8.0 rule knows only 4.x and 5.x files
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << std::hex << c.ddraw);
        platform.addFile(L"\\ddraw.dll", c.ddraw);
        EXPECT_DETECTED(platform, c.packed, c.text);
    }
}

TEST(DXVersionProbe, LaterMatchesOnOtherFilesReplaceEarlierOnes) {
    FakePlatform platform;
    platform.addFile(L"\\ddraw.dll", makeFileVersion(4, 2, 0, 95));  // 1.0
    platform.addFile(L"\\d3drg8x.dll", makeFileVersion(4, 4, 0, 70));
    EXPECT_DETECTED(platform, 0x30001, L"3.0a");
    platform.addFile(L"\\dplayx.dll", makeFileVersion(4, 6, 3, 518));
    EXPECT_DETECTED(platform, 0x60101, L"6.1a");
    platform.addFile(L"\\dinput.dll", makeFileVersion(4, 7, 0, 716));
    EXPECT_DETECTED(platform, 0x70001, L"7.0a");
    platform.addFile(L"\\mpg2splt.ax", makeFileVersion(6, 3, 1, 885));
    EXPECT_DETECTED(platform, 0x80102, L"8.1b");
    platform.addFile(L"\\dpnet.dll", makeFileVersion(5, 2, 3677, 134));
    EXPECT_DETECTED(platform, 0x80200, L"8.2");
    // A later rule that does not match leaves the earlier result alone.
    platform.addFile(L"\\dpnet.dll", makeFileVersion(5, 2, 3677, 133));
    EXPECT_DETECTED(platform, 0x80102, L"8.1b");
}

TEST(DXVersionProbe, NothingFoundIsSuccessWithVersionZero) {
    FakePlatform platform;
    EXPECT_DETECTED(platform, 0, L"0.0");

    platform.addFile(L"\\d3d9.dll", makeFileVersion(5, 3, 0, 0));
    platform.hasSystemDir = false;
    platform.reads.clear();
    EXPECT_DETECTED(platform, 0, L"0.0");
    EXPECT_EQ(platform.totalReads(), 0);
}

TEST(DXVersionText, IsCutToTheBufferAndArgumentsMayBeNull) {
    FakePlatform platform;
    platform.hasDiagnostics = true;
    platform.systemInfo.setVersion(9, 0, L"c");

    wchar_t text[8];
    wmemset(text, L'#', 8);
    EXPECT_EQ(detectDXVersion(platform, nullptr, text, 4), S_OK);
    EXPECT_EQ(std::wstring(text), L"9.0");
    EXPECT_EQ(text[4], L'#');  // nothing written past the given length

    wmemset(text, L'#', 8);
    EXPECT_EQ(detectDXVersion(platform, nullptr, text, 1), S_OK);
    EXPECT_EQ(text[0], L'\0');
    EXPECT_EQ(text[1], L'#');

    // No usable length: the buffer is not touched.
    wmemset(text, L'#', 8);
    EXPECT_EQ(detectDXVersion(platform, nullptr, text, 0), S_OK);
    EXPECT_EQ(detectDXVersion(platform, nullptr, text, -5), S_OK);
    EXPECT_EQ(text[0], L'#');

    DWORD packed = 0;
    EXPECT_EQ(detectDXVersion(platform, &packed, nullptr, 10), S_OK);
    EXPECT_EQ(packed, 0x90003u);
    EXPECT_EQ(detectDXVersion(platform, nullptr, nullptr, 0), S_OK);
}

TEST(DXVersionFileReader, ReadsTheFixedVersionOfARealFile) {
    FileVersion version = 0;
    EXPECT_EQ(readFileVersion(nullptr, &version), E_INVALIDARG);

    wchar_t self[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    EXPECT_EQ(readFileVersion(self, nullptr), E_INVALIDARG);
    ASSERT_EQ(readFileVersion(self, &version), S_OK);  // the launcher's resources are linked in
    EXPECT_EQ(version, makeFileVersion(1, 0, 0, 0));

    EXPECT_EQ(readFileVersion(L"C:\\no\\such\\file.dll", &version), E_FAIL);
}

// Under Wine the diagnostic component answers 9.0c and the system directory has d3d9.dll.
TEST(DXVersionOnThisMachine, ReportsNinePointZeroC) {
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

TEST(DXVersionOnThisMachine, LeavesTheThreadsComStateAsItFoundIt) {
    DXVersion version;
    ASSERT_EQ(dxVersionFromDiagnostics(version), S_OK);
    // Had the query stayed in its apartment, this would be S_FALSE.
    HRESULT hr = CoInitialize(nullptr);
    EXPECT_EQ(hr, S_OK);
    if (SUCCEEDED(hr)) CoUninitialize();

    // The thread is in another apartment already: the query cannot enter its own and must not
    // leave the caller's.
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    dxVersionFromDiagnostics(version);
    hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    EXPECT_EQ(hr, S_FALSE);
    if (SUCCEEDED(hr)) CoUninitialize();
    CoUninitialize();
}
