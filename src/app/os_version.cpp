#include "app/os_version.h"

bool readOsVersion(OSVERSIONINFOW& version) {
    version = {};
    version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    return GetVersionExW(&version) != FALSE;
#pragma GCC diagnostic pop
}

bool isSupportedOs(bool readOk, const OSVERSIONINFOW& version) {
    return readOk && version.dwPlatformId != VER_PLATFORM_WIN32s && version.dwMajorVersion >= 5;
}
