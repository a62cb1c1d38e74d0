#include "e2e.h"

#include <shellapi.h>

#include <thread>
#include <vector>

namespace e2e {

std::wstring env(const wchar_t* name) {
    wchar_t buffer[MAX_PATH * 2];
    const DWORD n = GetEnvironmentVariableW(name, buffer, MAX_PATH * 2);
    return n > 0 && n < MAX_PATH * 2 ? std::wstring(buffer, n) : std::wstring();
}

namespace {

void copyOrFail(const std::wstring& from, const std::wstring& to) {
    if (!CopyFileW(from.c_str(), to.c_str(), FALSE)) ADD_FAILURE() << "cannot copy " << from << " to " << to;
}

struct WindowSearch {
    DWORD pid;
    const std::function<bool(HWND)>& wanted;
    HWND found;
};

BOOL CALLBACK checkWindow(HWND w, LPARAM p) {
    auto& search = *reinterpret_cast<WindowSearch*>(p);
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == search.pid && search.wanted(w)) search.found = w;
    return search.found == nullptr;
}

// The first top-level window of the process that the predicate accepts, polled for until the time is up.
HWND waitForTopWindow(DWORD pid, const std::function<bool(HWND)>& wanted, Ms timeout) {
    WindowSearch search{pid, wanted, nullptr};
    waitFor([&] {
        EnumWindows(checkWindow, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
    }, timeout);
    return search.found;
}

// Puts the settings in place before the first test.
class ValidSettingsEnvironment : public ::testing::Environment {
    void SetUp() override { storeValidSettings(); }
};
const auto* const g_validSettings = ::testing::AddGlobalTestEnvironment(new ValidSettingsEnvironment);

}  // namespace

GameFolder::GameFolder(bool demoEngine) : ScratchFolder(false) {
    const std::wstring dist = env(L"SKELVANE_DIST");
    for (const wchar_t* name : {L"Skelvane.exe", L"language.txt", L"korvex.ini"})
        copyOrFail(dist + L"\\" + name, file(name));
    copyOrFail(demoEngine ? dist + L"\\Korvex.dll" : env(L"SKELVANE_TEST_ENGINE_DLL"), file(L"Korvex.dll"));
    CopyFileW((dist + L"\\fmod.dll").c_str(), file(L"fmod.dll").c_str(), FALSE);  // optional
}

GameFolder::~GameFolder() {
    EXPECT_EQ(GetFileAttributesW(file(L"Tolmira").c_str()), INVALID_FILE_ATTRIBUTES) << "a crash report was written";
}

Process::Process(const std::wstring& exe, const std::wstring& arguments, const std::wstring& workingDir,
                 const std::map<std::wstring, std::wstring>& environment, bool asPlayer) {
    for (const auto& [name, value] : environment) SetEnvironmentVariableW(name.c_str(), value.c_str());
    bool started;
    if (asPlayer) {
        SHELLEXECUTEINFOW shell{};
        shell.cbSize = sizeof shell, shell.fMask = SEE_MASK_NOCLOSEPROCESS, shell.nShow = SW_SHOWNORMAL;
        shell.lpFile = exe.c_str(), shell.lpParameters = arguments.c_str(), shell.lpDirectory = workingDir.c_str();
        started = ShellExecuteExW(&shell) && shell.hProcess;
        m_info.hProcess = shell.hProcess;
        m_info.dwProcessId = started ? GetProcessId(shell.hProcess) : 0;
    } else {
        std::wstring commandLine = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        started = CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 workingDir.c_str(), &startup, &m_info);
    }
    if (!started) ADD_FAILURE() << "cannot start " << exe << ": error " << GetLastError();
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
    return {{L"SKELVANE_TEST_ENGINE_LOG", folder.file(L"engine.log")}, {L"LOCALAPPDATA", folder.path()},
            {L"SKELVANE_TEST_ENGINE", std::wstring(script.begin(), script.end())}};
}

DWORD runPeer(const std::wstring& arguments) {
    wchar_t path[MAX_PATH];
    const std::wstring self(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
    const Process peer(self.substr(0, self.rfind(L'\\') + 1) + L"peer.exe", arguments, L"C:\\");
    DWORD code = 99;
    EXPECT_TRUE(peer.waitExit(20s, code));
    return code;
}

bool waitFor(const std::function<bool()>& predicate, Ms timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (predicate()) return true;
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(50ms);
    }
}

void pressKeys(std::initializer_list<WORD> keys) {
    std::vector<INPUT> strokes;
    for (bool up : {false, true})
        for (size_t i = 0; i < keys.size(); ++i) {
            INPUT stroke{};
            stroke.type = INPUT_KEYBOARD;
            stroke.ki.wVk = keys.begin()[up ? keys.size() - 1 - i : i];
            stroke.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
            strokes.push_back(stroke);
        }
    SendInput(static_cast<UINT>(strokes.size()), strokes.data(), sizeof(INPUT));
}

HWND waitForGameWindow(DWORD pid, Ms timeout) {
    return waitForTopWindow(pid, [](HWND w) {
        return ui::className(w) == L"Korvex//Class" && ui::text(w) == L"Korvex//Window";
    }, timeout);
}

HWND waitForDialogWith(DWORD pid, int controlId, Ms timeout) {
    return waitForTopWindow(pid, [&](HWND w) {
        return ui::className(w) == L"#32770" && GetDlgItem(w, controlId) && IsWindowVisible(w);
    }, timeout);
}

WindowScale scaleOf(HWND window) {
    // Looked up: the tests are built for Windows 7, as the launcher is.
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    const auto context = reinterpret_cast<HANDLE(WINAPI*)(HWND)>(GetProcAddress(user32, "GetWindowDpiAwarenessContext"));
    const auto awareness = reinterpret_cast<int(WINAPI*)(HANDLE)>(GetProcAddress(user32, "GetAwarenessFromDpiAwarenessContext"));
    const auto dpi = reinterpret_cast<UINT(WINAPI*)(HWND)>(GetProcAddress(user32, "GetDpiForWindow"));
    RECT client{};
    GetClientRect(window, &client);
    return {awareness(context(window)), dpi(window), {client.right, client.bottom}};
}

std::optional<DWORD> storedDword(const std::wstring& subkey, const wchar_t* name) {
    const std::wstring key = kSettingsRoot + (subkey.empty() ? L"" : L"\\" + subkey);
    DWORD value = 0, size = sizeof value;
    const auto read = RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_DWORD, 0, &value, &size);
    return read == ERROR_SUCCESS ? std::optional<DWORD>(value) : std::nullopt;
}

void deleteSettings() { RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsRoot); }

void storeValidSettings() {
    deleteSettings();
    ASSERT_TRUE(writeSettingsForThisMachine()) << "cannot store settings for this machine's adapter";
}

void FirstStartTest::SetUp() {
    deleteSettings();
    folder.writeLanguage({L"T_SETTINGS=Game settings", L"T_START=Play", L"T_SET_APPLY_ERR_HDR=Not saved",
                          L"T_SET_APPLY_ERR_MSG=Could not save.", L"T_INFORMATION=Warnings",
                          L"T_SNDDEVICE=Output", L"T_SNDFREQ=Sample ra&te", L"T_IGNORE_WARNINGS=&Ignore warnings",
                          L"T_SPEAKERMODE_STEREO=Two speakers",
                          L"T_SPEAKERMODE_HEADPHONES=Headphones"});
}

}  // namespace e2e
