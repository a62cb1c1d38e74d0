// A stand-in for the system's XInput library: XInputGetState answers for the first player slot
// with what the tests wrote into the shared block, and for the other slots that no pad is there.
#include "test_pad.h"

namespace {

HANDLE g_mapping = nullptr;
testpad::Block* g_block = nullptr;

}  // namespace

extern "C" __declspec(dllexport) DWORD WINAPI XInputGetState(DWORD slot, XINPUT_STATE* state) {
    if (!state || slot >= XUSER_MAX_COUNT) return ERROR_BAD_ARGUMENTS;
    if (slot != 0 || !g_block || !g_block->connected) return ERROR_DEVICE_NOT_CONNECTED;
    const LONG polls = InterlockedIncrement(&g_block->polls);
    state->dwPacketNumber = static_cast<DWORD>(polls);
    state->Gamepad = g_block->pad;
    return ERROR_SUCCESS;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_mapping = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, testpad::kBlockName);
        if (g_mapping)
            g_block = static_cast<testpad::Block*>(MapViewOfFile(g_mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(testpad::Block)));
        if (g_block) InterlockedIncrement(&g_block->loaded);
    } else if (reason == DLL_PROCESS_DETACH) {
        if (g_block) {
            InterlockedDecrement(&g_block->loaded);
            UnmapViewOfFile(g_block);
        }
        if (g_mapping) CloseHandle(g_mapping);
    }
    return TRUE;
}
