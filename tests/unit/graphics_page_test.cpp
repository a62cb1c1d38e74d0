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

constexpr D3DFORMAT kX8 = D3DFMT_X8R8G8B8;
constexpr D3DFORMAT kR5 = D3DFMT_R5G6B5;
constexpr D3DFORMAT kDepth = D3DFMT_D24S8;
const std::vector<int> kLists = {IDC_ADAPTER, IDC_COLOUR_DEPTH, IDC_RESOLUTION, IDC_ANTIALIASING, IDC_AA_QUALITY};

int indexOf(const harness::Combo& combo, const std::wstring& text) {
    const auto at = std::find(combo.texts.begin(), combo.texts.end(), text);
    return at == combo.texts.end() ? -1 : static_cast<int>(at - combo.texts.begin());
}
std::wstring selectedText(HWND dialog, int id) {
    const harness::Combo c = readCombo(dialog, id);
    return c.selected >= 0 ? c.texts[c.selected] : L"";
}
void selectText(HWND dialog, int id, const std::wstring& text) {
    const int index = indexOf(readCombo(dialog, id), text);
    ASSERT_GE(index, 0) << "no entry " << std::string(text.begin(), text.end()) << " in list " << id;
    select(dialog, id, index);
}
// Which of the five lists and of Start and OK are enabled, as one string: "11100 00" and so on.
std::string enabledState(HWND dialog) {
    std::string state;
    for (int id : kLists) state += harness::isEnabled(dialog, id) ? '1' : '0';
    state += ' ';
    state += IsWindowEnabled(GetDlgItem(dialog, IDC_START)) ? '1' : '0';
    state += IsWindowEnabled(GetDlgItem(dialog, IDOK)) ? '1' : '0';
    return state;
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
    std::shared_ptr<harness::ScriptedSoundLibrary> sound = std::make_shared<harness::ScriptedSoundLibrary>();
    std::map<UINT, std::wstring> reports;  // device check findings by adapter
    std::vector<UINT> checkedAdapters;

    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey); }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey); }

    // 32- and 16-bit modes (one too small to offer), one depth format; 2 samples with four
    // quality levels, 4 samples with one.
    void addCard(const char* name) {
        fake::Adapter& a = d3d.add();
        a.setName(name, GUID{0x5000u + static_cast<unsigned>(d3d.adapters.size()), 1, 2, {3}});
        a.addMode(kX8, 640, 480, 60);
        a.addMode(kX8, 1024, 768, 60);
        a.addMode(kX8, 1280, 1024, 60);
        a.addMode(kX8, 1280, 1024, 75);
        a.addMode(kR5, 1024, 768, 60);
        a.addMode(kR5, 1280, 1024, 60);
        a.depthFormats = {kDepth};
        for (D3DFORMAT f : {kX8, kR5, kDepth}) a.multisample[{f, D3DMULTISAMPLE_NONE}] = 1;
        for (D3DFORMAT f : {kX8, kDepth}) {
            a.multisample[{f, D3DMULTISAMPLE_2_SAMPLES}] = 4;
            a.multisample[{f, D3DMULTISAMPLE_4_SAMPLES}] = 1;
        }
    }
    SettingsServices services() {
        return harness::fakeServices(
            d3d,
            [this](UINT adapter) {
                checkedAdapters.push_back(adapter);
                return reports.count(adapter) ? reports[adapter] : std::wstring();
            },
            sound);
    }
    // Runs the dialog and drives it from inside; returns the end code.
    INT_PTR run(const std::function<void(HWND, const CSettingsDialog&)>& drive) {
        CSettingsDialog dialog(localize, false, services());
        return harness::runDialog(dialog, [&](HWND w) { drive(w, dialog); });
    }
    DWORD storedDword(const wchar_t* name) {
        DWORD value = 0xDEAD, size = sizeof value;
        RegGetValueW(HKEY_CURRENT_USER, L"Software\\Tolmira\\Skelvane\\Graphics", name, RRF_RT_REG_DWORD, nullptr,
                     &value, &size);
        return value;
    }
};

TEST_F(GraphicsPage, AChoiceSurvivesAChangeAboveItWhenTheNewConfigurationOffersIt) {
    addCard("Card");
    run([](HWND w, const CSettingsDialog& dialog) {
        const GraphicsSettings& g = dialog.settings().GraphicsSettings;
        EXPECT_EQ(readCombo(w, IDC_COLOUR_DEPTH).texts, (std::vector<std::wstring>{L"TrueColor - 32bit", L"HiColor - 16bit"}));
        EXPECT_EQ(selectedText(w, IDC_RESOLUTION), L"1024x768 60Hz") << "the desktop mode when nothing is stored";
        selectText(w, IDC_RESOLUTION, L"1280x1024 60Hz");
        selectText(w, IDC_ANTIALIASING, L"T_AA_02_SAMPLES");

        selectText(w, IDC_COLOUR_DEPTH, L"HiColor - 16bit");
        EXPECT_EQ(g.AdapterFormat, static_cast<DWORD>(kR5));
        EXPECT_EQ(readCombo(w, IDC_RESOLUTION).texts, (std::vector<std::wstring>{L"1024x768 60Hz", L"1280x1024 60Hz"}));
        EXPECT_EQ(selectedText(w, IDC_RESOLUTION), L"1280x1024 60Hz");
        EXPECT_EQ(g.SurfaceFormat, static_cast<DWORD>(kR5));
        EXPECT_EQ(readCombo(w, IDC_ANTIALIASING).texts, std::vector<std::wstring>{L"T_AA_NONE"})
            << "the 16-bit surface offers no multisampling";
        EXPECT_EQ(g.MultiSampleType, static_cast<DWORD>(D3DMULTISAMPLE_NONE));

        selectText(w, IDC_COLOUR_DEPTH, L"TrueColor - 32bit");
        EXPECT_EQ(selectedText(w, IDC_RESOLUTION), L"1280x1024 60Hz");
        EXPECT_EQ(g.Width, 1280u);
        EXPECT_EQ(g.Height, 1024u);
        EXPECT_EQ(g.RefreshRate, 60u);
        EXPECT_EQ(g.SurfaceFormat, static_cast<DWORD>(kX8));
        EXPECT_EQ(selectedText(w, IDC_ANTIALIASING), L"T_AA_NONE") << "the type the working copy holds now";
    });
}

TEST_F(GraphicsPage, AResolutionSelectionWritesExactlyThatModeAndKeepsTheAntialiasing) {
    addCard("Card");
    run([](HWND w, const CSettingsDialog& dialog) {
        const GraphicsSettings& g = dialog.settings().GraphicsSettings;
        const harness::Combo resolutions = readCombo(w, IDC_RESOLUTION);
        EXPECT_EQ(resolutions.texts,
                  (std::vector<std::wstring>{L"1024x768 60Hz", L"1280x1024 60Hz", L"1280x1024 75Hz"}));
        EXPECT_EQ(resolutions.data, (std::vector<LONG_PTR>{1, 2, 3})) << "mode indexes; 640 x 480 is not offered";
        selectText(w, IDC_ANTIALIASING, L"T_AA_02_SAMPLES");

        selectText(w, IDC_RESOLUTION, L"1280x1024 75Hz");
        EXPECT_EQ(g.Width, 1280u);
        EXPECT_EQ(g.Height, 1024u);
        EXPECT_EQ(g.RefreshRate, 75u);
        EXPECT_EQ(g.SurfaceFormat, static_cast<DWORD>(kX8));
        EXPECT_EQ(selectedText(w, IDC_ANTIALIASING), L"T_AA_02_SAMPLES");
        EXPECT_EQ(g.MultiSampleType, static_cast<DWORD>(D3DMULTISAMPLE_2_SAMPLES));

        selectText(w, IDC_RESOLUTION, L"1024x768 60Hz");
        EXPECT_EQ(g.Width, 1024u);
        EXPECT_EQ(g.RefreshRate, 60u);
        SendMessageW(w, WM_COMMAND, IDC_START, 0);
    });
    EXPECT_EQ(storedDword(L"Width"), 1024u);
    EXPECT_EQ(storedDword(L"Height"), 768u);
    EXPECT_EQ(storedDword(L"MultiSampleType"), 2u);
}

TEST_F(GraphicsPage, QualityLevelsFollowTheTypeAndASingleLevelIsADisabledZero) {
    addCard("Card");
    run([](HWND w, const CSettingsDialog& dialog) {
        const GraphicsSettings& g = dialog.settings().GraphicsSettings;
        EXPECT_EQ(readCombo(w, IDC_ANTIALIASING).texts,
                  (std::vector<std::wstring>{L"T_AA_NONE", L"T_AA_02_SAMPLES", L"T_AA_04_SAMPLES"}));
        selectText(w, IDC_ANTIALIASING, L"T_AA_02_SAMPLES");
        harness::Combo quality = readCombo(w, IDC_AA_QUALITY);
        EXPECT_EQ(quality.texts, (std::vector<std::wstring>{L"0", L"1", L"2", L"3"}));
        EXPECT_TRUE(quality.enabled);
        select(w, IDC_AA_QUALITY, 2);
        EXPECT_EQ(g.MultiSampleQuality, 2u);

        selectText(w, IDC_ANTIALIASING, L"T_AA_04_SAMPLES");
        quality = readCombo(w, IDC_AA_QUALITY);
        EXPECT_EQ(quality.texts, std::vector<std::wstring>{L"0"});
        EXPECT_EQ(quality.data, std::vector<LONG_PTR>{0});
        EXPECT_EQ(quality.selected, 0);
        EXPECT_FALSE(quality.enabled);
        EXPECT_EQ(g.MultiSampleType, static_cast<DWORD>(D3DMULTISAMPLE_4_SAMPLES));
        EXPECT_EQ(g.MultiSampleQuality, 0u);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(w, IDC_START))) << "one level is a valid choice";
    });
}

TEST_F(GraphicsPage, EmptyListsDisableThemselvesAndWhatIsBelowUntilALaterFillSucceeds) {
    addCard("Card");
    addCard("No depth buffer");
    d3d.adapters[1].depthFormats.clear();
    d3d.adapters[0].modes[kR5] = {{640, 480, 60, kR5}};  // 16-bit: nothing large enough
    addCard("No modes");
    d3d.adapters[2].modes.clear();
    run([](HWND w, const CSettingsDialog& dialog) {
        const GraphicsSettings& g = dialog.settings().GraphicsSettings;
        EXPECT_EQ(enabledState(w), "11110 11") << "no antialiasing has a single quality level";
        selectText(w, IDC_ANTIALIASING, L"T_AA_02_SAMPLES");
        EXPECT_EQ(enabledState(w), "11111 11");

        selectText(w, IDC_COLOUR_DEPTH, L"HiColor - 16bit");
        EXPECT_TRUE(placeholderOnly(w, IDC_RESOLUTION));
        EXPECT_EQ(enabledState(w), "11000 00");
        EXPECT_EQ(readCombo(w, IDC_ANTIALIASING).texts.size(), 3u) << "lists below keep their entries";
        EXPECT_EQ(g.Width, 1024u) << "and the working copy what they last set";
        EXPECT_EQ(g.MultiSampleType, static_cast<DWORD>(D3DMULTISAMPLE_2_SAMPLES));
        selectText(w, IDC_COLOUR_DEPTH, L"TrueColor - 32bit");
        EXPECT_EQ(enabledState(w), "11111 11");

        select(w, IDC_ADAPTER, 1);
        EXPECT_TRUE(placeholderOnly(w, IDC_ANTIALIASING)) << "no depth format, not even 'none' is offered";
        EXPECT_EQ(enabledState(w), "11100 00");
        select(w, IDC_ADAPTER, 2);
        EXPECT_TRUE(placeholderOnly(w, IDC_COLOUR_DEPTH));
        EXPECT_EQ(enabledState(w), "10000 00");
        // A placeholder picked by the player changes nothing.
        const GraphicsSettings before = g;
        select(w, IDC_COLOUR_DEPTH, 0);
        EXPECT_TRUE(g == before);
        select(w, IDC_ADAPTER, 0);
        EXPECT_EQ(enabledState(w), "11111 11");
        SendMessageW(w, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(storedDword(L"AdapterOrdinal"), 0u);
}

TEST_F(GraphicsPage, NoAdapterLeavesOnlyCancel) {
    const INT_PTR end = run([](HWND w, const CSettingsDialog& dialog) {
        const harness::Combo adapters = readCombo(w, IDC_ADAPTER);
        EXPECT_EQ(adapters.texts, std::vector<std::wstring>{L"T_NO_VADAPTER_FOUND"});
        EXPECT_EQ(adapters.data, std::vector<LONG_PTR>{-1});
        EXPECT_EQ(adapters.selected, CB_ERR);
        EXPECT_EQ(enabledState(w), "00000 00");
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(w, IDCANCEL)));
        EXPECT_EQ(dialog.settings().GraphicsSettings.AdapterOrdinal, 0u);
    });
    EXPECT_EQ(end, kSettingsCancel);
}

TEST_F(GraphicsPage, WarningsBlockTheChoiceUntilIgnoredAndComeBackWithEveryAdapterChange) {
    addCard("Quiet card");
    addCard("Warned card");
    reports[1] = L"driver too old\nsee http://example.com/drivers";
    LaunchSettings stored;
    stored.GraphicsSettings.AdapterOrdinal = 1;
    ASSERT_TRUE(saveSettings(stored, d3d));

    run([this](HWND w, const CSettingsDialog&) {
        EXPECT_EQ(readCombo(w, IDC_ADAPTER).selected, 1) << "the stored adapter";
        const HWND info = harness::findOwnDialog(IDC_REPORT);
        ASSERT_TRUE(info);
        const auto reportText = [&] {
            wchar_t text[256] = {};
            GetDlgItemTextW(info, IDC_REPORT, text, 256);
            return std::wstring(text);
        };
        EXPECT_TRUE(IsWindowVisible(info)) << "shown at once";
        const auto inFront = [&] {
            for (HWND top = GetTopWindow(nullptr); top; top = GetWindow(top, GW_HWNDNEXT))
                if (top == info || top == w) return top == info;
            return false;
        };
        EXPECT_TRUE(inFront()) << "in front of the settings dialog";
        EXPECT_EQ(reportText().find(L"driver too old"), 0u);
        EXPECT_TRUE(placeholderOnly(w, IDC_COLOUR_DEPTH));
        EXPECT_EQ(enabledState(w), "10000 00");

        harness::click(info, IDC_IGNORE_WARNINGS);
        EXPECT_EQ(readCombo(w, IDC_COLOUR_DEPTH).texts.size(), 2u);
        EXPECT_EQ(enabledState(w), "11110 11");
        harness::click(info, IDOK);
        EXPECT_FALSE(IsWindowVisible(info));
        EXPECT_EQ(enabledState(w), "11110 11") << "hiding the report keeps the warnings ignored";

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
        EXPECT_EQ(reportText().find(L"driver too old"), 0u) << "and shows the report again";
        EXPECT_TRUE(IsWindowVisible(info));
    });
}

TEST_F(GraphicsPage, TheAdvancedDialogWritesThroughAtOnceAndClosingUndoesNothing) {
    addCard("Card");
    const INT_PTR end = run([](HWND w, const CSettingsDialog& dialog) {
        const GraphicsSettings& g = dialog.settings().GraphicsSettings;
        harness::whenDialogShows(IDC_TRIPLEBUF, [&](HWND advanced) {
            EXPECT_EQ(GetWindow(advanced, GW_OWNER), w);
            for (int id : {IDC_VSYNC, IDC_TRIPLEBUF, IDC_GLOW})
                EXPECT_EQ(IsDlgButtonChecked(advanced, id), BST_UNCHECKED) << id;
            harness::click(advanced, IDC_TRIPLEBUF);
            EXPECT_TRUE(g.TripleBuffer) << "written at once";
            harness::click(advanced, IDC_GLOW);
            harness::click(advanced, IDC_GLOW);
            EXPECT_FALSE(g.GlowEnable);
            PostMessageW(advanced, WM_KEYDOWN, VK_ESCAPE, 0);
        });
        harness::click(w, IDC_VADV);
        EXPECT_TRUE(g.TripleBuffer) << "Esc undoes nothing";

        harness::whenDialogShows(IDC_TRIPLEBUF, [&](HWND advanced) {
            EXPECT_EQ(IsDlgButtonChecked(advanced, IDC_TRIPLEBUF), BST_CHECKED) << "the state left";
            EXPECT_EQ(IsDlgButtonChecked(advanced, IDC_GLOW), BST_UNCHECKED);
            harness::click(advanced, IDC_VSYNC);
            harness::click(advanced, IDOK);
        });
        harness::click(w, IDC_VADV);
        EXPECT_TRUE(g.VSync);
        SendMessageW(w, WM_COMMAND, IDC_START, 0);
    });
    EXPECT_EQ(end, kSettingsStart);
    EXPECT_EQ(storedDword(L"BackBufferCount"), 2u);
    EXPECT_EQ(storedDword(L"VSync"), 1u);
    EXPECT_EQ(storedDword(L"GlowEnable"), 0u);
}

}  // namespace
