#include "app/power_settings.h"

#include "win/named_lock.h"

namespace {

constexpr wchar_t kLockName[] = L"Local\\Skelvane.PowerSaving.Lock";
constexpr wchar_t kSharedName[] = L"Local\\Skelvane.PowerSaving.Copies";

struct Setting {
    UINT getAction, setAction;
};
constexpr Setting kSettings[] = {
    {SPI_GETSCREENSAVEACTIVE, SPI_SETSCREENSAVEACTIVE},
    {SPI_GETLOWPOWERACTIVE, SPI_SETLOWPOWERACTIVE},
    {SPI_GETPOWEROFFACTIVE, SPI_SETPOWEROFFACTIVE},
};

// A copy that holds power saving off. Its start time tells it from a later process that got the
// number of one that died.
struct Holder {
    DWORD processId;
    FILETIME started;
};

// The block the copies of a session share, alike for 32- and 64-bit copies; it starts zeroed and
// lasts while any copy keeps it open.
struct Shared {
    DWORD wasOn[ARRAYSIZE(kSettings)];  // what the first copy found: 1 on, 0 off or unknown
    Holder holders[64];
};

struct ViewTraits {
    using Handle = Shared*;
    static Handle null() { return nullptr; }
    static void close(Handle h) { UnmapViewOfFile(h); }
};
using CView = win::CUniqueHandle<ViewTraits>;

CView mapShared(HANDLE mapping) {
    return CView(mapping ? static_cast<Shared*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(Shared))) : nullptr);
}

bool started(HANDLE process, FILETIME& when) {
    FILETIME ended, kernel, user;
    return GetProcessTimes(process, &when, &ended, &kernel, &user) != FALSE;
}

bool alive(const Holder& h) {
    const win::CKernelHandle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, h.processId));
    // A process that is there but not ours to look at still counts.
    if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
    FILETIME when;
    return WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT && started(process.get(), when) &&
           CompareFileTime(&when, &h.started) == 0;
}

// Forgets the copies that died; true when a live one is left.
bool othersHold(Shared& shared) {
    bool any = false;
    for (Holder& h : shared.holders) {
        if (h.processId && !alive(h)) h = {};
        any |= h.processId != 0;
    }
    return any;
}

}  // namespace

void CPowerSettings::switchOff() {
    const win::CNamedLock lock(kLockName);
    m_shared.reset(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(Shared), kSharedName));
    const CView view = mapShared(m_shared.get());
    Shared* shared = view.get();
    if (shared && !othersHold(*shared)) {
        for (size_t i = 0; i < ARRAYSIZE(kSettings); ++i) {
            BOOL on = FALSE;
            shared->wasOn[i] = SystemParametersInfoW(kSettings[i].getAction, 0, &on, 0) && on;
        }
    }
    // A copy that cannot take a place in the account gives nothing back: it cannot know whether
    // another copy's game still runs.
    Holder* place = nullptr;
    for (size_t i = 0; shared && !place && i < ARRAYSIZE(shared->holders); ++i)
        if (!shared->holders[i].processId) place = &shared->holders[i];
    if (place && started(GetCurrentProcess(), place->started)) {
        place->processId = GetCurrentProcessId();
        m_place = static_cast<size_t>(place - shared->holders);
    } else {
        m_shared.reset();
    }
    for (const Setting& s : kSettings) SystemParametersInfoW(s.setAction, 0, nullptr, 0);
}

void CPowerSettings::restore() {
    if (!m_shared) return;
    const win::CNamedLock lock(kLockName);
    if (const CView view = mapShared(m_shared.get())) {
        Shared& shared = *view.get();
        shared.holders[m_place] = {};
        if (!othersHold(shared)) {
            for (size_t i = 0; i < ARRAYSIZE(kSettings); ++i)
                if (shared.wasOn[i]) SystemParametersInfoW(kSettings[i].setAction, TRUE, nullptr, 0);
        }
    }
    m_shared.reset();
}
