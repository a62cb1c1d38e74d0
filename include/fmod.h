// The part of the FMOD 3 sound library the launcher uses: version, output type and the drivers of
// that output. Shared by the launcher and the library's stand-in (sound/). The calling convention and
// the result types are those of the real library, so that the game's own fmod.dll can take the
// stand-in's place: on 32-bit Windows the exports are the decorated stdcall names
// (_FSOUND_GetVersion@0, ...), which the import library maps these declarations to.
#pragma once

#if defined(_WIN32) && !defined(_WIN64)
#define F_API __stdcall
#else
#define F_API
#endif

// Output types for FSOUND_SetOutput.
enum FSOUND_OUTPUTTYPES {
    FSOUND_OUTPUT_AUTODETECT = -1,  // DirectSound when it has devices, else waveOut
    FSOUND_OUTPUT_NOSOUND = 0,
    FSOUND_OUTPUT_WINMM = 1,
    FSOUND_OUTPUT_DSOUND = 2,
    FSOUND_OUTPUT_A3D = 3,
    FSOUND_OUTPUT_ASIO = 7,
};

// Bits of the capability word of FSOUND_GetDriverCaps.
enum FSOUND_CAPS : unsigned int {
    FSOUND_CAPS_HARDWARE = 0x1,  // the device mixes in hardware
    FSOUND_CAPS_EAX2 = 0x2,
    FSOUND_CAPS_EAX3 = 0x10,
};

#ifdef __cplusplus
extern "C" {
#endif

float F_API FSOUND_GetVersion(void);
// Nonzero when the output type could be selected; selecting it replaces the driver list.
signed char F_API FSOUND_SetOutput(int outputType);
int F_API FSOUND_GetNumDrivers(void);
// The name in the ANSI code page; null for an index out of range or a device without a name.
// Valid until the next call that replaces the driver list.
const char* F_API FSOUND_GetDriverName(int id);
// Nonzero when the capabilities could be read; *caps is then a combination of FSOUND_CAPS bits.
signed char F_API FSOUND_GetDriverCaps(int id, unsigned int* caps);

#ifdef __cplusplus
}
#endif
