// Stored settings that suit this machine: adapter 0 in its desktop mode, no antialiasing, the
// sound left to the player. With them in place the launcher starts without its dialog.
#pragma once

// Where the launcher stores its settings, under HKEY_CURRENT_USER.
constexpr wchar_t kSettingsRoot[] = L"Software\\Tolmira\\Skelvane";

// Writes them there; false when something could not be written.
bool writeSettingsForThisMachine();
