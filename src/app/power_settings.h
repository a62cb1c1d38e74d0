// The screen saver and the monitor's power saving, switched off while the game runs and given
// back as they were when it ends, unless another copy of the launcher still runs: its game must
// not have them switched back on under it.
#pragma once

#include <windows.h>

#include "win/handles.h"

class CPowerSettings {
public:
    // Reads the three settings, then switches them off (without touching the user profile).
    void switchOff();
    // Gives back what switchOff found when no other copy holds them off; does nothing when
    // switchOff did not run.
    void restore();

private:
    struct Saved {
        UINT getAction, setAction;
        BOOL wasOn;
        bool known;
    };
    Saved m_saved[3] = {
        {SPI_GETSCREENSAVEACTIVE, SPI_SETSCREENSAVEACTIVE, FALSE, false},
        {SPI_GETLOWPOWERACTIVE, SPI_SETLOWPOWERACTIVE, FALSE, false},
        {SPI_GETPOWEROFFACTIVE, SPI_SETPOWEROFFACTIVE, FALSE, false},
    };
    // This copy's unit of the semaphore the copies in this session share, held between the two.
    win::CKernelHandle m_copies;
};
