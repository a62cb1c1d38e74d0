#include "app/power_settings.h"

namespace {

// Each copy of the launcher in this session takes one unit while it holds power saving off; the
// copy that gives back the last unit is the only one left.
constexpr wchar_t kCopiesName[] = L"Local\\Skelvane.PowerSaving.Copies";
constexpr LONG kMaxCopies = 0x10000;

// Keeps one copy's look at the others, and its power-setting calls, apart from another copy's.
class CCopiesLock {
public:
    CCopiesLock() : m_mutex(CreateMutexW(nullptr, FALSE, L"Local\\Skelvane.PowerSaving.Lock")) {
        // A lock abandoned by a copy that was killed holding it is ours all the same; one that is
        // not given within seconds is gone without: the calls are short.
        const DWORD waited = m_mutex ? WaitForSingleObject(m_mutex.get(), 5000) : WAIT_FAILED;
        m_held = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    }
    ~CCopiesLock() {
        if (m_held) ReleaseMutex(m_mutex.get());
    }
    CCopiesLock(const CCopiesLock&) = delete;
    CCopiesLock& operator=(const CCopiesLock&) = delete;

private:
    win::CKernelHandle m_mutex;
    bool m_held = false;
};

}  // namespace

void CPowerSettings::switchOff() {
    const CCopiesLock lock;
    m_copies.reset(CreateSemaphoreW(nullptr, kMaxCopies, kMaxCopies, kCopiesName));
    if (m_copies && WaitForSingleObject(m_copies.get(), 0) != WAIT_OBJECT_0) m_copies.reset();
    for (Saved& s : m_saved) {
        s.known = SystemParametersInfoW(s.getAction, 0, &s.wasOn, 0) != FALSE;
        SystemParametersInfoW(s.setAction, 0, nullptr, 0);
    }
}

void CPowerSettings::restore() {
    const CCopiesLock lock;
    bool alone = true;
    if (m_copies) {
        LONG before = 0;
        alone = ReleaseSemaphore(m_copies.get(), 1, &before) && before + 1 == kMaxCopies;
        m_copies.reset();
    }
    for (Saved& s : m_saved) {
        if (alone && s.known && s.wasOn) SystemParametersInfoW(s.setAction, TRUE, nullptr, 0);
        s.known = false;
    }
}
