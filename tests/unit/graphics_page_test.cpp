// The graphics page, the warnings dialog and the advanced video dialog over a scripted Direct3D
// object: how the cascade of lists chooses, what reaches the working copy, and when Start and OK
// are offered.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <map>

#include "res/resource.h"
#include "unit/settings_dialog_harness.h"

namespace {

using harness::readCombo;
using harness::select;

constexpr D3DFORMAT kX8 = D3DFMT_X8R8G8B8, kR5 = D3DFMT_R5G6B5, kDepth = D3DFMT_D24S8;

std::wstring selectedText(HWND dialog, int id) {
    const harness::Combo c = readCombo(dialog, id);
    return c.selected >= 0 ? c.texts[c.selected] : L"";
}
void selectText(HWND dialog, int id, const std::wstring& text) {
    const harness::Combo c = readCombo(dialog, id);
    const auto at = std::find(c.texts.begin(), c.texts.end(), text);
    ASSERT_NE(at, c.texts.end()) << "no such entry in list " << id;
    select(dialog, id, static_cast<int>(at - c.texts.begin()));
}
// Which of the five lists and of Start and OK are enabled, as one string: "11100 00" and so on.
std::string enabledState(HWND dialog) {
    std::string state;
    for (int id : {IDC_ADAPTER, IDC_COLOUR_DEPTH, IDC_RESOLUTION, IDC_ANTIALIASING, IDC_AA_QUALITY})
        state += harness::isEnabled(dialog, id) ? '1' : '0';
    return state + ' ' + (IsWindowEnabled(GetDlgItem(dialog, IDC_START)) ? '1' : '0') +
           (IsWindowEnabled(GetDlgItem(dialog, IDOK)) ? '1' : '0');
}
bool placeholderOnly(HWND dialog, int id) {
    const harness::Combo c = readCombo(dialog, id);
    return c.texts == std::vector<std::wstring>{L"<none>"} && c.data == std::vector<LONG_PTR>{-1} && c.selected == 0;
}

class GraphicsPage : public ::testing::Test {
protected:
    const win::CModule richEdit{LoadLibraryW(L"RICHED20.DLL")};
    fake::Direct3D9 d3d;
    CLocalize localize;
    std::map<UINT, std::wstring> reports;  // device check findings by adapter
    std::vector<UINT> checkedAdapters;

    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey); }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey); }

    // 32- and 16-bit modes (one too small to offer), one depth format; 2 samples with four
    // quality levels, 4 samples with one, neither for 16 bits.
    void addCard(const char* name) {
        fake::Adapter& a = d3d.add();
        a.setName(name, GUID{0x5000u + static_cast<unsigned>(d3d.adapters.size()), 1, 2, {3}});
        for (UINT hz : {60u, 75u}) a.addMode(kX8, 1280, 1024, hz);
        a.addMode(kX8, 640, 480, 60);
        a.addMode(kX8, 1024, 768, 60);
        a.addMode(kR5, 1024, 768, 60);
        a.addMode(kR5, 1280, 1024, 60);
        a.depthFormats = {kDepth};
        for (D3DFORMAT f : {kX8, kR5, kDepth}) a.multisample[{f, D3DMULTISAMPLE_NONE}] = 1;
        for (D3DFORMAT f : {kX8, kDepth}) a.multisample[{f, D3DMULTISAMPLE_2_SAMPLES}] = 4;
        for (D3DFORMAT f : {kX8, kDepth}) a.multisample[{f, D3DMULTISAMPLE_4_SAMPLES}] = 1;
    }
    // Runs the dialog and drives it from inside; returns the end code.
    INT_PTR run(const std::function<void(HWND, const GraphicsSettings&)>& drive) {
        const auto report = [this](UINT adapter) {
            checkedAdapters.push_back(adapter);
            return reports[adapter];
        };
        CSettingsDialog dialog(localize, false,
                               harness::fakeServices(d3d, report, std::make_shared<harness::ScriptedSoundLibrary>()));
        return harness::runDialog(dialog, [&](HWND w) { drive(w, dialog.settings().GraphicsSettings); });
    }
    DWORD storedDword(const wchar_t* name) {
        DWORD value = 0xDEAD, size = sizeof value;
        RegGetValueW(HKEY_CURRENT_USER, L"Software\\Tolmira\\Skelvane\\Graphics", name, RRF_RT_REG_DWORD, nullptr,
                     &value, &size);
        return value;
    }
};

TEST_F(GraphicsPage, AChoiceSurvivesAChangeAboveItWhenOfferedAndStartStoresExactlyTheMode) {
    addCard("Card");
    run([](HWND w, const GraphicsSettings& g) {
        EXPECT_EQ(readCombo(w, IDC_RESOLUTION).data, (std::vector<LONG_PTR>{0, 1, 3})) << "mode indexes; no 640 x 480";
        EXPECT_EQ(selectedText(w, IDC_RESOLUTION), L"1024x768 60Hz") << "the desktop mode when nothing is stored";
        selectText(w, IDC_RESOLUTION, L"1280x1024 75Hz");
        selectText(w, IDC_ANTIALIASING, L"T_AA_02_SAMPLES");
        EXPECT_EQ(readCombo(w, IDC_AA_QUALITY).texts, (std::vector<std::wstring>{L"0", L"1", L"2", L"3"}));
        select(w, IDC_AA_QUALITY, 2);

        selectText(w, IDC_COLOUR_DEPTH, L"HiColor - 16bit");
        EXPECT_EQ(selectedText(w, IDC_RESOLUTION), L"1280x1024 60Hz");
        EXPECT_EQ(readCombo(w, IDC_ANTIALIASING).texts, std::vector<std::wstring>{L"T_AA_NONE"});
        selectText(w, IDC_COLOUR_DEPTH, L"TrueColor - 32bit");
        EXPECT_EQ(selectedText(w, IDC_RESOLUTION), L"1280x1024 60Hz");
        EXPECT_EQ(std::vector<DWORD>({g.Width, g.Height, g.RefreshRate, g.SurfaceFormat, g.MultiSampleType}),
                  std::vector<DWORD>({1280, 1024, 60, kX8, D3DMULTISAMPLE_NONE}));

        selectText(w, IDC_ANTIALIASING, L"T_AA_04_SAMPLES");
        const harness::Combo quality = readCombo(w, IDC_AA_QUALITY);
        EXPECT_EQ(quality.texts, std::vector<std::wstring>{L"0"});
        EXPECT_FALSE(quality.enabled) << "a single level is a disabled zero";
        EXPECT_EQ(enabledState(w), "11110 11");
        selectText(w, IDC_RESOLUTION, L"1280x1024 75Hz");
        SendMessageW(w, WM_COMMAND, IDC_START, 0);
    });
    for (const auto& [name, value] : std::map<const wchar_t*, DWORD>{
             {L"Width", 1280}, {L"Height", 1024}, {L"RefreshRate", 75}, {L"MultiSampleType", 4}})
        EXPECT_EQ(storedDword(name), value) << name;
}

TEST_F(GraphicsPage, EmptyListsDisableThemselvesAndWhatIsBelowUntilALaterFillSucceeds) {
    addCard("Card");
    d3d.adapters[0].modes[kR5] = {{640, 480, 60, kR5}};  // 16-bit: nothing large enough
    addCard("No depth buffer");
    d3d.adapters[1].depthFormats.clear();
    addCard("No modes");
    d3d.adapters[2].modes.clear();
    run([](HWND w, const GraphicsSettings& g) {
        selectText(w, IDC_COLOUR_DEPTH, L"HiColor - 16bit");
        EXPECT_TRUE(placeholderOnly(w, IDC_RESOLUTION));
        EXPECT_EQ(enabledState(w), "11000 00");
        EXPECT_EQ(g.Width, 1024u) << "the working copy keeps what the lists last set";
        selectText(w, IDC_COLOUR_DEPTH, L"TrueColor - 32bit");
        EXPECT_EQ(enabledState(w), "11110 11");
        select(w, IDC_ADAPTER, 1);
        EXPECT_TRUE(placeholderOnly(w, IDC_ANTIALIASING)) << "no depth format, not even 'none' is offered";
        EXPECT_EQ(enabledState(w), "11100 00");
        select(w, IDC_ADAPTER, 2);
        EXPECT_TRUE(placeholderOnly(w, IDC_COLOUR_DEPTH));
        EXPECT_EQ(enabledState(w), "10000 00");
        const GraphicsSettings before = g;
        select(w, IDC_COLOUR_DEPTH, 0);
        EXPECT_TRUE(g == before) << "a placeholder picked by the player changes nothing";
        select(w, IDC_ADAPTER, 0);
        EXPECT_EQ(enabledState(w), "11110 11");
    });
    d3d.adapters.clear();
    EXPECT_EQ(run([](HWND w, const GraphicsSettings&) {
                  EXPECT_EQ(readCombo(w, IDC_ADAPTER).texts, std::vector<std::wstring>{L"T_NO_VADAPTER_FOUND"});
                  EXPECT_EQ(readCombo(w, IDC_ADAPTER).selected, CB_ERR);
                  EXPECT_EQ(enabledState(w), "00000 00");
              }),
              kSettingsCancel);
}

TEST_F(GraphicsPage, WarningsBlockTheChoiceUntilIgnoredAndComeBackWithEveryAdapterChange) {
    addCard("Quiet card");
    addCard("Warned card");
    reports[1] = L"driver too old\nsee http://example.com/drivers";
    LaunchSettings stored;
    stored.GraphicsSettings.AdapterOrdinal = 1;
    ASSERT_TRUE(saveSettings(stored, d3d));

    run([this](HWND w, const GraphicsSettings&) {
        const HWND info = harness::findOwnDialog(IDC_REPORT);
        ASSERT_TRUE(info);
        EXPECT_TRUE(IsWindowVisible(info)) << "shown at once";
        HWND top = GetTopWindow(nullptr);
        while (top && top != info && top != w) top = GetWindow(top, GW_HWNDNEXT);
        EXPECT_EQ(top, info) << "in front of the settings dialog";
        EXPECT_TRUE(placeholderOnly(w, IDC_COLOUR_DEPTH));
        EXPECT_EQ(enabledState(w), "10000 00");

        harness::click(info, IDC_IGNORE_WARNINGS);
        EXPECT_EQ(enabledState(w), "11110 11");
        harness::click(info, IDOK);
        EXPECT_FALSE(IsWindowVisible(info));
        checkedAdapters.clear();
        select(w, IDC_ADAPTER, 0);
        EXPECT_FALSE(IsWindowVisible(info)) << "an empty report leaves the dialog as it was";
        select(w, IDC_ADAPTER, 1);
        EXPECT_TRUE(IsWindowVisible(info)) << "each adapter with warnings shows them, even while ignored";
        EXPECT_EQ(checkedAdapters, (std::vector<UINT>{0, 1})) << "every adapter change checks the device again";
        EXPECT_EQ(enabledState(w), "11110 11");

        SetDlgItemTextW(info, IDC_REPORT, L"");
        harness::click(info, IDC_IGNORE_WARNINGS);
        EXPECT_EQ(enabledState(w), "10000 00") << "unticking blocks again";
        wchar_t text[64] = {};
        GetDlgItemTextW(info, IDC_REPORT, text, 64);
        EXPECT_EQ(std::wstring(text).find(L"driver too old"), 0u) << "and shows the report again";
    });
}

TEST_F(GraphicsPage, TheAdvancedDialogWritesThroughAtOnceAndClosingUndoesNothing) {
    addCard("Card");
    const INT_PTR end = run([](HWND w, const GraphicsSettings& g) {
        harness::whenDialogShows(IDC_TRIPLEBUF, [&](HWND advanced) {
            EXPECT_EQ(GetWindow(advanced, GW_OWNER), w);
            harness::click(advanced, IDC_TRIPLEBUF);
            EXPECT_TRUE(g.TripleBuffer) << "written at once";
            PostMessageW(advanced, WM_KEYDOWN, VK_ESCAPE, 0);
        });
        harness::click(w, IDC_VADV);
        harness::whenDialogShows(IDC_TRIPLEBUF, [&](HWND advanced) {
            EXPECT_EQ(IsDlgButtonChecked(advanced, IDC_TRIPLEBUF), BST_CHECKED) << "Esc undoes nothing";
            EXPECT_EQ(IsDlgButtonChecked(advanced, IDC_VSYNC), BST_UNCHECKED);
            harness::click(advanced, IDC_GLOW);
            harness::click(advanced, IDOK);
        });
        harness::click(w, IDC_VADV);
        SendMessageW(w, WM_COMMAND, IDC_START, 0);
    });
    EXPECT_EQ(end, kSettingsStart);
    EXPECT_EQ(std::vector<DWORD>({storedDword(L"BackBufferCount"), storedDword(L"VSync"), storedDword(L"GlowEnable")}),
              std::vector<DWORD>({2, 0, 1}));
}

}  // namespace
