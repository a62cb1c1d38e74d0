// The options file: a small profile file in the current directory that the launcher reads and
// never writes. Every value has a default, so the game runs without the file.
#pragma once

#include <string>

// Where a bare options-file name is looked for in the given directory; ".\" when the directory is
// unknown. A root such as "C:\" already ends in a backslash and gets none added.
std::wstring optionsFilePath(const std::wstring& directory, const std::wstring& fileName);

// One value of the options file in the current directory, at most 259 characters; the default
// when the file, the section or the key is missing.
std::wstring readOption(const std::wstring& fileName, const std::wstring& section, const std::wstring& key,
                        const std::wstring& defaultValue);
