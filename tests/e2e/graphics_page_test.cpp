// The graphics page of the real launcher against Wine's Direct3D: the lists compared with what
// the adapter reports to this test, choices stored by Start, the advanced video dialog, and (on a
// 640 x 480 desktop, see tests/CMakeLists.txt) the warnings dialog.
#include <gtest/gtest.h>

#include <d3d9.h>

#include <cstdio>

#include "dialog_driver.h"
#include "e2e.h"

using namespace e2e;

namespace {

constexpr int kStart = 3;
constexpr int kAdapter = 1006, kColourDepth = 1008, kResolution = 1003, kAntialiasing = 1005, kQuality = 1009;
constexpr int kAdvanced = 1019, kVSync = 1020, kTripleBuffer = 1021, kGlow = 1022;
constexpr int kReport = 1016, kIgnoreWarnings = 1018;

// The display format rows and multisample keys the lists are indexed by.
constexpr D3DFORMAT kFormats[] = {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_A2R10G10B10,
                                  D3DFMT_R5G6B5,   D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5};
constexpr D3DFORMAT kDepthCandidates[] = {D3DFMT_D24S8, D3DFMT_D24FS8, D3DFMT_D24X4S4, D3DFMT_D15S1};

std::wstring aaLabel(int type) {
    wchar_t text[32];
    if (type == 0) return L"AA none";
    if (type == 1) return L"AA nonmaskable";
    std::swprintf(text, 32, L"AA %02d", type);
    return text;
}
std::vector<std::wstring> languageLines() {
    std::vector<std::wstring> lines = {L"T_AA_NONE=AA none", L"T_AA_NONMASKABLE=AA nonmaskable",
                                       L"T_INFORMATION=Warnings", L"T_IGNORE_WARNINGS=Ignore the warnings"};
    wchar_t line[64];
    for (int type = 2; type <= 16; ++type) {
        std::swprintf(line, 64, L"T_AA_%02d_SAMPLES=AA %02d", type, type);
        lines.push_back(line);
    }
    return lines;
}

std::string graphicsValue(const wchar_t* name) { return regValue(settingsKey(L"Graphics"), name); }

// What this test's own Direct3D object offers, asked the way the page is documented to ask.
class Offer {
public:
    Offer() : m_d3d(Direct3DCreate9(D3D_SDK_VERSION)) {}
    ~Offer() {
        if (m_d3d) m_d3d->Release();
    }
    bool ok() const { return m_d3d != nullptr; }

    std::vector<std::wstring> adapters() const {
        std::vector<std::wstring> names;
        for (UINT a = 0; a < m_d3d->GetAdapterCount(); ++a) {
            D3DADAPTER_IDENTIFIER9 id{};
            m_d3d->GetAdapterIdentifier(a, 0, &id);
            wchar_t wide[512] = {};
            MultiByteToWideChar(CP_ACP, 0, id.Description, -1, wide, 512);
            names.push_back(wide);
        }
        return names;
    }
    // Rows of the format table, one per depth, 32-bit first.
    std::vector<int> colourRows(UINT adapter) const {
        std::vector<int> rows;
        bool have32 = false, have16 = false;
        for (int row = 0; row < 6; ++row) {
            bool& have = row < 3 ? have32 : have16;
            if (!have && m_d3d->GetAdapterModeCount(adapter, kFormats[row]) > 0) {
                have = true;
                rows.push_back(row);
            }
        }
        return rows;
    }
    D3DDISPLAYMODE mode(UINT adapter, D3DFORMAT format, UINT index) const {
        D3DDISPLAYMODE m{};
        m_d3d->EnumAdapterModes(adapter, format, index, &m);
        return m;
    }
    // Labels and mode indexes of the full-screen modes of at least 800 x 600.
    std::pair<std::vector<std::wstring>, std::vector<LONG_PTR>> resolutions(UINT adapter, D3DFORMAT format) const {
        std::pair<std::vector<std::wstring>, std::vector<LONG_PTR>> out;
        for (UINT i = 0; i < m_d3d->GetAdapterModeCount(adapter, format); ++i) {
            D3DDISPLAYMODE m{};
            if (FAILED(m_d3d->EnumAdapterModes(adapter, format, i, &m)) || m.Width < 800 || m.Height < 600) continue;
            if (FAILED(m_d3d->CheckDeviceType(adapter, D3DDEVTYPE_HAL, format, m.Format, FALSE))) continue;
            wchar_t label[128];
            if (m.RefreshRate)
                std::swprintf(label, 128, L"%ux%u %uHz", m.Width, m.Height, m.RefreshRate);
            else
                std::swprintf(label, 128, L"%ux%u", m.Width, m.Height);
            out.first.push_back(label);
            out.second.push_back(static_cast<LONG_PTR>(i));
        }
        return out;
    }
    std::vector<std::wstring> antialiasing(UINT adapter, D3DFORMAT format, D3DFORMAT surface) const {
        std::vector<D3DFORMAT> depths;
        for (D3DFORMAT d : kDepthCandidates)
            if (SUCCEEDED(m_d3d->CheckDeviceFormat(adapter, D3DDEVTYPE_HAL, format, D3DUSAGE_DEPTHSTENCIL,
                                                   D3DRTYPE_SURFACE, d)) &&
                SUCCEEDED(m_d3d->CheckDepthStencilMatch(adapter, D3DDEVTYPE_HAL, format, surface, d)))
                depths.push_back(d);
        std::vector<std::wstring> labels;
        for (int type = 0; type <= 16; ++type) {
            const auto t = static_cast<D3DMULTISAMPLE_TYPE>(type);
            if (FAILED(m_d3d->CheckDeviceMultiSampleType(adapter, D3DDEVTYPE_HAL, surface, FALSE, t, nullptr))) continue;
            for (D3DFORMAT d : depths)
                if (SUCCEEDED(m_d3d->CheckDeviceMultiSampleType(adapter, D3DDEVTYPE_HAL, d, FALSE, t, nullptr))) {
                    labels.push_back(aaLabel(type));
                    break;
                }
        }
        return labels;
    }

private:
    IDirect3D9* m_d3d;
};

class GraphicsPage : public ::testing::Test {
protected:
    GameFolder folder;
    std::unique_ptr<Process> process;
    Offer offer;

    void SetUp() override {
        ASSERT_TRUE(offer.ok());
        folder.writeLanguage(languageLines());
    }
    void TearDown() override {
        process.reset();
        storeValidSettings();
    }
    HWND startDialog(const std::wstring& arguments = L"") {
        process = std::make_unique<Process>(folder.file(L"Skelvane.exe"), arguments, folder.path(), engineEnv(folder));
        return waitForSettingsDialog(process->pid());
    }
    void startTheGameAndClose(HWND dialog) {
        clickButton(dialog, kStart);
        HWND game = waitForWindow(process->pid(), L"Korvex//Class", L"Korvex//Window", 20s);
        ASSERT_TRUE(game);
        PostMessageW(game, WM_CLOSE, 0, 0);
        DWORD code = 99;
        EXPECT_TRUE(process->waitExit(20s, code));
        EXPECT_EQ(code, 0u);
    }
};

TEST_F(GraphicsPage, TheListsHoldWhatDirect3DOffers) {
    deleteSettings();
    HWND dialog = startDialog();
    ASSERT_TRUE(dialog);
    const ComboState adapters = readCombo(control(dialog, kAdapter));
    EXPECT_EQ(adapters.texts, offer.adapters());
    ASSERT_GE(adapters.selected, 0);
    const UINT adapter = static_cast<UINT>(adapters.data[adapters.selected]);

    const ComboState depths = readCombo(control(dialog, kColourDepth));
    std::vector<LONG_PTR> rows;
    for (int row : offer.colourRows(adapter)) rows.push_back(row);
    EXPECT_EQ(depths.data, rows);
    ASSERT_GE(depths.selected, 0);
    const D3DFORMAT format = kFormats[depths.data[depths.selected]];
    EXPECT_EQ(depths.selectedText(), depths.data[depths.selected] < 3 ? L"TrueColor - 32bit" : L"HiColor - 16bit");

    const ComboState resolutions = readCombo(control(dialog, kResolution));
    const auto expected = offer.resolutions(adapter, format);
    ASSERT_FALSE(expected.first.empty());
    EXPECT_EQ(resolutions.texts, expected.first);
    EXPECT_EQ(resolutions.data, expected.second);
    ASSERT_GE(resolutions.selected, 0);
    const D3DDISPLAYMODE mode = offer.mode(adapter, format, static_cast<UINT>(resolutions.data[resolutions.selected]));
    EXPECT_TRUE(resolutions.enabled);

    const ComboState types = readCombo(control(dialog, kAntialiasing));
    EXPECT_EQ(types.texts, offer.antialiasing(adapter, format, mode.Format));
    EXPECT_GE(readCombo(control(dialog, kQuality)).texts.size(), 1u);
    clickButton(dialog, IDCANCEL);
    DWORD code = 0;
    EXPECT_TRUE(process->waitExit(20s, code));
}

TEST_F(GraphicsPage, StartStoresExactlyTheChosenResolutionAndAntialiasing) {
    HWND dialog = startDialog(L"-s");
    ASSERT_TRUE(dialog);
    const UINT adapter = static_cast<UINT>(readCombo(control(dialog, kAdapter)).data[0]);
    const HWND depthList = control(dialog, kColourDepth), resolutionList = control(dialog, kResolution);
    ComboState depths = readCombo(depthList);
    ComboState resolutions = readCombo(resolutionList);
    ASSERT_GE(resolutions.selected, 0);
    // Another mode than the one chosen at the start: another entry of the list, or, where Wine
    // offers only the desktop's size, the same size in the other colour depth.
    if (resolutions.texts.size() > 1) {
        selectComboIndex(resolutionList, resolutions.selected == 0 ? 1 : 0);
    } else {
        ASSERT_EQ(depths.texts.size(), 2u);
        selectComboIndex(depthList, depths.selected == 0 ? 1 : 0);  // returns when the cascade is done
    }
    depths = readCombo(depthList);
    resolutions = readCombo(resolutionList);
    const D3DFORMAT format = kFormats[depths.data[depths.selected]];
    const D3DDISPLAYMODE mode = offer.mode(adapter, format, static_cast<UINT>(resolutions.data[resolutions.selected]));

    const HWND typeList = control(dialog, kAntialiasing);
    const ComboState types = readCombo(typeList);
    ASSERT_GE(types.texts.size(), 2u) << "Wine offers antialiasing";
    selectComboIndex(typeList, static_cast<int>(types.texts.size()) - 1);  // the most samples offered
    const std::wstring label = readCombo(typeList).selectedText();
    const DWORD samples = label == L"AA nonmaskable" ? 1 : static_cast<DWORD>(std::stoi(label.substr(3)));
    const ComboState quality = readCombo(control(dialog, kQuality));
    selectComboIndex(control(dialog, kQuality), static_cast<int>(quality.data.size()) - 1);

    startTheGameAndClose(dialog);
    EXPECT_EQ(graphicsValue(L"AdapterFormat"), regDword(format));
    EXPECT_EQ(graphicsValue(L"Width"), regDword(mode.Width));
    EXPECT_EQ(graphicsValue(L"Height"), regDword(mode.Height));
    EXPECT_EQ(graphicsValue(L"RefreshRate"), regDword(mode.RefreshRate));
    EXPECT_EQ(graphicsValue(L"SurfaceFormat"), regDword(mode.Format));
    EXPECT_EQ(graphicsValue(L"MultiSampleType"), regDword(samples));
    EXPECT_EQ(graphicsValue(L"MultiSampleQuality"), regDword(static_cast<DWORD>(quality.data.back())));
}

TEST_F(GraphicsPage, TheAdvancedDialogKeepsWhatWasTickedAndTheHiddenSwitchesSurvive) {
    for (const wchar_t* name : {L"ATiA2CEnable", L"NVTrSSEnable", L"NVTrMSEnable"})
        runReg(L"add \"" + settingsKey(L"Graphics") + L"\" /v " + name + L" /t REG_DWORD /d 1 /f");
    HWND dialog = startDialog(L"-s");
    ASSERT_TRUE(dialog);
    const HWND page = pageWith(dialog, kAdvanced);

    clickButton(page, kAdvanced);
    HWND advanced = waitForDialogWith(process->pid(), kTripleBuffer);
    ASSERT_TRUE(advanced);
    for (int id : {kVSync, kTripleBuffer, kGlow}) EXPECT_FALSE(isChecked(GetDlgItem(advanced, id))) << id;
    clickButton(advanced, kTripleBuffer);
    ASSERT_TRUE(waitFor([&] { return isChecked(GetDlgItem(advanced, kTripleBuffer)); }));
    PostMessageW(advanced, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(waitFor([&] { return !IsWindow(advanced); }));

    clickButton(page, kAdvanced);
    advanced = waitForDialogWith(process->pid(), kTripleBuffer);
    ASSERT_TRUE(advanced);
    EXPECT_TRUE(isChecked(GetDlgItem(advanced, kTripleBuffer))) << "the state left by the first opening";
    EXPECT_FALSE(isChecked(GetDlgItem(advanced, kGlow)));
    clickButton(advanced, IDOK);
    ASSERT_TRUE(waitFor([&] { return !IsWindow(advanced); }));

    startTheGameAndClose(dialog);
    EXPECT_EQ(graphicsValue(L"BackBufferCount"), "REG_DWORD 0x2");
    EXPECT_EQ(graphicsValue(L"VSync"), "REG_DWORD 0x0");
    for (const wchar_t* name : {L"ATiA2CEnable", L"NVTrSSEnable", L"NVTrMSEnable"})
        EXPECT_EQ(graphicsValue(name), "REG_DWORD 0x1") << narrow(name);
}

// Runs only on a 640 x 480 desktop, where the device check reports the low resolution.
class SmallDesktop : public GraphicsPage {
protected:
    void SetUp() override {
        if (GetSystemMetrics(SM_CXSCREEN) != 640 || GetSystemMetrics(SM_CYSCREEN) != 480)
            GTEST_SKIP() << "needs a 640 x 480 desktop";
        GraphicsPage::SetUp();
    }
    static std::wstring reportText(HWND warnings) {
        const HWND report = GetDlgItem(warnings, kReport);
        std::wstring text(static_cast<size_t>(SendMessageW(report, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
        SendMessageW(report, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
        text.resize(wcslen(text.c_str()));
        return text;
    }
    // The warnings dialog is above the settings dialog in the window order.
    static bool inFront(HWND warnings, HWND settings) {
        for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
            if (w == warnings) return true;
            if (w == settings) return false;
        }
        return false;
    }
    static bool blocked(HWND dialog) {
        const ComboState depths = readCombo(control(dialog, kColourDepth));
        return depths.texts == std::vector<std::wstring>{L"<none>"} && !depths.enabled &&
               !IsWindowEnabled(GetDlgItem(dialog, kStart)) && !IsWindowEnabled(GetDlgItem(dialog, IDOK));
    }
};

TEST_F(SmallDesktop, TheWarningsDialogBlocksTheChoiceUntilTheWarningsAreIgnored) {
    HWND dialog = startDialog();
    ASSERT_TRUE(dialog);
    const HWND warnings = waitForDialogWith(process->pid(), kReport);
    ASSERT_TRUE(warnings);
    EXPECT_EQ(narrow(windowText(warnings)), "Warnings");
    EXPECT_TRUE(waitFor([&] { return inFront(warnings, dialog); }, 5s));
    const std::wstring report = reportText(warnings);
    EXPECT_EQ(narrow(report.substr(0, report.find(L"800x600") + 7)),
              "current display resolution is too low\r\n  current resolution is: 640x480\r\n"
              "  minimum required resolution is: 800x600");
    EXPECT_TRUE(blocked(dialog));

    SetWindowTextW(GetDlgItem(warnings, kReport), L"");
    clickButton(warnings, kIgnoreWarnings);
    ASSERT_TRUE(waitFor([&] { return readCombo(control(dialog, kColourDepth)).enabled; }));
    EXPECT_NE(readCombo(control(dialog, kColourDepth)).texts, std::vector<std::wstring>{L"<none>"});
    // Wine offers only the desktop's own size here, so the resolution list may stay empty and then
    // keeps Start and OK disabled by itself.
    const ComboState resolutions = readCombo(control(dialog, kResolution));
    const bool modeOffered = resolutions.texts != std::vector<std::wstring>{L"<none>"};
    EXPECT_EQ(IsWindowEnabled(GetDlgItem(dialog, kStart)) != FALSE, modeOffered);
    EXPECT_EQ(IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE, modeOffered);
    EXPECT_EQ(resolutions.enabled, modeOffered);
    EXPECT_EQ(reportText(warnings), report) << "the report is shown again";
    EXPECT_TRUE(IsWindowVisible(warnings));

    clickButton(warnings, kIgnoreWarnings);
    ASSERT_TRUE(waitFor([&] { return blocked(dialog); }));

    clickButton(warnings, IDOK);
    ASSERT_TRUE(waitFor([&] { return !IsWindowVisible(warnings); }));
    EXPECT_TRUE(IsWindowVisible(dialog));
    clickButton(dialog, IDCANCEL);
    DWORD code = 0;
    EXPECT_TRUE(process->waitExit(20s, code));
    EXPECT_EQ(code, 1u);
}

}  // namespace
