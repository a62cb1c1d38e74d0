// The stack protector's guard value and its two failure calls, linked into every shipped program in
// place of the compiler library's: that one seeds the guard through a CryptoAPI provider, which
// costs each program that carries it some 30 ms of the launch. The system's random generator gives
// the same unpredictable guard for a fraction of a millisecond.
#include <windows.h>
#include <ntsecapi.h>

#include <cstdint>

namespace {

// The process's last-chance filter (the launcher's crash reports) is shown the failure as any crash
// of the process: it has its report written while this thread waits, for a bounded time. Nothing of
// the damaged frames runs, and the process ends whatever the filter answers.
__attribute__((noinline, optimize("no-omit-frame-pointer", "no-stack-protector"))) void offerToLastChanceFilter(
    unsigned int failure) {
    const LPTOP_LEVEL_EXCEPTION_FILTER filter = SetUnhandledExceptionFilter(nullptr);
    if (!filter) return;
    CONTEXT context{};
    RtlCaptureContext(&context);
    EXCEPTION_RECORD record{};
    record.ExceptionCode = static_cast<DWORD>(STATUS_STACK_BUFFER_OVERRUN);
    record.ExceptionFlags = EXCEPTION_NONCONTINUABLE;
#ifdef _WIN64
    record.ExceptionAddress = reinterpret_cast<void*>(context.Rip);
#else
    record.ExceptionAddress = reinterpret_cast<void*>(context.Eip);
#endif
    record.NumberParameters = 1;
    record.ExceptionInformation[0] = failure;
    EXCEPTION_POINTERS pointers{&record, &context};
    filter(&pointers);
}

// Runs on a smashed stack: after the crash report, where the processor offers it, the system's fast
// fail ends the process at once, without running a handler or unwinding through the damaged
// frames; elsewhere it says why on the debugger output and ends the process itself.
[[noreturn]] void endOverrun(unsigned int failure, const char* line) {
    offerToLastChanceFilter(failure);
    if (IsProcessorFeaturePresent(PF_FASTFAIL_AVAILABLE)) __asm__ volatile("int $0x29" : : "c"(failure) : "memory");
    OutputDebugStringA(line);
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(STATUS_STACK_BUFFER_OVERRUN));
    __builtin_unreachable();
}

}  // namespace

extern "C" {

// Read by every protected function, so it must hold its final value before the first of them runs:
// the seeding below is the first constructor of the program and is not protected itself.
void* __stack_chk_guard = reinterpret_cast<void*>(static_cast<uintptr_t>(0x5EED5A1E));

[[noreturn]] void __stack_chk_fail() { endOverrun(FAST_FAIL_STACK_COOKIE_CHECK_FAILURE, "Stack smashing detected.\n"); }

// Called by the checked memory and string functions on an overflow they would have made.
[[noreturn]] void __chk_fail() { endOverrun(FAST_FAIL_RANGE_CHECK_FAILURE, "Buffer overflow detected.\n"); }

}  // extern "C"

namespace {

__attribute__((constructor(101), optimize("no-stack-protector"))) void seedStackGuard() {
    uintptr_t guard = 0;
    // Should the generator fail, the fixed guard still catches an overrun, just a predictable one.
    if (RtlGenRandom(&guard, sizeof guard)) __stack_chk_guard = reinterpret_cast<void*>(guard);
}

}  // namespace
