// Another program of the player's session, for the end-to-end tests:
//   peer power [on]   the screen saver, low-power and power-off switches as a windowed program reads
//                     them (exit code: bit 0, 1 and 2), after switching them on when asked;
//   peer killed-holding NAME   takes the named lock and is killed while it holds it (exit code 3).
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    if (argc == 3 && wcscmp(argv[1], L"killed-holding") == 0) {
        const HANDLE lock = CreateMutexW(nullptr, FALSE, argv[2]);
        if (lock && WaitForSingleObject(lock, INFINITE) == WAIT_OBJECT_0) TerminateProcess(GetCurrentProcess(), 3);
        return 2;
    }
    if (argc < 2 || wcscmp(argv[1], L"power") != 0) return 255;
    // A window first: the display driver answers for the screen saver only once it is loaded, as
    // in the game; the read-backs make sure a switch set here reaches it before this ends.
    DestroyWindow(CreateWindowW(L"STATIC", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr));
    const UINT actions[][2] = {{SPI_GETSCREENSAVEACTIVE, SPI_SETSCREENSAVEACTIVE},
                               {SPI_GETLOWPOWERACTIVE, SPI_SETLOWPOWERACTIVE},
                               {SPI_GETPOWEROFFACTIVE, SPI_SETPOWEROFFACTIVE}};
    int bits = 0;
    for (int i = 0; i < 3; ++i) {
        if (argc == 3 && wcscmp(argv[2], L"on") == 0) SystemParametersInfoW(actions[i][1], TRUE, nullptr, 0);
        BOOL on = FALSE;
        if (SystemParametersInfoW(actions[i][0], 0, &on, 0) && on) bits |= 1 << i;
    }
    return bits;
}
