// A stand-in for the system's XInput library: XInputGetState answers for the first player slot
// with what the tests wrote into the shared block, and for the other slots that no pad is there.
#include "test_pad.h"

testpad::Block* g_block = nullptr;

extern "C" __declspec(dllexport) DWORD WINAPI XInputGetState(DWORD slot, XINPUT_STATE* state) {
    if (!state || slot >= XUSER_MAX_COUNT) return ERROR_BAD_ARGUMENTS;
    if (slot != 0 || !g_block || !g_block->connected) return ERROR_DEVICE_NOT_CONNECTED;
    state->dwPacketNumber = static_cast<DWORD>(InterlockedIncrement(&g_block->polls));
    state->Gamepad = g_block->pad;
    return ERROR_SUCCESS;
}

// The block stays mapped while the library is loaded; its load count tells the tests when it goes.
BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    static HANDLE mapping = nullptr;
    if (reason == DLL_PROCESS_ATTACH && (mapping = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, testpad::kBlockName)))
        g_block = static_cast<testpad::Block*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (!g_block || (reason != DLL_PROCESS_ATTACH && reason != DLL_PROCESS_DETACH)) return TRUE;
    InterlockedExchangeAdd(&g_block->loaded, reason == DLL_PROCESS_ATTACH ? 1 : -1);
    if (reason == DLL_PROCESS_DETACH) {
        UnmapViewOfFile(g_block);
        CloseHandle(mapping);
    }
    return TRUE;
}
