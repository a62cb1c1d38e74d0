// Crash reports: a minidump of the process, written when a crash is about to end it, whatever the
// way (an unhandled structured exception on any thread, abort and std::terminate, the C runtime's
// invalid-parameter handler, a stack buffer overrun shown to the crash filter before the fast fail).
// The dump is written by a thread prepared at start for this alone, so a crashing thread with no
// stack left or a damaged heap still gets its dump, and by the crashing thread itself once that
// thread has ended with the process; afterwards the system's handling goes on as it would have
// without the launcher.
#pragma once

namespace crash {

// Prepares the writer thread and takes the process's last-chance handlers. Once, at entry.
void startCrashReports();

// The launcher's own end after a "Fatal error" box: through the runtime's abort, as always, but
// it is no crash and leaves no dump.
[[noreturn]] void abortWithoutReport();

}  // namespace crash
