// Process start-up and shutdown: the steps around the launch itself.
#pragma once

#include <windows.h>

#include "app/exports.h"

// OLE, COM security and the common controls.
SKELVANE_EXPORT void appPreInit();
// Heap tuning, power settings and the application module; false when the module cannot start.
SKELVANE_EXPORT bool appInit(HINSTANCE instance);
// Ends the application module and gives back the power settings appInit switched off.
SKELVANE_EXPORT void appTerm();

struct LaunchProbes;

// The launch: language table, checks, settings, the game, with the answers of the probes started
// before it. Returns the process exit code.
int appRun(const wchar_t* commandLine, HINSTANCE instance, LaunchProbes& probes);

// Switches one heap to the low-fragmentation mode where the system has it.
bool enableLowFragmentationHeap(HANDLE heap);
