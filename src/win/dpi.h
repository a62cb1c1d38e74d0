// The scale a window is drawn at. The launcher's process is per-monitor DPI aware (its manifest):
// sizes the code picks itself follow the DPI of the window's screen, not the system's. The calls
// for that exist from Windows 10 on; before it, every screen has the system's DPI.
#pragma once

#include <windows.h>

namespace win {

// The DPI of the window's screen (96 is 100 %).
UINT windowDpi(HWND window);
// GetSystemMetrics for that DPI.
int metricForDpi(int index, UINT dpi);

}  // namespace win
