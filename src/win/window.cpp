#include "win/window.h"

#include <algorithm>

namespace win {

std::wstring CWindow::text() const {
    const int length = GetWindowTextLengthW(m_hWnd);
    if (length <= 0) return {};
    std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
    const int got = GetWindowTextW(m_hWnd, buffer.data(), length + 1);
    buffer.resize(static_cast<size_t>(std::max(got, 0)));
    return buffer;
}

void CWindow::setClientSize(int width, int height) const {
    RECT r{0, 0, width, height};
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(m_hWnd, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE));
    AdjustWindowRectEx(&r, style, GetMenu(m_hWnd) != nullptr, exStyle);
    SetWindowPos(m_hWnd, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOMOVE | SWP_NOREDRAW);
}

void CWindow::centerWindow(HWND parent) const {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT area = work;
    if (parent && IsWindowVisible(parent) && !IsIconic(parent)) GetWindowRect(parent, &area);

    RECT self{};
    GetWindowRect(m_hWnd, &self);
    const int w = self.right - self.left;
    const int h = self.bottom - self.top;
    int x = (area.left + area.right - w) / 2;
    int y = (area.top + area.bottom - h) / 2;
    // Keep it on the work area, the top-left corner winning when the window is larger.
    x = std::max<int>(work.left, std::min<int>(x, work.right - w));
    y = std::max<int>(work.top, std::min<int>(y, work.bottom - h));
    SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOSIZE);
}

}  // namespace win
