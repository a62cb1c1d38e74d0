#include "app/power_settings.h"

#include <cwchar>
#include <string>

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

// A copy that holds power saving off, by its process number and start time, which name its proof.
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

std::wstring proofName(const Holder& h) {
    wchar_t name[96];
    swprintf(name, ARRAYSIZE(name), L"Local\\Skelvane.PowerSaving.Copy.%lu.%08lx%08lx", h.processId,
             h.started.dwHighDateTime, h.started.dwLowDateTime);
    return name;
}

// Only a live copy keeps its proof open: a process that merely got a dead copy's number (a
// service, an elevated program, another game) has none, whether it can be looked at or not. A
// proof there but not ours to open (an elevated copy's) is there all the same.
bool alive(const Holder& h) {
    const win::CKernelHandle proof(OpenEventW(SYNCHRONIZE, FALSE, proofName(h).c_str()));
    return proof || GetLastError() == ERROR_ACCESS_DENIED;
}

// Sets one switch for the session, not the user's profile, and reads it back at once: a display
// server that queues the change (Wine's X11 driver keeps the screen saver in the X server and sends
// the request along with the next one) has it before the process can end without sending it, which
// would leave the screen saver off for the next copy to find.
void set(const Setting& s, BOOL on) {
    SystemParametersInfoW(s.setAction, on, nullptr, 0);
    BOOL now = FALSE;
    SystemParametersInfoW(s.getAction, 0, &now, 0);
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
    // Twice would take a second place that the one give-back never frees.
    if (m_holding) return;
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
    FILETIME unused;
    Holder me{GetCurrentProcessId(), {}};
    if (place && GetProcessTimes(GetCurrentProcess(), &me.started, &unused, &unused, &unused))
        m_proof.reset(CreateEventW(nullptr, TRUE, FALSE, proofName(me).c_str()));
    if (m_proof) {
        *place = me;
        m_place = static_cast<size_t>(place - shared->holders);
        InterlockedExchange(&m_holding, 1);
    } else {
        m_shared.reset();
    }
    for (const Setting& s : kSettings) set(s, FALSE);
}

void CPowerSettings::restore() {
    // Once, whichever of the normal end and the crash path comes first.
    if (!InterlockedExchange(&m_holding, 0)) return;
    const win::CNamedLock lock(kLockName);
    if (const CView view = mapShared(m_shared.get())) {
        Shared& shared = *view.get();
        shared.holders[m_place] = {};
        if (!othersHold(shared)) {
            for (size_t i = 0; i < ARRAYSIZE(kSettings); ++i)
                if (shared.wasOn[i]) set(kSettings[i], TRUE);
        }
    }
    m_proof.reset();
    m_shared.reset();
}

namespace {
CPowerSettings g_thisCopy;
}

CPowerSettings& powerSettingsOfThisCopy() { return g_thisCopy; }

void restorePowerSettingsAfterCrash() { powerSettingsOfThisCopy().restore(); }
