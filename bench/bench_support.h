// What the benchmarks here share: a millisecond clock, repeated runs with a one-line report, and
// the options file of the working directory.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <vector>

inline double nowMs() {
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Runs body once on its own (the first call pays for what is set up once), then `runs` times,
// and prints the first call and the spread of the others.
inline void measure(const char* name, int runs, const std::function<void()>& body) {
    const double startFirst = nowMs();
    body();
    const double first = nowMs() - startFirst;
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double start = nowMs();
        body();
        times.push_back(nowMs() - start);
    }
    std::sort(times.begin(), times.end());
    double sum = 0;
    for (double t : times) sum += t;
    std::printf("%-44s first %8.3f ms  median %8.3f ms  min %8.3f ms  max %8.3f ms  (%d runs)\n", name, first,
                times[times.size() / 2], times.front(), times.back(), runs);
    std::fflush(stdout);
}

// Writes korvex.ini in the working directory (the options the device check reads on every run).
inline void writeOptions(const char* text) {
    if (FILE* f = _wfopen(L"korvex.ini", L"wb")) {
        std::fputs(text, f);
        std::fclose(f);
    }
}
