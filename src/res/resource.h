// Resource and control ids of the launcher. They are fixed: tools and tests find the dialogs and
// their controls by them.
#pragma once

#define IDI_SKELVANE 101

#define IDD_SETTINGS 102
#define IDD_PAGE_GRAPHICS 103
#define IDD_PAGE_SOUND 104
#define IDD_INFO 105
#define IDD_VADVSET 106
#define IDD_CRASH_CONSENT 107

// Settings dialog (IDOK 1, IDCANCEL 2 and Start 3 are its buttons)
#define IDC_START 3
#define IDC_TABS 1002
#define IDC_SHOW_AT_LAUNCH 1010
#define IDC_RESETSET 1017

// Graphics page
#define IDC_RESOLUTION 1003
#define IDC_ANTIALIASING 1005
#define IDC_ADAPTER 1006
#define IDC_COLOUR_DEPTH 1008
#define IDC_AA_QUALITY 1009
#define IDC_VADV 1019

// Sound page
#define IDC_SND_OUTPUT 1011
#define IDC_SND_FREQ 1012
#define IDC_SND_DRIVER 1013
#define IDC_SND_SPEAKERS 1015

// Warnings dialog
#define IDC_REPORT 1016
#define IDC_IGNORE_WARNINGS 1018

// Advanced video dialog
#define IDC_VSYNC 1020
#define IDC_TRIPLEBUF 1021
#define IDC_GLOW 1022

// Crash report question (IDCANCEL is Don't send)
#define IDC_CRASH_TEXT 1030
#define IDC_CRASH_SEND 1031
#define IDC_CRASH_ALWAYS 1032
