// The game controller in the launcher's dialogs. Every top-level dialog of the framework tells the
// pad when it opens, is activated or goes; the pad does the rest: XInput is loaded from the system
// folder while a dialog exists and polled while one is active and in front, and each press becomes
// the step the keyboard would take there. Once the last dialog has gone nothing of it is left.
#pragma once

#include <windows.h>
#include <xinput.h>

namespace win {

// Turns polled pad states into presses. A button acts when it goes down; the directions and the
// shoulder buttons act again after kRepeatDelay while held, then every kRepeatEvery. A controller
// layer may also send a key for the same press: whichever of the two comes first acts, and the
// other, within kEchoWindow, is dropped.
class CPadInput {
public:
    static constexpr DWORD kRepeatDelay = 400, kRepeatEvery = 80, kEchoWindow = 150;

    // Buttons already held (a press that opened this dialog in the one before) act only once let go.
    void start(WORD held);
    // The buttons that act now, for the buttons down now (the stick folded in, stickAsDpad).
    WORD update(WORD buttons, DWORD now);
    // A key went down on the keyboard's way (repeat: the key's own auto-repeat); true when it is
    // the echo of a press that has acted, or repeats a press the pad repeats itself.
    bool keyIsEcho(UINT vk, bool repeat, DWORD now);

    // The left stick past the standard dead zone as the D-pad direction of its longer axis.
    static WORD stickAsDpad(SHORT x, SHORT y);

private:
    static bool stands(WORD button, UINT vk);

    WORD m_held = 0;
    WORD m_ignored = 0;  // held since start, or acted on by the keyboard: no action until let go
    WORD m_echoed = 0;   // presses whose echo has been dropped
    DWORD m_pressedAt[16] = {};
    DWORD m_nextRepeat[16] = {};
    UINT m_lastKey = 0;
    DWORD m_lastKeyAt = 0;
};

// Called by the dialog base class for top-level dialogs only. defaultId is the template's default
// button (Start on the pad), moreId a button Y presses (0 for none).
void padDialogOpened(HWND dialog, int defaultId, int moreId);
void padDialogActivated(HWND dialog, bool active);
void padDialogClosed(HWND dialog);

}  // namespace win
