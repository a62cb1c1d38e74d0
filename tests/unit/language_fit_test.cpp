// Every shipped language fits the dialogs: each label, check box and button text of the settings
// dialog (both pages), the warnings dialog and the advanced dialog, and each translated entry of the
// antialiasing and speaker lists, measured with the control's own font against the control's size.
#include <gtest/gtest.h>

#include <filesystem>

#include "settings/display_mode_catalogue.h"
#include "unit/settings_dialog_fixture.h"

namespace {

// The size of a text in the font the control draws with.
SIZE extent(HWND control, const std::wstring& text) {
    struct FontDc {
        HWND control;
        HDC dc = GetDC(control);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
        ~FontDc() {
            SelectObject(dc, old);
            ReleaseDC(control, dc);
        }
    } font{control};
    RECT r{0, 0, 0, 0};
    DrawTextW(font.dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_SINGLELINE);
    return {r.right - r.left, r.bottom - r.top};
}

// Failures name the language with a trace.
struct Findings {
    int measured = 0;

    // The text with this much room around it in the control's font, against the room it has.
    static void fits(HWND control, const std::wstring& text, LONG decoration, RECT room) {
        const SIZE size = extent(control, text);
        EXPECT_LE(size.cx + decoration, room.right - room.left) << text;
        EXPECT_LE(size.cy, room.bottom - room.top) << text;
    }

    void checkControl(HWND control) {
        wchar_t name[32] = {};
        GetClassNameW(control, name, 32);
        const std::wstring kind = name, text = ui::text(control);
        if (text.empty() || (kind != L"Static" && kind != L"Button")) return;
        RECT client{};
        GetClientRect(control, &client);
        const LONG type = GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
        LONG decoration = 0;
        if (kind == L"Static") {
            // The label draws "..." itself when its text is cut: one of its own reads as cut too.
            EXPECT_TRUE(text.back() != L'\u2026' && text.find(L"...", text.size() - 3) == std::wstring::npos)
                << text;
        } else if (type == BS_AUTOCHECKBOX || type == BS_CHECKBOX) {
            // The box, then half a digit's width before the text, and the focus frame around it.
            decoration = GetSystemMetrics(SM_CXMENUCHECK) + extent(control, L"0").cx / 2 + 2;
        } else {
            // Edges and focus frame on both sides.
            decoration = 2 * (GetSystemMetrics(SM_CXEDGE) + GetSystemMetrics(SM_CXBORDER) + 1);
        }
        fits(control, text, decoration, client);
        ++measured;
    }

    // Every control inside, the pages' too.
    void checkDialog(HWND parent) {
        for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            checkControl(child);
            checkDialog(child);
        }
    }

    // The translated entries a list can show, against the list's own text area.
    void checkList(HWND dialog, int id, const std::vector<std::wstring>& texts) {
        const HWND list = ui::find(dialog, id);
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        ASSERT_TRUE(GetComboBoxInfo(list, &info));
        for (const std::wstring& text : texts) fits(list, text, 2, info.rcItem);
        ++measured;
    }
};

class LanguageFit : public harness::DialogTest {};

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
        Findings findings;
        std::vector<std::wstring> antialiasing;  // every type a card may offer
        for (const MultisampleEntry& type : kMultisampleTypes)
            antialiasing.push_back(localize.translate(type.key));
        run([&](HWND settings, const LaunchSettings&) {
            findings.checkDialog(settings);
            findings.checkDialog(harness::findOwnDialog(IDC_IGNORE_WARNINGS));  // none: fewer measured
            findings.checkList(settings, IDC_ANTIALIASING, antialiasing);
            findings.checkList(settings, IDC_SND_SPEAKERS, ui::readCombo(settings, IDC_SND_SPEAKERS).texts);
            harness::whenDialogShows(IDC_VSYNC, [&](HWND advanced) {
                findings.checkDialog(advanced);
                harness::click(advanced, IDOK);
            });
            harness::click(settings, IDC_VADV);
        });
        EXPECT_EQ(findings.measured, 23) << "labels, check boxes, buttons and lists of the three dialogs";
    }
    EXPECT_EQ(languages, SKELVANE_LANGUAGE_COUNT) << "the game folder's languages";
}

}  // namespace
