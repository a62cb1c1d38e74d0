#include "dialog_driver.h"

#include <commctrl.h>

#include <cstdio>
#include <sstream>

namespace e2e {

namespace {
struct ChildSearch {
    int id;
    HWND found;
};
BOOL CALLBACK findChild(HWND w, LPARAM p) {
    auto* s = reinterpret_cast<ChildSearch*>(p);
    if (GetDlgCtrlID(w) == s->id) {
        s->found = w;
        return FALSE;
    }
    return TRUE;
}

// Memory inside the process that owns a window, for messages that answer through a pointer.
class RemoteBuffer {
public:
    RemoteBuffer(HWND window, SIZE_T size) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        m_process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (m_process) m_address = VirtualAllocEx(m_process, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    }
    ~RemoteBuffer() {
        if (m_address) VirtualFreeEx(m_process, m_address, 0, MEM_RELEASE);
        if (m_process) CloseHandle(m_process);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    LPARAM address() const { return reinterpret_cast<LPARAM>(m_address); }
    bool read(void* into, SIZE_T size) const {
        return m_address && ReadProcessMemory(m_process, m_address, into, size, nullptr);
    }

private:
    HANDLE m_process = nullptr;
    void* m_address = nullptr;
};

HWND visibleDialogWith(DWORD pid, int controlId) {
    for (HWND w : topWindows(pid))
        if (className(w) == "#32770" && GetDlgItem(w, controlId) && IsWindowVisible(w)) return w;
    return nullptr;
}
}  // namespace

HWND waitForDialogWith(DWORD pid, int controlId, Ms timeout) {
    HWND found = nullptr;
    waitFor([&] { return (found = visibleDialogWith(pid, controlId)) != nullptr; }, timeout);
    return found;
}

HWND waitForSettingsDialog(DWORD pid, Ms timeout) { return waitForDialogWith(pid, 1002, timeout); }

HWND control(HWND settings, int controlId) {
    ChildSearch s{controlId, nullptr};
    EnumChildWindows(settings, findChild, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

HWND pageWith(HWND settings, int controlId) {
    HWND c = control(settings, controlId);
    return c ? GetParent(c) : nullptr;
}

ComboState readCombo(HWND combo) {
    ComboState state;
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::wstring text(static_cast<size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        text.resize(wcslen(text.c_str()));
        state.texts.push_back(text);
        state.data.push_back(static_cast<LONG_PTR>(SendMessageW(combo, CB_GETITEMDATA, i, 0)));
    }
    state.selected = static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0));
    state.enabled = IsWindowEnabled(combo) != FALSE;
    return state;
}

void selectComboIndex(HWND combo, int index) {
    SendMessageW(combo, CB_SETCURSEL, index, 0);
    SendMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
}

bool selectComboText(HWND combo, const std::wstring& text) {
    const ComboState state = readCombo(combo);
    for (size_t i = 0; i < state.texts.size(); ++i)
        if (state.texts[i] == text) {
            selectComboIndex(combo, static_cast<int>(i));
            return true;
        }
    return false;
}

bool isChecked(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

bool selectTab(HWND settings, int index) {
    const HWND tabs = control(settings, 1002);
    RemoteBuffer rect(tabs, sizeof(RECT));
    RECT r{};
    if (!SendMessageW(tabs, TCM_GETITEMRECT, index, rect.address()) || !rect.read(&r, sizeof r)) return false;
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    PostMessageW(tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(tabs, WM_LBUTTONUP, 0, at);
    return waitFor([&] { return SendMessageW(tabs, TCM_GETCURSEL, 0, 0) == index; }, 5s);
}

std::wstring settingsKey(const std::wstring& subkey) {
    return L"HKCU\\Software\\Tolmira\\Skelvane" + (subkey.empty() ? L"" : L"\\" + subkey);
}

std::string regDword(DWORD value) {
    char text[32];
    std::snprintf(text, sizeof text, "REG_DWORD 0x%lx", static_cast<unsigned long>(value));
    return text;
}

std::string regValue(const std::wstring& key, const std::wstring& name) {
    const std::string out = runReg(L"query \"" + key + L"\" /v " + name);
    std::istringstream lines(out);
    std::string line;
    const std::string wanted = narrow(name);
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string first, type, value;
        if (!(words >> first) || first != wanted || !(words >> type)) continue;
        std::getline(words, value);
        const size_t start = value.find_first_not_of(" \t");
        value = start == std::string::npos ? "" : value.substr(start);
        while (!value.empty() && (value.back() == '\r' || value.back() == ' ')) value.pop_back();
        return type + " " + value;
    }
    return "";
}

}  // namespace e2e
