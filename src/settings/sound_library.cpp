#include "settings/sound_library.h"

#include "fmod.h"

float SoundLibrary::getVersion() { return FSOUND_GetVersion(); }
bool SoundLibrary::setOutput(int outputType) { return FSOUND_SetOutput(outputType) != 0; }
int SoundLibrary::getNumDrivers() { return FSOUND_GetNumDrivers(); }
const char* SoundLibrary::getDriverName(int driver) { return FSOUND_GetDriverName(driver); }
bool SoundLibrary::getDriverCaps(int driver, unsigned int* caps) { return FSOUND_GetDriverCaps(driver, caps) != 0; }
