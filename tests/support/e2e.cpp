#include "e2e.h"

#include "valid_settings.h"

#include <gtest/gtest.h>

#include <thread>
#include <utility>

namespace e2e {

namespace {

// Set by the test runner: the built game folder, and the test engine.
std::wstring env(const wchar_t* name) {
    wchar_t buffer[MAX_PATH * 2];
    const DWORD n = GetEnvironmentVariableW(name, buffer, MAX_PATH * 2);
    return n > 0 && n < MAX_PATH * 2 ? std::wstring(buffer, n) : std::wstring();
}

void copyOrFail(const std::wstring& from, const std::wstring& to) {
    if (!CopyFileW(from.c_str(), to.c_str(), FALSE))
        ADD_FAILURE() << "cannot copy " << narrow(from) << " to " << narrow(to);
}

BOOL CALLBACK collectProcessWindow(HWND w, LPARAM p) {
    auto* search = reinterpret_cast<std::pair<DWORD, std::vector<HWND>>*>(p);
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == search->first) search->second.push_back(w);
    return TRUE;
}

HWND waitForTopWindow(DWORD pid, const std::function<bool(HWND)>& wanted, Ms timeout) {
    HWND found = nullptr;
    waitFor([&] {
        for (HWND w : topWindows(pid))
            if (wanted(w)) return (found = w) != nullptr;
        return false;
    }, timeout);
    return found;
}

// Puts the settings in place before the first test.
class ValidSettingsEnvironment : public ::testing::Environment {
    void SetUp() override { storeValidSettings(); }
};
const auto* const g_validSettings = ::testing::AddGlobalTestEnvironment(new ValidSettingsEnvironment);

}  // namespace

std::string narrow(const std::wstring& text) {
    std::string out;
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                      nullptr);
    out.resize(static_cast<size_t>(n));
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

GameFolder::GameFolder(bool demoEngine) : ScratchFolder(false) {
    const std::wstring dist = env(L"SKELVANE_DIST");
    for (const wchar_t* name : {L"Skelvane.exe", L"language.txt", L"korvex.ini"})
        copyOrFail(dist + L"\\" + name, file(name));
    copyOrFail(demoEngine ? dist + L"\\Korvex.dll" : env(L"SKELVANE_TEST_ENGINE_DLL"), file(L"Korvex.dll"));
    CopyFileW((dist + L"\\fmod.dll").c_str(), file(L"fmod.dll").c_str(), FALSE);  // optional
}

Process::Process(const std::wstring& exe, const std::wstring& arguments, const std::wstring& workingDir,
                 const std::map<std::wstring, std::wstring>& environment) {
    for (const auto& [name, value] : environment) SetEnvironmentVariableW(name.c_str(), value.c_str());
    std::wstring commandLine = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, workingDir.c_str(),
                        &startup, &m_info))
        ADD_FAILURE() << "cannot start " << narrow(exe) << ": error " << GetLastError();
    for (const auto& entry : environment) SetEnvironmentVariableW(entry.first.c_str(), nullptr);
}

Process::~Process() {
    if (m_info.hProcess && WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(m_info.hProcess, 99);
        WaitForSingleObject(m_info.hProcess, 5000);
    }
    if (m_info.hThread) CloseHandle(m_info.hThread);
    if (m_info.hProcess) CloseHandle(m_info.hProcess);
}

bool Process::waitExit(Ms timeout, DWORD& exitCode) const {
    if (!m_info.hProcess || WaitForSingleObject(m_info.hProcess, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0)
        return false;
    return GetExitCodeProcess(m_info.hProcess, &exitCode) != FALSE;
}

std::map<std::wstring, std::wstring> engineEnv(const GameFolder& folder, const std::string& script) {
    return {{L"SKELVANE_TEST_ENGINE_LOG", folder.file(L"engine.log")},
            {L"SKELVANE_TEST_ENGINE", std::wstring(script.begin(), script.end())}};
}

bool waitFor(const std::function<bool()>& predicate, Ms timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (predicate()) return true;
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(50ms);
    }
}

std::vector<HWND> topWindows(DWORD pid) {
    std::pair<DWORD, std::vector<HWND>> search{pid, {}};
    EnumWindows(collectProcessWindow, reinterpret_cast<LPARAM>(&search));
    return search.second;
}

std::string className(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::wstring windowText(HWND window) {
    std::wstring text(static_cast<size_t>(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
    const LRESULT n = SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(n));
    return text;
}

HWND waitForWindow(DWORD pid, const std::wstring& cls, const std::wstring& title, Ms timeout) {
    return waitForTopWindow(pid, [&](HWND w) {
        return (cls.empty() || className(w) == narrow(cls)) && (title.empty() || windowText(w) == title);
    }, timeout);
}

HWND waitForMessageBox(DWORD pid, Ms timeout) {
    return waitForTopWindow(pid, [](HWND w) {
        return className(w) == "#32770" && IsWindowVisible(w) && GetDlgItem(w, 0xFFFF);
    }, timeout);
}

std::wstring messageBoxText(HWND box) { return windowText(GetDlgItem(box, 0xFFFF)); }

void clickButton(HWND dialog, int id) { PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

std::string runReg(const std::wstring& arguments) {
    const test::ScratchFolder folder(false);
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE file = CreateFileW(folder.file(L"reg.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                              CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = file;
    startup.hStdError = file;
    PROCESS_INFORMATION info{};
    std::wstring commandLine = L"reg.exe " + arguments;
    if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info)) {
        WaitForSingleObject(info.hProcess, 30000);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
    CloseHandle(file);
    return folder.read(L"reg.txt");
}

void deleteSettings() { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tolmira\\Skelvane"); }

void storeValidSettings() {
    deleteSettings();
    ASSERT_TRUE(writeSettingsForThisMachine()) << "cannot store settings for this machine's adapter";
}

}  // namespace e2e
