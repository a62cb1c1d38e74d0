// A scriptable engine with the interface of Korvex.dll. It records every call it receives, and a
// script tells it how to behave. The script comes from the environment (SKELVANE_TEST_ENGINE) when
// the launcher runs it, or from testEngineSetScript when a unit test links it directly.
//
// Script: directives separated by ';'
//   null               createInstance returns null
//   handled=N[:N...]   mark these message numbers handled (result 0x5A)
//   pumpInCreate=N     call pumpMessages(N) inside createInstance
//   pumpInIdle=N       call pumpMessages(N) inside every onIdle
//   pumpInDestroy=N    call pumpMessages(N) inside destroy
//   closeInIdle        post WM_CLOSE to the window from the first onIdle, then pump
//   quitInIdle         post a quit message (code 7) from the first onIdle
//   idle=true|false    what onIdle returns (default false)
// Log: one line a call, kept in memory and appended to the file SKELVANE_TEST_ENGINE_LOG names.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <sstream>
#include <string>

#include "korvex.h"

extern "C" {
KORVEX_API void testEngineSetScript(const char* script);
KORVEX_API const char* testEngineLog();
KORVEX_API void testEngineClearLog();
}

namespace {

struct Script {
    bool returnNull = false;
    std::set<UINT> handled;
    int pumpInCreate = 0;
    int pumpInIdle = 0;
    int pumpInDestroy = 0;
    bool closeInIdle = false;
    bool quitInIdle = false;
    bool idleResult = false;
};

std::string g_log;
std::string g_script;
bool g_scriptSet = false;

Script parseScript(const std::string& text) {
    Script s;
    std::stringstream in(text);
    std::string item;
    while (std::getline(in, item, ';')) {
        const size_t eq = item.find('=');
        const std::string name = item.substr(0, eq);
        const std::string value = eq == std::string::npos ? "" : item.substr(eq + 1);
        if (name == "null") s.returnNull = true;
        else if (name == "pumpInCreate") s.pumpInCreate = std::atoi(value.c_str());
        else if (name == "pumpInIdle") s.pumpInIdle = std::atoi(value.c_str());
        else if (name == "pumpInDestroy") s.pumpInDestroy = std::atoi(value.c_str());
        else if (name == "closeInIdle") s.closeInIdle = true;
        else if (name == "quitInIdle") s.quitInIdle = true;
        else if (name == "idle") s.idleResult = value == "true";
        else if (name == "handled") {
            std::stringstream list(value);
            std::string number;
            while (std::getline(list, number, ':')) s.handled.insert(std::strtoul(number.c_str(), nullptr, 0));
        }
    }
    return s;
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

class CTestGame final : public IGame {
public:
    CTestGame(HWND window, IMsgLoop* loop, Script script) : m_window(window), m_loop(loop), m_script(script) {}

    LRESULT handleMessage(HWND, UINT message, WPARAM wParam, LPARAM, int* handled) override {
        // Housekeeping messages would flood the log; the ones tests reason about are kept.
        if (message != WM_TIMER && message != WM_NCHITTEST && message != WM_SETCURSOR && message != WM_MOUSEMOVE &&
            message != WM_NCMOUSEMOVE) {
            char line[64];
            std::snprintf(line, sizeof line, "handleMessage 0x%04X 0x%llX", message,
                          static_cast<unsigned long long>(wParam));
            record(line);
        }
        if (m_script.handled.count(message)) {
            *handled = 1;
            return 0x5A;
        }
        return 0;
    }
    void onFocusLost() override { record("onFocusLost"); }
    void onFocusGained() override { record("onFocusGained"); }
    bool onIdle() override {
        if (!m_idleSeen) record("onIdle");
        const bool first = !m_idleSeen;
        m_idleSeen = true;
        if (first && m_script.closeInIdle) PostMessageW(m_window, WM_CLOSE, 0, 0);
        if (first && m_script.quitInIdle) PostQuitMessage(7);
        if (m_script.pumpInIdle > 0) m_loop->pumpMessages(m_script.pumpInIdle);
        return m_script.idleResult;
    }
    // A second call, made while the first still runs, is logged and otherwise ignored, so that a
    // host that destroys twice shows up in the log instead of freeing the instance twice.
    void destroy() override {
        record("destroy enter #" + std::to_string(++m_destroyCalls));
        if (m_destroyCalls > 1) return;
        if (m_script.pumpInDestroy > 0) m_loop->pumpMessages(m_script.pumpInDestroy);
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
    std::string scriptText = g_script;
    if (!g_scriptSet) {
        char buffer[1024];
        const DWORD n = GetEnvironmentVariableA("SKELVANE_TEST_ENGINE", buffer, sizeof buffer);
        if (n > 0 && n < sizeof buffer) scriptText = buffer;
    }
    const Script script = parseScript(scriptText);

    RECT client{};
    GetClientRect(window, &client);
    char line[1200];
    std::snprintf(line, sizeof line, "createInstance visible=%d client=%ldx%ld reset=%d cmd=[%s]",
                  IsWindowVisible(window) ? 1 : 0, client.right, client.bottom, resetSettings ? 1 : 0,
                  narrow(commandLine).c_str());
    record(line);

    if (script.pumpInCreate > 0) msgLoop->pumpMessages(script.pumpInCreate);
    if (script.returnNull) return nullptr;
    return new CTestGame(window, msgLoop, script);
}
