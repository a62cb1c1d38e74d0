// Stored settings that suit this machine: adapter 0 in its desktop mode, no antialiasing, the
// sound left to the player. With them in place the launcher starts without its dialog.
#pragma once

// Writes them under HKCU\Software\Tolmira\Skelvane; false when something could not be written.
bool writeSettingsForThisMachine();
