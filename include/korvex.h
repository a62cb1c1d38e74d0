// The engine interface: what Korvex.dll exports and what the launcher hands it.
// Shared by the launcher, the demo engine and the test engine; the vtable order is binding.
#pragma once

#include <windows.h>

#ifdef KORVEX_BUILD
#define KORVEX_API __declspec(dllexport)
#else
#define KORVEX_API __declspec(dllimport)
#endif

// The launcher's message loop, offered to a busy engine so the window stays responsive.
class IMsgLoop {
public:
    virtual void pumpMessages(int maxCount) = 0;
};

class IGame {
public:
    // Offered every window message first; set *handled non-zero to keep it from the host.
    virtual LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, int* handled) = 0;
    virtual void onFocusLost() = 0;
    virtual void onFocusGained() = 0;
    // True when the engine wants to be called again at once.
    virtual bool onIdle() = 0;
    // Ends the instance; the pointer is dead afterwards.
    virtual void destroy() = 0;

    // Null when the game cannot be created.
    static KORVEX_API IGame* createInstance(HWND window, const unsigned short* commandLine, IMsgLoop* msgLoop,
                                            bool resetSettings);
};
