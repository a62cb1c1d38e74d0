// The operating-system version as the system reports it to this program.
#pragma once

#include <windows.h>

// False when the version cannot be read.
bool readOsVersion(OSVERSIONINFOW& version);

// Windows 2000 or later: an NT-family or 9x system with major version 5 and up.
bool isSupportedOs(bool readOk, const OSVERSIONINFOW& version);
