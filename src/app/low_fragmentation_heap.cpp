#include <windows.h>

#include "app/startup.h"
#include "app/os_version.h"
#include "win/handles.h"

namespace {

using HeapSetInformationFn = BOOL(WINAPI*)(HANDLE, HEAP_INFORMATION_CLASS, PVOID, SIZE_T);

void traceSystemMessage(DWORD error) {
    wchar_t* text = nullptr;
    if (FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, error, 0x400,
                       reinterpret_cast<wchar_t*>(&text), 0, nullptr) &&
        text) {
        OutputDebugStringW(text);
        LocalFree(text);
    }
    OutputDebugStringW(L"\n");
}

}  // namespace

bool enableLowFragmentationHeap(HANDLE heap) {
    OSVERSIONINFOW version{};
    if (!readOsVersion(version) || version.dwPlatformId == VER_PLATFORM_WIN32s || version.dwMajorVersion < 5 ||
        (version.dwMajorVersion == 5 && version.dwMinorVersion == 0)) {
        OutputDebugStringW(L"LFH unsupported.\n");
        return false;
    }
    // Looked up rather than imported: older systems do not have it.
    const win::CModule kernel(LoadLibraryW(L"kernel32.dll"));
    const auto setInformation =
        kernel ? reinterpret_cast<HeapSetInformationFn>(
                     reinterpret_cast<void*>(GetProcAddress(kernel.get(), "HeapSetInformation")))
               : nullptr;
    if (!setInformation) {
        OutputDebugStringW(L"LFH unsupported.\n");
        return false;
    }
    ULONG lowFragmentation = 2;
    SetLastError(0);
    const bool ok = setInformation(heap, HeapCompatibilityInformation, &lowFragmentation, sizeof lowFragmentation);
    const DWORD error = GetLastError();
    if (ok) {
        OutputDebugStringW(L"Enabling LFH succeeded.\n");
    } else {
        OutputDebugStringW(L"Enabling LFH failed.\n");
        traceSystemMessage(error);
    }
    return ok;
}
