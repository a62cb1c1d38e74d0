#include "settings/info_dialog.h"

#include <richedit.h>
#include <shellapi.h>

#include <cwctype>
#include <vector>

#include "res/resource.h"

bool isOpenableLink(const std::wstring& link) {
    std::wstring lower;
    for (wchar_t c : link) lower += static_cast<wchar_t>(std::towlower(c));
    for (const wchar_t* scheme : {L"http://", L"https://", L"mailto:"}) {
        const size_t n = wcslen(scheme);
        if (lower.size() > n && lower.compare(0, n, scheme) == 0) return true;
    }
    return false;
}

std::wstring linkToOpen(const std::wstring& text, LONG from, LONG to) {
    if (from < 0 || to <= from || static_cast<size_t>(to) > text.size()) return {};
    std::wstring target = text.substr(static_cast<size_t>(from), static_cast<size_t>(to - from));
    return isOpenableLink(target) ? target : std::wstring();
}

CSettingsDialog::CInfoDialog::CInfoDialog(CSettingsDialog& owner) : win::CDialog(IDD_INFO), m_owner(owner) {}

void CSettingsDialog::CInfoDialog::create() {
    win::CDialog::create(nullptr);
    if (hwnd()) ShowWindow(hwnd(), SW_HIDE);
}

void CSettingsDialog::CInfoDialog::showReport(const std::wstring& report) {
    SETTEXTEX how{ST_DEFAULT, 1200};
    item(IDC_REPORT).send(EM_SETTEXTEX, reinterpret_cast<WPARAM>(&how), reinterpret_cast<LPARAM>(report.c_str()));
    ShowWindow(hwnd(), SW_SHOW);
}

void CSettingsDialog::CInfoDialog::bringToFront() const {
    SetForegroundWindow(hwnd());
    BringWindowToTop(hwnd());
}

void CSettingsDialog::CInfoDialog::prepareReportControl() {
    const win::CWindow report = item(IDC_REPORT);
    report.send(EM_SETOPTIONS, ECOOP_OR, ECO_READONLY | ECO_AUTOWORDSELECTION);
    report.send(EM_SETTEXTMODE, TM_MULTICODEPAGE);
    report.send(EM_SETTEXTMODE, TM_PLAINTEXT);
    report.send(EM_AUTOURLDETECT, TRUE);
    report.send(EM_SETEVENTMASK, 0, report.send(EM_GETEVENTMASK) | ENM_LINK);
    report.send(EM_SHOWSCROLLBAR, SB_VERT, TRUE);
    report.send(EM_SHOWSCROLLBAR, SB_HORZ, TRUE);
}

bool CSettingsDialog::CInfoDialog::openLink(const ENLINK& link) {
    const win::CWindow report = item(IDC_REPORT);
    GETTEXTLENGTHEX lengthOf{GTL_DEFAULT, 1200};
    const LRESULT length = report.send(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&lengthOf));
    if (length <= 0) return false;
    std::vector<wchar_t> text(static_cast<size_t>(length) + 1, L'\0');
    GETTEXTEX get{static_cast<DWORD>(text.size() * sizeof(wchar_t)), GT_DEFAULT, 1200, nullptr, nullptr};
    report.send(EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get), reinterpret_cast<LPARAM>(text.data()));

    const std::wstring target = linkToOpen(text.data(), link.chrg.cpMin, link.chrg.cpMax);
    if (target.empty()) return false;
    ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return true;
}

INT_PTR CSettingsDialog::CInfoDialog::handleMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    switch (msg) {
    case WM_INITDIALOG:
        prepareReportControl();
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {  // Esc as OK: there is no close box
            ShowWindow(hwnd(), SW_HIDE);
            SetForegroundWindow(m_owner.hwnd());
            BringWindowToTop(m_owner.hwnd());
            return 0;
        }
        if (LOWORD(wParam) == IDC_IGNORE_WARNINGS) {
            m_ignoreWarnings = item(IDC_IGNORE_WARNINGS).send(BM_GETCHECK) == BST_CHECKED;
            m_owner.fillColourDepths();
            return 0;
        }
        break;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->code == EN_LINK) {
            const auto* link = reinterpret_cast<const ENLINK*>(lParam);
            if (link->msg == WM_LBUTTONDOWN) {
                openLink(*link);
                return 0;
            }
        }
        break;
    }
    }
    handled = false;
    return 0;
}
