// Lets one copy of the game run on the machine: a named mutex in the global namespace, so that
// copies of other users' sessions count too. Only the mutex's existence matters; nobody waits on it.
#pragma once

#include "win/handles.h"

constexpr wchar_t kInstanceMutexName[] = L"Global\\Korvex";

class CInstanceGuard {
public:
    CInstanceGuard() = default;
    CInstanceGuard(const CInstanceGuard&) = delete;
    CInstanceGuard& operator=(const CInstanceGuard&) = delete;

    // True when this process now holds the guard. False when another copy holds it and its main
    // window (class and name given) was brought to the front. Throws std::runtime_error with the
    // key "T_ANOTHER_COPY_RUN_MSG" when another copy holds it but no such window exists.
    bool acquire(const wchar_t* className, const wchar_t* windowName);
    void release();

    bool held() const { return static_cast<bool>(m_mutex); }

private:
    win::CKernelHandle m_mutex;
};
