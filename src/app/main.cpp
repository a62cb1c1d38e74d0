// Process entry: the order in which process-wide resources are taken and given back.
#include <windows.h>
#include <ole2.h>

#include "app/startup.h"
#include "win/handles.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    appPreInit();
    int exitCode = 0;
    if (appInit(instance)) {
        {
            // The warnings dialog's rich-edit control lives in this library.
            const win::CModule richEdit(LoadLibraryW(L"RICHED20.DLL"));
            wchar_t path[MAX_PATH];
            if (GetModuleFileNameW(richEdit.get(), path, MAX_PATH) != 0) exitCode = appRun(commandLine, instance);
            appTerm();
        }
    }
    OleUninitialize();
    return exitCode;
}
