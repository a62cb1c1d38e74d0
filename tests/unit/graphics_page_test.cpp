// The graphics page, the warnings dialog and the advanced video dialog over a scripted Direct3D
// object: how the cascade of lists chooses, what reaches the working copy, when Start and OK are
// offered and stored settings usable, and which clicked links of a warnings report are opened.
#include <gtest/gtest.h>

#include "settings/info_dialog.h"
#include "unit/settings_dialog_harness.h"

namespace {

using harness::readCombo;
using harness::select;

constexpr D3DFORMAT kX8 = D3DFMT_X8R8G8B8, kR5 = D3DFMT_R5G6B5, kDepth = D3DFMT_D24S8;
using Texts = std::vector<std::wstring>;

// Which of the five lists and of Start and OK are enabled, as one string: "11100 00" and so on.
std::string enabledState(HWND dialog) {
    std::string state;
    for (int id : {IDC_ADAPTER, IDC_COLOUR_DEPTH, IDC_RESOLUTION, IDC_ANTIALIASING, IDC_AA_QUALITY, IDC_START,
                   IDOK})
        state += IsWindowEnabled(ui::find(dialog, id)) ? '1' : '0';
    return state.insert(5, " ");
}
bool placeholderOnly(HWND dialog, int id) {
    const ui::Combo c = readCombo(dialog, id);
    return c.texts == Texts{L"<none>"} && c.data == std::vector<LONG_PTR>{-1} && c.selected == 0;
}

class GraphicsPage : public ::testing::Test, protected harness::ScriptedDialog {
protected:
    // The plain adapter with more 32-bit modes and 16-bit ones; 4 samples with one quality level for
    // 32 bits only.
    fake::Adapter& addCard() {
        fake::Adapter& a = harness::addPlainAdapter(d3d);
        for (UINT hz : {60u, 75u}) a.addMode(kX8, 1280, 1024, hz);
        a.addMode(kR5, 1024, 768, 60);
        a.addMode(kR5, 1280, 1024, 60);
        a.multisample[{kR5, D3DMULTISAMPLE_NONE}] = 1;
        for (D3DFORMAT f : {kX8, kDepth}) a.multisample[{f, D3DMULTISAMPLE_4_SAMPLES}] = 1;
        return a;
    }
};

// The advanced dialog writes through at once, and closing it undoes nothing.
TEST_F(GraphicsPage, AChoiceSurvivesAChangeAboveItWhenOfferedStartStoresItAndADeviceWarningMakesItInvalid) {
    addCard();
    run([](HWND w, const LaunchSettings& s) {
        ASSERT_TRUE(ui::selectText(w, IDC_RESOLUTION, L"1280x1024 75Hz"));
        ASSERT_TRUE(ui::selectText(w, IDC_COLOUR_DEPTH, L"HiColor - 16bit"));
        EXPECT_EQ(readCombo(w, IDC_RESOLUTION).selectedText(), L"1280x1024 60Hz");
        ASSERT_TRUE(ui::selectText(w, IDC_COLOUR_DEPTH, L"TrueColor - 32bit"));
        EXPECT_EQ(readCombo(w, IDC_RESOLUTION).selectedText(), L"1280x1024 60Hz");

        ASSERT_TRUE(ui::selectText(w, IDC_ANTIALIASING, L"T_AA_04_SAMPLES"));
        EXPECT_EQ(enabledState(w), "11110 11") << "a single quality level is a disabled zero";
        ASSERT_TRUE(ui::selectText(w, IDC_RESOLUTION, L"1280x1024 75Hz"));

        harness::whenDialogShows(IDC_TRIPLEBUF, [&](HWND advanced) {
            EXPECT_EQ(GetWindow(advanced, GW_OWNER), w);
            harness::click(advanced, IDC_TRIPLEBUF);
            EXPECT_TRUE(s.GraphicsSettings.TripleBuffer) << "written at once";
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
    EXPECT_EQ(harness::stored(L"Graphics", {L"Width", L"Height", L"RefreshRate", L"MultiSampleType", L"BackBufferCount",
                                            L"VSync", L"GlowEnable"}),
              (std::vector<DWORD>{1280, 1024, 75, 4, 2, 0, 1}));
    EXPECT_FALSE(CSettingsDialog(localize, false, services()).settingsInvalid());
    reports[0] = L"driver too old";
    EXPECT_TRUE(CSettingsDialog(localize, false, services()).settingsInvalid()) << "stored, but with a warning";
}

TEST_F(GraphicsPage, EmptyListsDisableThemselvesAndWhatIsBelowUntilALaterFillSucceeds) {
    addCard().modes[kR5] = {{640, 480, 60, kR5}};  // 16-bit: nothing large enough
    addCard().depthFormats.clear();
    addCard().modes.clear();
    run([](HWND w, const LaunchSettings&) {
        ASSERT_TRUE(ui::selectText(w, IDC_COLOUR_DEPTH, L"HiColor - 16bit"));
        EXPECT_TRUE(placeholderOnly(w, IDC_RESOLUTION));
        select(w, IDC_RESOLUTION, 0);  // the placeholder, picked by the player, changes nothing
        EXPECT_EQ(enabledState(w), "11000 00");
        ASSERT_TRUE(ui::selectText(w, IDC_COLOUR_DEPTH, L"TrueColor - 32bit"));
        EXPECT_EQ(enabledState(w), "11110 11");
        select(w, IDC_ADAPTER, 1);
        EXPECT_TRUE(placeholderOnly(w, IDC_ANTIALIASING)) << "no depth format, not even 'none' is offered";
        EXPECT_EQ(enabledState(w), "11100 00");
        select(w, IDC_ADAPTER, 2);
        EXPECT_EQ(enabledState(w), "10000 00");
    });
    d3d.adapters.clear();
    run([](HWND w, const LaunchSettings&) {
        EXPECT_EQ(readCombo(w, IDC_ADAPTER).texts, Texts{L"T_NO_VADAPTER_FOUND"});
        EXPECT_EQ(readCombo(w, IDC_ADAPTER).selected, CB_ERR);
        EXPECT_EQ(enabledState(w), "00000 00");
    });
}

TEST_F(GraphicsPage, WarningsBlockTheChoiceUntilIgnoredAndComeBackWithEveryAdapterChange) {
    addCard();
    addCard();
    reports[0] = L"driver too old\nsee http://example.com/drivers";
    run([](HWND w, const LaunchSettings&) {
        const HWND info = harness::findOwnDialog(IDC_REPORT);
        ASSERT_TRUE(info && IsWindowVisible(info)) << "shown at once (in front: shown end to end)";
        EXPECT_TRUE(placeholderOnly(w, IDC_COLOUR_DEPTH));
        EXPECT_EQ(enabledState(w), "10000 00");

        harness::click(info, IDC_IGNORE_WARNINGS);
        EXPECT_EQ(enabledState(w), "11110 11");
        harness::click(info, IDOK);
        EXPECT_FALSE(IsWindowVisible(info));
        select(w, IDC_ADAPTER, 1);
        EXPECT_FALSE(IsWindowVisible(info)) << "each change checks again: an empty report leaves it hidden";
        select(w, IDC_ADAPTER, 0);
        EXPECT_TRUE(IsWindowVisible(info)) << "each adapter with warnings shows them, even while ignored";
        EXPECT_EQ(enabledState(w), "11110 11");
        harness::click(info, IDC_IGNORE_WARNINGS);
        EXPECT_EQ(enabledState(w), "10000 00") << "unticking blocks again";
    });
}

TEST(WarningsLinks, OnlyWebAndMailLinksInsideTheTextOpen) {
    const std::wstring text = L"driver too old\rsee https://example.com/d";
    const LONG start = static_cast<LONG>(text.find(L"https")), end = static_cast<LONG>(text.size());
    EXPECT_EQ(linkToOpen(text, start, end), L"https://example.com/d");
    EXPECT_EQ(linkToOpen(text, start, end + 1) + linkToOpen(text, start, start), L"") << "beyond the text, empty";
    for (const wchar_t* link : {L"http://example.com", L"HTTPS://EXAMPLE.COM/x", L"mailto:support@example.com"})
        EXPECT_TRUE(isOpenableLink(link)) << std::wstring(link).size();
    for (const wchar_t* link : {L"file:///C:/windows/system32/calc.exe", L"\\\\server\\share\\run.bat", L"http://",
                                L"mailto:", L"xhttp://example.com"})
        EXPECT_FALSE(isOpenableLink(link)) << std::wstring(link).size();
}

}  // namespace
