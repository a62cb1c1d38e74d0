// What a unit test may tell the test engine it is linked against.
#pragma once

#include <string>

extern "C" {
__declspec(dllimport) void testEngineSetScript(const char* script);
__declspec(dllimport) const char* testEngineLog();
__declspec(dllimport) void testEngineClearLog();
}

inline bool engineLogHas(const std::string& text) { return std::string(testEngineLog()).find(text) != std::string::npos; }
