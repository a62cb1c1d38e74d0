// Process entry: the order in which process-wide resources are taken and given back.
#include <windows.h>
#include <ole2.h>

#include "app/crash_reporter.h"
#include "app/launch_probes.h"
#include "app/startup.h"
#include "win/handles.h"
#include "win/system_library.h"
#include "win/trace.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    win::trace("wWinMain", "start");
    {
        const win::CTraceStep step("crash reports");
        crash::startCrashReports();
    }
    {
        const win::CTraceStep step("appPreInit");
        appPreInit();
    }
    int exitCode = 0;
    bool initialised;
    {
        const win::CTraceStep step("appInit");
        initialised = appInit(instance);
    }
    if (initialised) {
        // COM security is in place and the heaps are switched: the slow questions of the launch can
        // be asked on threads of their own, whose libraries may make heaps of their own, while this
        // thread loads the rich-edit library. Those the launch does not take are abandoned here,
        // without waiting for them.
        LaunchProbes probes = startLaunchProbes();
        // The warnings dialog's rich-edit control lives in this library.
        win::CModule richEdit;
        {
            const win::CTraceStep step("rich-edit library");
            richEdit.reset(win::loadSystemLibrary(L"RICHED20.DLL"));
        }
        wchar_t path[MAX_PATH];
        WNDCLASSEXW control{};
        control.cbSize = sizeof control;
        if (!richEdit.get() || !GetClassInfoExW(richEdit.get(), L"RichEdit20A", &control)) {
            // Without its control the warnings could not be shown; there is no language table yet.
            MessageBoxW(nullptr, L"can't load RICHED20.DLL", L"Fatal error", MB_ICONERROR);
            exitCode = 1;
        } else if (GetModuleFileNameW(richEdit.get(), path, MAX_PATH) != 0) {
            exitCode = appRun(commandLine, instance, probes);
        }
        appTerm();
    }
    OleUninitialize();
    win::trace("wWinMain", "end");
    return exitCode;
}
