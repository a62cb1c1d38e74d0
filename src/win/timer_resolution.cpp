#include "win/timer_resolution.h"

#include <mmsystem.h>

#include <algorithm>

#include "app/crash_reporter.h"

CTimerResolution::CTimerResolution(UINT requestedMs) {
    TIMECAPS caps{};
    if (timeGetDevCaps(&caps, sizeof caps) != TIMERR_NOERROR) {
        MessageBoxW(nullptr, L"can't get timer resolution", L"Fatal error", MB_ICONERROR);
        crash::abortWithoutReport();
    }
    m_period = clampPeriod(requestedMs, caps.wPeriodMin, caps.wPeriodMax);
    timeBeginPeriod(m_period);
}

CTimerResolution::~CTimerResolution() { timeEndPeriod(m_period); }

UINT CTimerResolution::clampPeriod(UINT requestedMs, UINT periodMin, UINT periodMax) {
    return std::min(std::max(requestedMs, periodMin), periodMax);
}
