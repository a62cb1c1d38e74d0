#include "app/instance_guard.h"

#include <stdexcept>

#include "config/language_keys.h"

bool CInstanceGuard::acquire(const wchar_t* className, const wchar_t* windowName) {
    SetLastError(0);
    win::CKernelHandle mutex(CreateMutexW(nullptr, FALSE, kInstanceMutexName));
    if (mutex && GetLastError() != ERROR_ALREADY_EXISTS) {
        m_mutex = std::move(mutex);
        return true;
    }
    // Held elsewhere, or not even openable (another user's copy made it without granting us
    // access): either way another copy runs. Our own reference must not keep the name alive.
    mutex.reset();

    const HWND window = FindWindowW(className, windowName);
    if (!window) throw std::runtime_error(key::T_ANOTHER_COPY_RUN_MSG);
    if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
    SetForegroundWindow(window);
    return false;
}

void CInstanceGuard::release() { m_mutex.reset(); }
