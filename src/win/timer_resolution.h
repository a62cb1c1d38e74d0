// Raises the multimedia timer resolution for as long as the object lives.
#pragma once

#include <windows.h>

class CTimerResolution {
public:
    // Aborts with a "Fatal error" box when the timer device cannot be asked.
    explicit CTimerResolution(UINT requestedMs);
    ~CTimerResolution();
    CTimerResolution(const CTimerResolution&) = delete;
    CTimerResolution& operator=(const CTimerResolution&) = delete;

    UINT period() const { return m_period; }

    // The period the device grants for a request: clamped to [min, max].
    static UINT clampPeriod(UINT requestedMs, UINT periodMin, UINT periodMax);

private:
    UINT m_period;
};
