// Every shipped language fits the dialogs: each label, check box and button text of the settings
// dialog (both pages), the warnings dialog and the advanced dialog, and each translated entry of the
// antialiasing and speaker lists, measured with the control's own font against the control's size.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "config/language_keys.h"
#include "res/resource.h"
#include "unit/settings_dialog_harness.h"

namespace {

std::vector<std::wstring> shippedLanguageFiles() {
    std::vector<std::wstring> files;
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(SKELVANE_GAME_FOLDER L"/language*.txt", &found);
    if (search == INVALID_HANDLE_VALUE) return files;
    do files.push_back(SKELVANE_GAME_FOLDER L"/" + std::wstring(found.cFileName));
    while (FindNextFileW(search, &found));
    FindClose(search);
    return files;
}

std::wstring className(HWND w) {
    wchar_t name[32] = {};
    GetClassNameW(w, name, 32);
    return name;
}

std::wstring windowText(HWND w) {
    std::wstring text(GetWindowTextLengthW(w) + 1, L'\0');
    text.resize(GetWindowTextW(w, text.data(), static_cast<int>(text.size())));
    return text;
}

// Measures texts in the font a control draws with.
class ControlFont {
public:
    explicit ControlFont(HWND control)
        : m_control(control), m_dc(GetDC(control)),
          m_old(SelectObject(m_dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)))) {}
    ~ControlFont() {
        SelectObject(m_dc, m_old);
        ReleaseDC(m_control, m_dc);
    }
    ControlFont(const ControlFont&) = delete;
    ControlFont& operator=(const ControlFont&) = delete;

    SIZE extent(const std::wstring& text) const {
        RECT r{0, 0, 0, 0};
        DrawTextW(m_dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_SINGLELINE);
        return {r.right - r.left, r.bottom - r.top};
    }

private:
    HWND m_control;
    HDC m_dc;
    HGDIOBJ m_old;
};

bool endsWithEllipsis(const std::wstring& text) {
    return (text.size() >= 3 && text.compare(text.size() - 3, 3, L"...") == 0) ||
           (!text.empty() && text.back() == L'\u2026');
}

struct Findings {
    std::wstring language;
    std::vector<std::wstring> cut;
    int measured = 0;

    void fits(HWND control, const std::wstring& text, LONG room, LONG height, LONG needed, LONG neededHeight) {
        if (needed <= room && neededHeight <= height) return;
        cut.push_back(language + L": \"" + text + L"\" (control " + std::to_wstring(GetDlgCtrlID(control)) +
                      L") needs " + std::to_wstring(needed) + L" x " + std::to_wstring(neededHeight) +
                      L" pixels, has " + std::to_wstring(room) + L" x " + std::to_wstring(height));
    }

    void checkControl(HWND control) {
        const std::wstring name = className(control), text = windowText(control);
        if (text.empty() || (name != L"Static" && name != L"Button")) return;
        RECT client{};
        GetClientRect(control, &client);
        const ControlFont font(control);
        const SIZE size = font.extent(text);
        const LONG type = GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
        LONG decoration = 0;
        if (name == L"Static") {
            // The label draws "..." itself when its text is cut: one of its own reads as cut too.
            if (endsWithEllipsis(text)) cut.push_back(language + L": label \"" + text + L"\" ends with an ellipsis");
        } else if (type == BS_AUTOCHECKBOX || type == BS_CHECKBOX) {
            // The box, then half a digit's width before the text, and the focus frame around it.
            decoration = GetSystemMetrics(SM_CXMENUCHECK) + font.extent(L"0").cx / 2 + 2;
        } else {
            // Edges and focus frame on both sides.
            decoration = 2 * (GetSystemMetrics(SM_CXEDGE) + GetSystemMetrics(SM_CXBORDER) + 1);
        }
        fits(control, text, client.right, client.bottom, size.cx + decoration, size.cy);
        ++measured;
    }

    static BOOL CALLBACK checkChild(HWND child, LPARAM self) {
        reinterpret_cast<Findings*>(self)->checkControl(child);
        return TRUE;
    }
    void checkDialog(HWND dialog) { EnumChildWindows(dialog, checkChild, reinterpret_cast<LPARAM>(this)); }

    // The translated entries a list can show, against the list's own text area.
    void checkList(HWND list, const CLocalize& localize, const std::vector<const char*>& keys) {
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        ASSERT_TRUE(GetComboBoxInfo(list, &info));
        const ControlFont font(list);
        for (const char* k : keys) {
            const std::wstring text = localize.translate(k);
            const SIZE size = font.extent(text);
            fits(list, text, info.rcItem.right - info.rcItem.left, info.rcItem.bottom - info.rcItem.top, size.cx + 2,
                 size.cy);
        }
        ++measured;
    }
};

TEST(LanguageFit, EveryShippedLanguageFitsEveryControl) {
    const win::CModule richEdit{LoadLibraryW(L"RICHED20.DLL")};  // the warnings dialog's report
    const std::vector<std::wstring> files = shippedLanguageFiles();
    ASSERT_EQ(files.size(), static_cast<size_t>(SKELVANE_LANGUAGE_COUNT)) << "the game folder's language files";
    const std::vector<const char*> antialiasing = {
        key::T_AA_NONE,       key::T_AA_NONMASKABLE, key::T_AA_02_SAMPLES, key::T_AA_03_SAMPLES, key::T_AA_04_SAMPLES,
        key::T_AA_05_SAMPLES, key::T_AA_06_SAMPLES,  key::T_AA_07_SAMPLES, key::T_AA_08_SAMPLES, key::T_AA_09_SAMPLES,
        key::T_AA_10_SAMPLES, key::T_AA_11_SAMPLES,  key::T_AA_12_SAMPLES, key::T_AA_13_SAMPLES, key::T_AA_14_SAMPLES,
        key::T_AA_15_SAMPLES, key::T_AA_16_SAMPLES};
    const std::vector<const char*> speakers = {key::T_SPEAKERMODE_DOLBYDIGITAL, key::T_SPEAKERMODE_HEADPHONES,
                                               key::T_SPEAKERMODE_MONO,         key::T_SPEAKERMODE_QUAD,
                                               key::T_SPEAKERMODE_STEREO,       key::T_SPEAKERMODE_SURROUND};
    for (const std::wstring& file : files) {
        const CLocalize localize(file);
        ASSERT_GT(localize.size(), 0u) << "unreadable";
        Findings findings{file.substr(file.rfind(L'/') + 1), {}};
        int dialogsChecked = 0;
        fake::Direct3D9 d3d;
        harness::addPlainAdapter(d3d);
        CSettingsDialog dialog(
            localize, false,
            harness::fakeServices(d3d, [](UINT) { return std::wstring(); },
                                  std::make_shared<harness::ScriptedSoundLibrary>()));
        harness::runDialog(dialog, [&](HWND settings) {
            findings.checkDialog(settings);
            const HWND warnings = harness::findOwnDialog(IDC_IGNORE_WARNINGS);
            ASSERT_NE(warnings, nullptr);
            findings.checkDialog(warnings);
            findings.checkList(harness::findControl(settings, IDC_ANTIALIASING), localize, antialiasing);
            findings.checkList(harness::findControl(settings, IDC_SND_SPEAKERS), localize, speakers);
            harness::whenDialogShows(IDC_VSYNC, [&](HWND advanced) {
                findings.checkDialog(advanced);
                ++dialogsChecked;
                harness::click(advanced, IDOK);
            });
            harness::click(settings, IDC_VADV);
            ++dialogsChecked;
        });
        EXPECT_EQ(dialogsChecked, 2) << "the advanced dialog was measured";
        EXPECT_EQ(findings.measured, 23) << "labels, check boxes, buttons and lists of the three dialogs";
        for (const std::wstring& cut : findings.cut) ADD_FAILURE() << cut;
    }
}

}  // namespace
