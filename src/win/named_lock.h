// A lock shared by the copies of the launcher through a named mutex, held for the life of the
// object. It guards short work only, so the wait for it is bounded: a lock that another copy does
// not give within seconds is not held (held() says so, and the caller decides whether its work may
// go on without), and one abandoned by a copy killed while holding it is ours all the same.
#pragma once

#include <windows.h>

#include "win/handles.h"

namespace win {

class CNamedLock {
public:
    explicit CNamedLock(const wchar_t* name) : m_mutex(CreateMutexW(nullptr, FALSE, name)) {
        const DWORD waited = m_mutex ? WaitForSingleObject(m_mutex.get(), 5000) : WAIT_FAILED;
        m_held = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    }
    ~CNamedLock() {
        if (m_held) ReleaseMutex(m_mutex.get());
    }
    bool held() const { return m_held; }
    CNamedLock(const CNamedLock&) = delete;
    CNamedLock& operator=(const CNamedLock&) = delete;

private:
    CKernelHandle m_mutex;
    bool m_held = false;
};

}  // namespace win
