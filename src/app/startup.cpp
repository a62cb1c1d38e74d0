#include "app/startup.h"

#include <commctrl.h>
#include <objbase.h>
#include <ole2.h>

#include <cstdlib>
#include <vector>

#include "app/power_settings.h"
#include "win/module.h"

void appPreInit() {
    OleInitialize(nullptr);
    CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_CONNECT, RPC_C_IMP_LEVEL_IMPERSONATE,
                         nullptr, EOAC_NONE, nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_TAB_CLASSES | ICC_COOL_CLASSES};
    InitCommonControlsEx(&controls);
}

bool appInit(HINSTANCE instance) {
    // Touch the runtime's heap so it exists before its handle is taken.
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    std::free(std::malloc(system.dwPageSize));
    HANDLE runtimeHeap = reinterpret_cast<HANDLE>(_get_heap_handle());

    std::vector<HANDLE> heaps;
    // A heap made between two questions leaves the list short of it: ask again with room for it.
    for (DWORD count = GetProcessHeaps(0, nullptr); count > heaps.size();) {
        heaps.assign(count, nullptr);
        count = GetProcessHeaps(count, heaps.data());
        if (count < heaps.size()) heaps.resize(count);
    }
    if (heaps.empty() && GetProcessHeap()) heaps.push_back(GetProcessHeap());
    for (HANDLE heap : heaps) {
        if (!heap) continue;
        if (heap == runtimeHeap) runtimeHeap = nullptr;
        enableLowFragmentationHeap(heap);
    }
    if (runtimeHeap) enableLowFragmentationHeap(runtimeHeap);

    powerSettingsOfThisCopy().switchOff();
    if (SUCCEEDED(win::g_module.init(instance))) return true;
    // No appTerm follows a failed start.
    powerSettingsOfThisCopy().restore();
    return false;
}

void appTerm() {
    win::g_module.term();
    powerSettingsOfThisCopy().restore();
}
