#include "win/trace.h"

#include <windows.h>

#include <cstdio>

#include "win/handles.h"

namespace win {

namespace {

class CTraceFile {
public:
    CTraceFile() {
        wchar_t path[MAX_PATH];
        const DWORD length = GetEnvironmentVariableW(L"SKELVANE_TRACE", path, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return;
        m_file.reset(CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        if (m_file.get() == INVALID_HANDLE_VALUE) {
            m_file.release();
            return;
        }
        // The counter gives fine steps; the process's creation time anchors them.
        FILETIME created{}, unused{}, now{};
        GetProcessTimes(GetCurrentProcess(), &created, &unused, &unused, &unused);
        GetSystemTimeAsFileTime(&now);
        QueryPerformanceFrequency(&m_frequency);
        QueryPerformanceCounter(&m_anchor);
        m_anchorMs = static_cast<double>(toTicks(now) - toTicks(created)) / 10000.0;
    }

    void write(const char* what, const char* event) {
        if (!m_file) return;
        LARGE_INTEGER counter;
        QueryPerformanceCounter(&counter);
        const double ms =
            m_anchorMs + 1000.0 * static_cast<double>(counter.QuadPart - m_anchor.QuadPart) / m_frequency.QuadPart;
        char line[256];
        const int length = std::snprintf(line, sizeof line, "%9.1f ms  thread %5lu  %-5s  %s\r\n", ms,
                                          GetCurrentThreadId(), event, what);
        // One write per line, so that lines of several threads do not mix.
        DWORD written = 0;
        if (length > 0)
            WriteFile(m_file.get(), line, static_cast<DWORD>(length < int(sizeof line) ? length : sizeof line - 1),
                      &written, nullptr);
    }

private:
    static unsigned long long toTicks(const FILETIME& t) {
        return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    }

    CKernelHandle m_file;
    LARGE_INTEGER m_frequency{};
    LARGE_INTEGER m_anchor{};
    double m_anchorMs = 0;
};

}  // namespace

void trace(const char* what, const char* event) {
    // Never destroyed: an abandoned probe may still trace while the process ends.
    static CTraceFile* const file = new CTraceFile;
    file->write(what, event);
}

}  // namespace win
