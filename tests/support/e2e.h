// Driving the real launcher from outside, as a player would: a throwaway game folder, the
// process, its windows and controls, and the registry as `reg` shows it.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "scratch_folder.h"

namespace e2e {

using namespace std::chrono_literals;
using Ms = std::chrono::milliseconds;

// A temporary copy of the game folder; removed again when the object goes.
class GameFolder : public test::ScratchFolder {
public:
    // With the test engine in place of the demo engine unless demoEngine is true.
    explicit GameFolder(bool demoEngine = false);
    // The log the test engine writes (engineEnv points it here).
    std::string engineLog() const { return read(L"engine.log"); }
};

// One run of a program; killed when the object goes and it still runs.
class Process {
public:
    Process(const std::wstring& exe, const std::wstring& arguments, const std::wstring& workingDir,
            const std::map<std::wstring, std::wstring>& environment = {});
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    DWORD pid() const { return m_info.dwProcessId; }
    // The exit code, or nothing when it has not ended within the time.
    bool waitExit(Ms timeout, DWORD& exitCode) const;

private:
    PROCESS_INFORMATION m_info{};
};

// The environment that scripts the test engine of a game folder and sends its log there.
std::map<std::wstring, std::wstring> engineEnv(const GameFolder& folder, const std::string& script = "");

// Polls until the predicate holds or the time is up.
bool waitFor(const std::function<bool()>& predicate, Ms timeout = 10s);

// Top-level windows of a process, visible or not.
std::vector<HWND> topWindows(DWORD pid);
HWND waitForWindow(DWORD pid, const std::wstring& className, const std::wstring& title, Ms timeout = 15s);
// A message box (#32770 with a static text 0xFFFF) of the process.
HWND waitForMessageBox(DWORD pid, Ms timeout = 15s);
std::wstring windowText(HWND window);
std::wstring messageBoxText(HWND box);
void clickButton(HWND dialog, int id);
std::string className(HWND window);

// `reg` run inside Wine; returns its output.
std::string runReg(const std::wstring& arguments);
void deleteSettings();
// Stores settings that match this machine's adapter, so the launcher starts without its dialog.
// Every end-to-end test starts with them in place.
void storeValidSettings();

std::string narrow(const std::wstring& text);

}  // namespace e2e
