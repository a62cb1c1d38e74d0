// The slow questions of the launch decision, asked at once on threads of their own as soon as COM
// security is in place, so that the launch waits for the slowest of them rather than for their sum:
// the DirectX diagnostic query, the settings object's Direct3D object and, when a driver date is
// configured, the video-controller rows. Each answer is taken by the step that needs it; one that
// no step needs is abandoned when the probes go.
#pragma once

#include "checks/dx_version.h"
#include "checks/driver_age_check.h"
#include "settings/display_mode_catalogue.h"

struct LaunchProbes {
    DXDiagnosticsProbe dxDiagnostics;
    Direct3DProbe direct3D;
    VideoControllerProbe videoControllers;
};

// Starts the probes. Process-wide COM security must be set before: the threads use COM.
LaunchProbes startLaunchProbes();
