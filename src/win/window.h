// A thin, copyable wrapper of a window handle; it owns nothing.
#pragma once

#include <windows.h>

#include <string>

namespace win {

class CWindow {
public:
    CWindow(HWND h = nullptr) : m_hWnd(h) {}
    operator HWND() const { return m_hWnd; }
    HWND handle() const { return m_hWnd; }
    bool isWindow() const { return m_hWnd && IsWindow(m_hWnd); }

    CWindow item(int id) const { return GetDlgItem(m_hWnd, id); }
    std::wstring text() const;
    void setText(const std::wstring& text) const { SetWindowTextW(m_hWnd, text.c_str()); }
    void enable(bool on) const { EnableWindow(m_hWnd, on ? TRUE : FALSE); }
    bool isEnabled() const { return IsWindowEnabled(m_hWnd) != FALSE; }
    void show(int command) const { ShowWindow(m_hWnd, command); }
    LRESULT send(UINT msg, WPARAM w = 0, LPARAM l = 0) const { return SendMessageW(m_hWnd, msg, w, l); }
    bool post(UINT msg, WPARAM w = 0, LPARAM l = 0) const { return PostMessageW(m_hWnd, msg, w, l) != FALSE; }

    // Resizes so that the client area is width x height for the window's current styles.
    void setClientSize(int width, int height) const;
    // Centres over the parent window, or in the primary monitor's work area when there is none,
    // keeping the whole window inside the work area.
    void centerWindow(HWND parent = nullptr) const;

private:
    HWND m_hWnd;
};

}  // namespace win
