// The screen saver and the monitor's power saving, switched off while the game runs and given
// back when it ends. Copies of the launcher in one session share them: the last copy to end gives
// back what the first one found, and a copy that died on the way no longer counts. Keeping that
// account takes a lock shared by the copies (a named mutex around a named block of memory); the
// start-up sequence otherwise takes no lock, and this one is held only for a few calls.
#pragma once

#include <windows.h>

#include "win/handles.h"

class CPowerSettings {
public:
    // Switches the three settings off (without touching the user profile); the first copy to do
    // so notes what it found.
    void switchOff();
    // Gives back what the first copy found when no other live copy holds them off; does nothing
    // when switchOff did not run.
    void restore();

private:
    // The block the copies share, open while this copy holds power saving off, and this copy's
    // place in it.
    win::CKernelHandle m_shared;
    size_t m_place = 0;
};
