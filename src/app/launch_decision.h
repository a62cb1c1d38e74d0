// Whether the game starts now: the DirectX gate, the command-line switches, and the settings
// dialog when the player asks for it or the stored settings need the player.
#pragma once

#include "app/exports.h"

class CLocalize;
struct LaunchProbes;

// -1: DirectX refused; 0: start the game; 1: the settings dialog ended without Start.
// resetSettings may be set by -r and comes back as the dialog left it.
SKELVANE_EXPORT int prepare2Run(const wchar_t* commandLine, const CLocalize& localize, bool& resetSettings);

// The same decision, taking the answers of the questions asked ahead of it from the probes.
int prepare2Run(const wchar_t* commandLine, const CLocalize& localize, bool& resetSettings, LaunchProbes& probes);
