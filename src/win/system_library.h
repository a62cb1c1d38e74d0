// Libraries of the system's own, loaded from the system folder only: a file of the same name beside
// the game or in the current folder is never loaded into the launcher in their place.
#pragma once

#include <windows.h>

namespace win {

// The module, or null when the system folder has no such library that loads.
HMODULE loadSystemLibrary(const wchar_t* name);

}  // namespace win
