// Every key the launcher looks up in the language table, in one list. The code names its keys
// through it (key::T_OK, or wkey::T_AA_NONE where a wide key is held), the dialog templates carry
// the same words as their texts, and tools/check_language.py reads this list to tell a translator
// what a language file must hold. A new text starts here. LABEL marks a text that is shown directly
// in front of a value, with nothing between them: its translation must end with a space.
#pragma once

#define SKELVANE_LANGUAGE_KEYS(KEY, LABEL)                                                           \
    /* Start-up and game host */                                                                     \
    KEY(T_OLD_OS_HDR) KEY(T_OLD_OS_MSG) KEY(T_FATAL_ERROR_HDR) KEY(T_ANOTHER_COPY_RUN_MSG)           \
    KEY(T_INIT_ERROR_HDR) KEY(T_INIT_ERROR_MSG)                                                      \
    /* Video driver check */                                                                         \
    LABEL(T_VIDEOADAPTER) LABEL(T_VDRIVER_VER) LABEL(T_VDRV_DATE_CUR) LABEL(T_VDRV_DATE_REQ)         \
    KEY(T_VDRV_DATE_MSG)                                                                             \
    /* Warnings dialog */                                                                            \
    KEY(T_INFORMATION) KEY(T_INFO_OK) KEY(T_IGNORE_WARNINGS)                                         \
    /* Antialiasing types */                                                                         \
    KEY(T_AA_NONE) KEY(T_AA_NONMASKABLE) KEY(T_AA_02_SAMPLES) KEY(T_AA_03_SAMPLES) KEY(T_AA_04_SAMPLES) \
    KEY(T_AA_05_SAMPLES) KEY(T_AA_06_SAMPLES) KEY(T_AA_07_SAMPLES) KEY(T_AA_08_SAMPLES)              \
    KEY(T_AA_09_SAMPLES) KEY(T_AA_10_SAMPLES) KEY(T_AA_11_SAMPLES) KEY(T_AA_12_SAMPLES)              \
    KEY(T_AA_13_SAMPLES) KEY(T_AA_14_SAMPLES) KEY(T_AA_15_SAMPLES) KEY(T_AA_16_SAMPLES)              \
    /* Settings dialog */                                                                            \
    KEY(T_SETTINGS) KEY(T_START) KEY(T_OK) KEY(T_CANCEL) KEY(T_SHOW_AT_LAUNCH) KEY(T_RESETSET)       \
    KEY(T_VIDEO) KEY(T_SOUND) KEY(T_SET_APPLY_ERR_HDR) KEY(T_SET_APPLY_ERR_MSG)                      \
    /* Graphics page */                                                                              \
    KEY(T_VADAPTER) KEY(T_VMODE) KEY(T_VRESOLUTION) KEY(T_ANTIALIASING) KEY(T_AA_QUALITY) KEY(T_VADV) \
    KEY(T_NO_VADAPTER_FOUND)                                                                         \
    /* Sound page */                                                                                 \
    KEY(T_SNDDEVICE) KEY(T_SNDDRIVER) KEY(T_SNDOUTPUT) KEY(T_SNDFREQ)                                \
    KEY(T_SPEAKERMODE_DOLBYDIGITAL) KEY(T_SPEAKERMODE_HEADPHONES) KEY(T_SPEAKERMODE_MONO)            \
    KEY(T_SPEAKERMODE_QUAD) KEY(T_SPEAKERMODE_STEREO) KEY(T_SPEAKERMODE_SURROUND)                    \
    /* Advanced video dialog */                                                                      \
    KEY(T_VADV_CAPTION) KEY(T_VADV_OK) KEY(T_VSYNC) KEY(T_TRIPLEBUF) KEY(T_GLOW)                     \
    /* Crash report question */                                                                      \
    KEY(T_CRASH_CONSENT_HDR) KEY(T_CRASH_CONSENT_MSG) KEY(T_CRASH_SEND) KEY(T_CRASH_DONT_SEND)       \
    KEY(T_CRASH_ALWAYS)

namespace key {
#define SKELVANE_NARROW_KEY(name) inline constexpr char name[] = #name;
SKELVANE_LANGUAGE_KEYS(SKELVANE_NARROW_KEY, SKELVANE_NARROW_KEY)
#undef SKELVANE_NARROW_KEY
}  // namespace key

namespace wkey {
#define SKELVANE_WIDE_KEY(name) inline constexpr wchar_t name[] = L"" #name;
SKELVANE_LANGUAGE_KEYS(SKELVANE_WIDE_KEY, SKELVANE_WIDE_KEY)
#undef SKELVANE_WIDE_KEY
}  // namespace wkey
