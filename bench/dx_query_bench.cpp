// The DirectX diagnostic query alone, made as the launcher makes it: COM and its process-wide
// security set up by the launcher's own pre-initialisation, then the query on a thread of its own,
// taken by this one. Prints the milliseconds of that one query, or writes them to the file named
// on the command line.
#include <windows.h>
#include <ole2.h>

#include <cstdio>

#include "app/startup.h"
#include "bench_support.h"
#include "checks/dx_version.h"

int wmain(int argc, wchar_t** argv) {
    appPreInit();
    const double start = nowMs();
    DXDiagnosticsProbe probe([] { return askDXDiagnostics(); });
    const DXDiagnosticsAnswer answer = probe.take();
    const double ms = nowMs() - start;
    OleUninitialize();

    FILE* out = argc > 1 ? _wfopen(argv[1], L"wb") : stdout;
    if (!out) return 1;
    if (argc > 1)
        std::fprintf(out, "%.1f\n", ms);
    else
        std::fprintf(out, "DirectX diagnostic query alone (fresh process)   %.1f ms  (%u.%u, %s)\n", ms,
                     answer.version.major, answer.version.minor, SUCCEEDED(answer.result) ? "answered" : "failed");
    if (out != stdout) std::fclose(out);
    return SUCCEEDED(answer.result) ? 0 : 1;
}
