// Every shipped language fits the dialogs: each label, check box and button text of the settings
// dialog (both pages), the warnings dialog, the advanced dialog and the crash report question, and each translated entry of the
// antialiasing and speaker lists, measured with the control's own font against the control's width.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/crash_consent_dialog.h"
#include "settings/display_mode_catalogue.h"
#include "unit/settings_dialog_harness.h"

namespace {

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
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        measured += checkTexts(child);
        const std::wstring kind = ui::className(child), text = ui::text(child);
        if (text.empty() || (kind != L"Static" && kind != L"Button")) continue;
        const LONG type = GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK;
        LONG decoration = 0;
        RECT client{};
        GetClientRect(child, &client);
        if (kind == L"Static" && (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_LEFT) {
            // A message that wraps: all its lines must fit the height.
            EXPECT_LE(extent(child, text, client.right).cy, client.bottom) << text;
            ++measured;
            continue;
        }
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
            measured = checkTexts(settings) + checkTexts(harness::findOwnDialog(IDC_IGNORE_WARNINGS));
            checkList(settings, IDC_ANTIALIASING, antialiasing);
            checkList(settings, IDC_SND_SPEAKERS, ui::readCombo(settings, IDC_SND_SPEAKERS).texts);
            harness::whenDialogShows(IDC_VSYNC, [&](HWND advanced) {
                measured += checkTexts(advanced);
                harness::click(advanced, IDOK);
            });
            harness::click(settings, IDC_VADV);
        });
        CCrashConsentDialog question(localize);
        ASSERT_TRUE(question.create(nullptr));
        measured += checkTexts(question.hwnd());
        EXPECT_EQ(measured, 25) << "labels, messages, check boxes and buttons of the four dialogs";
    }
    EXPECT_EQ(languages, SKELVANE_LANGUAGE_COUNT) << "the game folder's languages";
}

}  // namespace
