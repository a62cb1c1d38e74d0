// Every shipped language fits the dialogs: each label, check box and button text of the settings
// dialog (both pages), the warnings dialog, the advanced dialog and the crash report question, and each
// translated entry of the antialiasing and speaker lists, measured with the control's own font against
// the control's width;
// no control reaches out of its dialog, and each dialog fits the smallest screen common at the scale.
// tests/run_at_dpi.sh runs it again at 120, 144 and 192 DPI, where the dialogs must have that scale,
// the icons an image of their own size, and the report its text at the dialog's scale.
#include <gtest/gtest.h>
#include <richedit.h>

#include <filesystem>

#include "app/crash_consent_dialog.h"
#include "settings/display_mode_catalogue.h"
#include "unit/settings_dialog_harness.h"
#include "win/dpi.h"

namespace {

// The whole dialog at the runner's scale (tests/run_at_dpi.sh), on the smallest screen players have
// at it: 800 x 600 at 100 %, a 1280 x 800 laptop at 150 %, proportionally between and above.
void checkOnScreen(HWND dialog, UINT dpi) {
    RECT frame{};
    GetWindowRect(dialog, &frame);
    const SIZE screen = dpi == 144 ? SIZE{1280, 800} : SIZE{MulDiv(800, dpi, 96), MulDiv(600, dpi, 96)};
    EXPECT_TRUE(frame.right - frame.left <= screen.cx && frame.bottom - frame.top <= screen.cy) << ui::text(dialog);
    EXPECT_EQ(win::windowDpi(dialog), dpi) << ui::text(dialog);
}

// The size of a text in the font the control draws with, on one line or wrapped at `wrapAt`.
SIZE extent(HWND control, const std::wstring& text, LONG wrapAt = 0) {
    struct FontDc {
        HWND control;
        HDC dc = GetDC(control);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
        ~FontDc() {
            SelectObject(dc, old);
            ReleaseDC(control, dc);
        }
    } font{control};
    // As the controls draw it: the "&" of an access key is not drawn and takes no room.
    RECT r{0, 0, wrapAt, 0};
    DrawTextW(font.dc, text.c_str(), static_cast<int>(text.size()), &r,
              DT_CALCRECT | (wrapAt ? DT_WORDBREAK : DT_SINGLELINE));
    return {r.right - r.left, r.bottom - r.top};
}
LONG width(HWND control, const std::wstring& text) { return extent(control, text).cx; }

// Each label, check box and button text inside, the pages' too, with what the control draws around
// it; returns how many were measured.
int checkTexts(HWND parent) {
    int measured = 0;
    RECT inside{};
    GetClientRect(parent, &inside);
    MapWindowPoints(parent, nullptr, reinterpret_cast<POINT*>(&inside), 2);
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        measured += checkTexts(child);
        const std::wstring kind = ui::className(child), text = ui::text(child);
        RECT at{};
        GetWindowRect(child, &at);
        EXPECT_TRUE(at.left >= inside.left && at.top >= inside.top && at.right <= inside.right &&
                    at.bottom <= inside.bottom) << "cut off: " << GetDlgCtrlID(child) << " " << text;
        if (text.empty() || (kind != L"Static" && kind != L"Button")) continue;
        RECT client{};
        GetClientRect(child, &client);
        if (kind == L"Static" && (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_LEFT) {
            // A message that wraps: all its lines must fit the height.
            EXPECT_LE(extent(child, text, client.right).cy, client.bottom) << text;
            ++measured;
            continue;
        }
        const LONG type = GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK;
        LONG decoration = 0;
        if (kind == L"Static") {
            // The label draws "..." itself when its text is cut: one of its own reads as cut too.
            EXPECT_TRUE(text.back() != L'\u2026' && text.find(L"...", text.size() - 3) == std::wstring::npos)
                << text;
        } else if (type == BS_AUTOCHECKBOX || type == BS_CHECKBOX) {
            // The box, then half a digit's width before the text, and the focus frame around it.
            decoration = GetSystemMetrics(SM_CXMENUCHECK) + width(child, L"0") / 2 + 2;
        } else {
            // Edges and focus frame on both sides.
            decoration = 2 * (GetSystemMetrics(SM_CXEDGE) + GetSystemMetrics(SM_CXBORDER) + 1);
        }
        EXPECT_LE(width(child, text) + decoration, client.right) << text;
        ++measured;
    }
    return measured;
}

// The translated entries a list can show, against the list's own text area.
void checkList(HWND dialog, int id, const std::vector<std::wstring>& texts) {
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetComboBoxInfo(ui::find(dialog, id), &info));
    for (const std::wstring& text : texts)
        EXPECT_LE(width(info.hwndCombo, text) + 2, info.rcItem.right - info.rcItem.left) << text;
}

class LanguageFit : public ::testing::Test, protected harness::ScriptedDialog {};

TEST_F(LanguageFit, EveryShippedLanguageFitsEveryControl) {
    harness::addPlainAdapter(d3d);
    const UINT dpi = ui::runnerDpi();
    std::printf("measuring at %u DPI\n", dpi);
    int languages = 0;
    for (const auto& entry : std::filesystem::directory_iterator(SKELVANE_GAME_FOLDER)) {
        const std::wstring file = entry.path().filename().wstring();
        if (file.rfind(L"language", 0) != 0 || entry.path().extension() != L".txt") continue;
        ++languages;
        SCOPED_TRACE(entry.path().filename().string());
        localize = CLocalize(entry.path().wstring());
        ASSERT_GT(localize.size(), 0u) << "unreadable";
        std::vector<std::wstring> antialiasing;  // every type a card may offer
        for (const MultisampleEntry& type : kMultisampleTypes) antialiasing.push_back(localize.translate(type.key));
        int measured = 0;
        run([&](HWND settings, const LaunchSettings&) {
            const HWND warnings = harness::findOwnDialog(IDC_IGNORE_WARNINGS);
            measured = checkTexts(settings) + checkTexts(warnings);
            checkOnScreen(settings, dpi);
            checkOnScreen(warnings, dpi);
            checkList(settings, IDC_ANTIALIASING, antialiasing);
            checkList(settings, IDC_SND_SPEAKERS, ui::readCombo(settings, IDC_SND_SPEAKERS).texts);
            harness::whenDialogShows(IDC_VSYNC, [&](HWND advanced) {
                measured += checkTexts(advanced);
                checkOnScreen(advanced, dpi);
                harness::click(advanced, IDOK);
            });
            harness::click(settings, IDC_VADV);
        });
        CCrashConsentDialog question(localize);
        ASSERT_TRUE(question.create(nullptr));
        measured += checkTexts(question.hwnd());
        checkOnScreen(question.hwnd(), dpi);
        EXPECT_EQ(measured, 25) << "labels, messages, check boxes and buttons of the four dialogs";
    }
    EXPECT_EQ(languages, SKELVANE_LANGUAGE_COUNT) << "the game folder's languages";
}

// The settings dialog's icons have the sizes of its scale, each from an image of its own, not one
// stretched; the report's text has the scale of the dialog's own font.
TEST_F(LanguageFit, IconsAndReportHaveTheDialogsScale) {
    harness::addPlainAdapter(d3d);
    const UINT dpi = ui::runnerDpi();
    auto* icons = static_cast<BYTE*>(
        LockResource(LoadResource(nullptr, FindResourceW(nullptr, MAKEINTRESOURCEW(IDI_SKELVANE), RT_GROUP_ICON))));
    run([&](HWND settings, const LaunchSettings&) {
        for (const auto& [type, metric] : {std::pair{ICON_BIG, SM_CXICON}, std::pair{ICON_SMALL, SM_CXSMICON}}) {
            const int size = win::metricForDpi(metric, dpi);
            ICONINFO shown{};
            BITMAP bitmap{};
            ASSERT_TRUE(GetIconInfo(reinterpret_cast<HICON>(SendMessageW(settings, WM_GETICON, type, 0)), &shown));
            GetObjectW(shown.hbmColor, sizeof bitmap, &bitmap);
            DeleteObject(shown.hbmColor);
            DeleteObject(shown.hbmMask);
            const int image = LookupIconIdFromDirectoryEx(icons, TRUE, size, size, LR_DEFAULTCOLOR);
            const auto* header = static_cast<const BITMAPINFOHEADER*>(
                LockResource(LoadResource(nullptr, FindResourceW(nullptr, MAKEINTRESOURCEW(image), RT_ICON))));
            EXPECT_TRUE(bitmap.bmWidth == size && header && header->biWidth == size) << size << " pixels";
        }
        const HWND warnings = harness::findOwnDialog(IDC_IGNORE_WARNINGS);
        CHARFORMAT2W format{};
        format.cbSize = sizeof format;
        SendMessageW(GetDlgItem(warnings, IDC_REPORT), EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
        LOGFONTW font{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(warnings, WM_GETFONT, 0, 0)), sizeof font, &font);
        EXPECT_NEAR(MulDiv(format.yHeight, static_cast<int>(dpi), 1440), std::abs(font.lfHeight), 1);
    });
}

}  // namespace
