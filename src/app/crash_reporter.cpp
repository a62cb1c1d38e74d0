#include "app/crash_reporter.h"

#include <windows.h>
#include <dbghelp.h>

#include <csignal>
#include <cstdlib>

#include "app/crash_dump_folder.h"
#include "app/power_settings.h"
#include "config/launch_settings.h"
#include "win/system_library.h"

namespace crash {

namespace {

// The codes a dump names for the ways of dying that raise no structured exception: the ones the
// system's own runtimes report for them.
constexpr DWORD kAbortCode = 0x40000015;             // STATUS_FATAL_APP_EXIT: abort, std::terminate
constexpr DWORD kInvalidParameterCode = 0xC0000417;  // STATUS_INVALID_CRUNTIME_PARAMETER

// Longest wait of a crashing thread for its dump: a writer stuck behind a lock the crashing thread
// holds must not keep the process from ending.
constexpr DWORD kWriteTimeoutMs = 30000;

using MiniDumpWriteDumpFn = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE, PMINIDUMP_EXCEPTION_INFORMATION,
                                          PMINIDUMP_USER_STREAM_INFORMATION, PMINIDUMP_CALLBACK_INFORMATION);

// Made at start and kept for the life of the process: the writer may be needed until its last
// instruction.
HANDLE g_requested = nullptr;
HANDLE g_written = nullptr;
HANDLE g_writer = nullptr;  // the writer thread; signalled once it has ended
MiniDumpWriteDumpFn g_writeFn = nullptr;
LPTOP_LEVEL_EXCEPTION_FILTER g_previousFilter = nullptr;
volatile LONG g_claimed = 0;
volatile LONG g_suppressed = 0;
// The thread writing the report: the writer, or at the process's end the crashing thread itself.
volatile DWORD g_writingThread = 0;
// The crash to write, filled in by the one crashing thread that claimed the writer.
DWORD g_crashingThread = 0;
EXCEPTION_POINTERS* g_crash = nullptr;

// From the system folder only: a file of that name beside the game is not to run in it.
void loadDumpWriter() {
    if (const HMODULE dbghelp = win::loadSystemLibrary(L"dbghelp.dll"))
        g_writeFn = reinterpret_cast<MiniDumpWriteDumpFn>(GetProcAddress(dbghelp, "MiniDumpWriteDump"));
}

void writeDump() {
    Path folder;
    if (!g_writeFn) loadDumpWriter();
    if (!g_writeFn || !makeDumpFolder(folder)) return;
    SYSTEMTIME utc;
    GetSystemTime(&utc);
    DumpFile dump;
    if (!createDumpFile(folder, utc, GetCurrentProcessId(), dump)) return;
    MINIDUMP_EXCEPTION_INFORMATION exception{g_crashingThread, g_crash, FALSE};
    // Stacks, modules with their versions, unloaded modules: enough to read the crash, and no more of
    // the player's memory than the stacks hold.
    const auto type = static_cast<MINIDUMP_TYPE>(MiniDumpNormal | MiniDumpWithUnloadedModules);
    if (g_writeFn(GetCurrentProcess(), GetCurrentProcessId(), dump.file, type, &exception, nullptr, nullptr))
        publishDump(folder, dump);
    else
        CloseHandle(dump.file);  // removed with the leftovers below
    pruneDumps(folder, dump.name);
}

// The whole crash report, on whichever thread writes it.
void writeReport() {
    g_writingThread = GetCurrentThreadId();
    writeDump();
    storeLastRunCrashed(true);
    // Only now that the dump is whole and the run marked: the process ends without its normal end.
    restorePowerSettingsAfterCrash();
    SetEvent(g_written);
}

DWORD WINAPI writerThread(void*) {
    // Loaded here, off the start-up's path; a crash is no time to load a library.
    loadDumpWriter();
    WaitForSingleObject(g_requested, INFINITE);
    writeReport();
    return 0;
}

// One report for the process: the first crashing thread has it written, any other waits for it.
void report(EXCEPTION_POINTERS* crash) {
    if (g_suppressed || !g_requested || GetCurrentThreadId() == g_writingThread) return;
    const bool claimed = InterlockedCompareExchange(&g_claimed, 1, 0) == 0;
    if (claimed) {
        g_crashingThread = GetCurrentThreadId();
        g_crash = crash;
        SetEvent(g_requested);
    }
    // At the process's end the writer has ended with the other threads (a static destructor that
    // aborts runs after them, holding the loader lock): then the crashing thread writes itself.
    const HANDLE ends[] = {g_written, g_writer};
    if (WaitForMultipleObjects(claimed ? 2 : 1, ends, FALSE, kWriteTimeoutMs) == WAIT_OBJECT_0 + 1) writeReport();
}

// For the ways of dying without an exception record: one made on the spot, with this thread's
// registers, so the dump shows the stack that led here. On 32-bit Windows RtlCaptureContext takes
// its caller's frame from the frame pointer, so this function keeps one.
__attribute__((noinline, optimize("no-omit-frame-pointer"))) void reportHere(DWORD code) {
    CONTEXT context{};
    RtlCaptureContext(&context);
    EXCEPTION_RECORD record{};
    record.ExceptionCode = code;
    record.ExceptionFlags = EXCEPTION_NONCONTINUABLE;
#ifdef _WIN64
    record.ExceptionAddress = reinterpret_cast<void*>(context.Rip);
#else
    record.ExceptionAddress = reinterpret_cast<void*>(context.Eip);
#endif
    EXCEPTION_POINTERS pointers{&record, &context};
    report(&pointers);
}

LONG WINAPI onUnhandledException(EXCEPTION_POINTERS* exception) {
    // A fault while writing ends the process here rather than asking the writer to write about itself.
    if (GetCurrentThreadId() == g_writingThread)
        TerminateProcess(GetCurrentProcess(), exception->ExceptionRecord->ExceptionCode);
    // The filter that was there before decides as before; only a crash that goes on to end the
    // process is reported.
    const LONG decision = g_previousFilter ? g_previousFilter(exception) : EXCEPTION_CONTINUE_SEARCH;
    if (decision != EXCEPTION_CONTINUE_EXECUTION) report(exception);
    return decision;
}

// abort, and through it std::terminate, of this program and of the engine alike: they share the
// one C runtime. The runtime ends the process with 3 when this returns.
void __cdecl onAbort(int) {
    // The runtime took the handler back before calling it: another thread's abort while the dump is
    // written would end the process at once, leaving no report.
    std::signal(SIGABRT, onAbort);
    reportHere(kAbortCode);
}

// The runtime would hand the error back to its caller; the newer runtimes end the process instead,
// and so does the launcher, after its dump: a call with arguments that cannot be right is a crash.
void __cdecl onInvalidParameter(const wchar_t*, const wchar_t*, const wchar_t*, unsigned, uintptr_t) {
    reportHere(kInvalidParameterCode);
    TerminateProcess(GetCurrentProcess(), kInvalidParameterCode);
}

}  // namespace

void startCrashReports() {
    g_requested = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    g_written = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!g_requested || !g_written) return;
    g_writer = CreateThread(nullptr, 0, writerThread, nullptr, 0, nullptr);
    if (!g_writer) {
        CloseHandle(g_requested);
        g_requested = nullptr;
        return;
    }
    g_previousFilter = SetUnhandledExceptionFilter(onUnhandledException);
    std::signal(SIGABRT, onAbort);
    // The system runtime's own handler, shared with the engine (the compiler's runtime library only
    // keeps one of its own for this program), and that one too.
    using SetHandlerFn = _invalid_parameter_handler(__cdecl*)(_invalid_parameter_handler);
    if (const HMODULE runtime = GetModuleHandleW(L"msvcrt.dll"))
        if (const auto set = reinterpret_cast<SetHandlerFn>(GetProcAddress(runtime, "_set_invalid_parameter_handler")))
            set(onInvalidParameter);
    _set_invalid_parameter_handler(onInvalidParameter);
}

void abortWithoutReport() {
    InterlockedExchange(&g_suppressed, 1);
    // No report for the launcher's own errors, but the system gets back what a normal end gives.
    restorePowerSettingsAfterCrash();
    std::abort();
}

}  // namespace crash
