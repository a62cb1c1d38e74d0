// What a unit test may tell the test engine it is linked against.
#pragma once

#include <string>

extern "C" {
__declspec(dllimport) void testEngineSetScript(const char* script);
__declspec(dllimport) const char* testEngineLog();
__declspec(dllimport) void testEngineClearLog();
}

inline bool engineLogHas(const std::string& text) { return std::string(testEngineLog()).find(text) != std::string::npos; }

inline int engineLogCount(const std::string& text) {
    const std::string log = testEngineLog();
    int n = 0;
    for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++n;
    return n;
}
