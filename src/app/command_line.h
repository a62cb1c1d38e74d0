// Switches on the launcher's command line: -s or /s shows the settings dialog, -r or /r resets.
#pragma once

// True when a word of the command line starts with a dash or slash followed by the switch name
// (in any letter case; a longer word counts too, so -settings is s). Words are separated by blanks.
bool hasSwitch(const wchar_t* commandLine, const wchar_t* name);
