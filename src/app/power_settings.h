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
    // when switchOff did not run, or when this copy gave them back already (from another thread).
    void restore();

private:
    // The block the copies share, open while this copy holds power saving off, and this copy's
    // place in it. The proof is a named object of this copy's own: a place whose copy has none
    // open is a dead copy's, whatever process now has its number.
    win::CKernelHandle m_shared;
    win::CKernelHandle m_proof;
    size_t m_place = 0;
    volatile LONG m_holding = 0;
};

// This process's account: switched off at start-up and given back at its end (startup.cpp).
CPowerSettings& powerSettingsOfThisCopy();

// For the crash path, once the dump is written: a crash ends the process without its normal end,
// so power saving is given back here, as that end would (only by the last live copy).
void restorePowerSettingsAfterCrash();
