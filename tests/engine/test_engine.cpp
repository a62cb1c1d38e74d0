// A scriptable engine with the interface of Korvex.dll. It records every call it receives, and a
// script tells it how to behave. The script comes from the environment (SKELVANE_TEST_ENGINE) when
// the launcher runs it, or from testEngineSetScript when a unit test links it directly.
//
// Script: directives separated by ';'
//   null               createInstance returns null
//   handled=N[:N...]   mark these message numbers (0x.. in hexadecimal) handled (result 0x5A)
//   pumpInCreate=N     call pumpMessages(N) inside createInstance
//   pumpInIdle=N       call pumpMessages(N) inside every onIdle
//   pumpInDestroy=N    call pumpMessages(N) inside destroy
//   closeInIdle        post WM_CLOSE to the window from the first onIdle
//   die=WAY            crash in the first onIdle: access (write to a page that is not there), stack
//                      (overflow), illegal (instruction), divide (by zero), terminate (an
//                      exception out of a noexcept function), threads (two other threads write to
//                      a missing page at once), abort2 (abort, and another thread's abort a second
//                      later), overrun (of a stack buffer), exit (close the game, then abort in a
//                      static destructor as the process ends), raise (a continuable exception of
//                      the engine's own; logs "raise survived" when the process goes on)
// Read from the environment as the engine loads, before the launcher runs:
//   filter=continue|search  set a crash filter of the engine's own, which answers "continue
//                      execution" or "search on"
//   takeClass          register the launcher's window class first, so that the launcher cannot
//                      ("can't register window class")
// Log: one line a call, kept in memory and appended to the file SKELVANE_TEST_ENGINE_LOG names.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>

#include "korvex.h"

extern "C" {
KORVEX_API void testEngineSetScript(const char* script);
KORVEX_API const char* testEngineLog();
KORVEX_API void testEngineClearLog();
}

namespace {

std::string g_log;
std::string g_script;
bool g_scriptSet = false;

// The script's directives by name, each with the text after its '=' (empty when it has none).
using Script = std::map<std::string, std::string>;

Script parseScript(const std::string& text) {
    Script script;
    std::istringstream in(text);
    for (std::string item; std::getline(in, item, ';');) {
        const size_t eq = item.find('=');
        script[item.substr(0, eq)] = eq == std::string::npos ? "" : item.substr(eq + 1);
    }
    return script;
}

int number(const Script& script, const char* name) {
    const auto found = script.find(name);
    return found == script.end() ? 0 : std::atoi(found->second.c_str());
}

std::string environmentScript() {
    char buffer[1024];
    const DWORD n = GetEnvironmentVariableA("SKELVANE_TEST_ENGINE", buffer, sizeof buffer);
    return n > 0 && n < sizeof buffer ? buffer : "";
}

void record(const std::string& line) {
    g_log += line + "\n";
    char path[MAX_PATH];
    if (GetEnvironmentVariableA("SKELVANE_TEST_ENGINE_LOG", path, MAX_PATH) > 0) {
        if (FILE* f = std::fopen(path, "ab")) {
            std::fprintf(f, "%s\n", line.c_str());
            std::fclose(f);
        }
    }
}

std::string narrow(const unsigned short* text) {
    std::string out;
    for (; text && *text; ++text) out += *text < 128 ? static_cast<char>(*text) : '?';
    return out;
}

// Ways of dying, each kept out of line so that the stack shows it under onIdle.
char* missingPage() {
    // Not address 0: Wine may map the first page.
    return static_cast<char*>(VirtualAlloc(nullptr, 4096, MEM_RESERVE, PAGE_NOACCESS));
}

#pragma GCC diagnostic ignored "-Winfinite-recursion"
#pragma GCC diagnostic ignored "-Wterminate"
__attribute__((noinline)) int overflow(volatile int depth) {
    volatile char frame[4096];
    frame[0] = static_cast<char>(depth);
    return overflow(depth + 1) + frame[0];
}

__attribute__((noinline)) void throwOut() noexcept { throw 42; }

DWORD WINAPI writeToMissingPage(void* start) {
    WaitForSingleObject(start, INFINITE);
    *missingPage() = 1;
    return 0;
}

volatile size_t g_overrunLength = 32;  // past the buffer into the guard above it, and no further

__attribute__((noinline)) char overrun() {
    volatile char buffer[16];
    const size_t length = g_overrunLength;
    for (size_t i = 0; i < length; ++i) buffer[i] = 0x5A;
    return buffer[0];
}

DWORD WINAPI abortLater(void*) { Sleep(1000); std::abort(); }

// A static destructor of the engine, run as the process ends.
struct AbortAtExit {
    bool armed = false;
    ~AbortAtExit() { armed ? std::abort() : void(); }
} g_abortAtExit;

void die(const std::string& way, HWND window) {
    record("die " + way);
    static volatile int zero = 0;
    if (way == "raise") {
        RaiseException(0xE0000001, 0, 0, nullptr);
        record("raise survived");
    }
    if (way == "abort2") {
        CloseHandle(CreateThread(nullptr, 0, abortLater, nullptr, 0, nullptr));
        std::abort();
    }
    if (way == "overrun") overrun();
    if (way == "exit") {
        g_abortAtExit.armed = true;
        PostMessageW(window, WM_CLOSE, 0, 0);
    }
    if (way == "access") *missingPage() = 1;
    if (way == "stack") overflow(0);
    if (way == "illegal") __builtin_trap();
    if (way == "divide") zero = 7 / zero;  // not 1 / x, which the compiler turns into a comparison
    if (way == "terminate") throwOut();
    if (way == "threads") {
        const HANDLE start = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        CreateThread(nullptr, 0, writeToMissingPage, start, 0, nullptr);
        CreateThread(nullptr, 0, writeToMissingPage, start, 0, nullptr);
        Sleep(100);
        SetEvent(start);
        Sleep(INFINITE);
    }
}

bool g_filterContinues = false;
LONG WINAPI engineFilter(EXCEPTION_POINTERS*) {
    return g_filterContinues ? EXCEPTION_CONTINUE_EXECUTION : EXCEPTION_CONTINUE_SEARCH;
}

// What the engine does as it loads, before the launcher's own code runs.
struct OnLoad {
    OnLoad() {
        const Script script = parseScript(environmentScript());
        if (script.count("filter")) {
            g_filterContinues = script.at("filter") == "continue";
            SetUnhandledExceptionFilter(engineFilter);
        }
        if (script.count("takeClass")) {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof wc;
            wc.lpfnWndProc = DefWindowProcW;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"Korvex//Class";
            RegisterClassExW(&wc);
        }
    }
} g_onLoad;

class CTestGame final : public IGame {
public:
    CTestGame(HWND window, IMsgLoop* loop, const Script& script) : m_window(window), m_loop(loop), m_script(script) {}

    LRESULT handleMessage(HWND, UINT message, WPARAM wParam, LPARAM, int* handled) override {
        // Housekeeping messages would flood the log; the ones tests reason about are kept.
        if (message != WM_TIMER && message != WM_NCHITTEST && message != WM_SETCURSOR && message != WM_MOUSEMOVE &&
            message != WM_NCMOUSEMOVE) {
            char line[64];
            std::snprintf(line, sizeof line, "handleMessage 0x%04X 0x%llX", message,
                          static_cast<unsigned long long>(wParam));
            record(line);
        }
        char hex[16];
        std::snprintf(hex, sizeof hex, ":%#x:", message);
        const auto list = m_script.find("handled");
        if (list == m_script.end() || (":" + list->second + ":").find(hex) == std::string::npos) return 0;
        *handled = 1;
        return 0x5A;
    }
    void onFocusLost() override { record("onFocusLost"); }
    void onFocusGained() override { record("onFocusGained"); }
    bool onIdle() override {
        if (!m_idleSeen && m_script.count("closeInIdle")) PostMessageW(m_window, WM_CLOSE, 0, 0);
        if (!m_idleSeen) record("onIdle");
        if (!m_idleSeen && m_script.count("die")) die(m_script.at("die"), m_window);
        m_idleSeen = true;
        if (const int count = number(m_script, "pumpInIdle")) m_loop->pumpMessages(count);
        return false;
    }
    // A second call, made while the first still runs, is logged and otherwise ignored, so that a
    // host that destroys twice shows up in the log instead of freeing the instance twice.
    void destroy() override {
        record("destroy enter #" + std::to_string(++m_destroyCalls));
        if (m_destroyCalls > 1) return;
        if (const int count = number(m_script, "pumpInDestroy")) m_loop->pumpMessages(count);
        if (!IsWindow(m_window)) record("window gone before the engine ended");
        delete this;
    }

private:
    HWND m_window;
    IMsgLoop* m_loop;
    Script m_script;
    bool m_idleSeen = false;
    int m_destroyCalls = 0;
};

}  // namespace

void testEngineSetScript(const char* script) {
    g_script = script ? script : "";
    g_scriptSet = true;
}
const char* testEngineLog() { return g_log.c_str(); }
void testEngineClearLog() { g_log.clear(); }

IGame* IGame::createInstance(HWND window, const unsigned short* commandLine, IMsgLoop* msgLoop, bool resetSettings) {
    const Script script = parseScript(g_scriptSet ? g_script : environmentScript());

    RECT client{};
    GetClientRect(window, &client);
    char line[1200];
    std::snprintf(line, sizeof line, "createInstance visible=%d client=%ldx%ld reset=%d cmd=[%s]",
                  IsWindowVisible(window) ? 1 : 0, client.right, client.bottom, resetSettings ? 1 : 0,
                  narrow(commandLine).c_str());
    record(line);

    if (const int count = number(script, "pumpInCreate")) msgLoop->pumpMessages(count);
    if (script.count("null")) return nullptr;
    return new CTestGame(window, msgLoop, script);
}
