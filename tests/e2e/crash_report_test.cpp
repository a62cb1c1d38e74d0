// Crash reports of the real launcher: the test engine dies in each way a game can, and the launcher
// leaves one whole dump of it beside the newest of earlier runs, and shows the settings dialog at the
// next start; its own fatal errors and crashes another module's filter answers for leave none.
// These run only in a prefix of their own (tests/crash/run_crash_tests.sh, which names
// SKELVANE_CRASH_KEEP): a stack overflow on the main thread can leave the launcher half-ended under
// Wine until the prefix's server stops. The script then reads each kept dump back with
// tools/read_crash.sh.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>
#include <vector>

#include "e2e.h"
#include "version.h"

using namespace e2e;

namespace {

// The launcher's local application data folder is the game folder, or a folder below it whose
// crash reports folder has 225 characters. Beside the launcher lie files named as the system
// libraries the crash path and the warnings load, which the launcher must not take: copies of the
// sound library, which Wine prefers to its own for the launcher (chooseLibraries) when they are
// looked for by bare name.
class CrashReport : public LauncherTest {
protected:
    std::wstring appData;
    std::wstring crashes;  // in the extended form, which reaches past MAX_PATH

    void SetUp() override {
        if (keep().empty()) GTEST_SKIP() << "run by tests/crash/run_crash_tests.sh in a prefix of its own";
        storeValidSettings();
        useAppData(folder.path());
        for (const wchar_t* name : {L"dbghelp.dll", L"RICHED20.DLL"})
            ASSERT_TRUE(CopyFileW(folder.file(L"fmod.dll").c_str(), folder.file(name).c_str(), FALSE));
        chooseLibraries(L"native,builtin");
    }
    void TearDown() override {
        LauncherTest::TearDown();
        storeValidSettings();
        RegDeleteTreeW(HKEY_CURRENT_USER, kWineOverrides);
        for (const std::wstring& name : test::filesIn(crashes)) {
            SetFileAttributesW((crashes + L"\\" + name).c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW((crashes + L"\\" + name).c_str());
        }
        for (const wchar_t* sub : {L"\\Tolmira\\Skelvane\\Crashes", L"\\Tolmira\\Skelvane", L"\\Tolmira", L""})
            RemoveDirectoryW((L"\\\\?\\" + appData + sub).c_str());
    }
    // Wine's choice between a library beside the launcher and its own, for the launcher alone
    // ("" is neither: the library cannot be loaded).
    static void chooseLibraries(const wchar_t* choice) {
        RegDeleteTreeW(HKEY_CURRENT_USER, kWineOverrides);
        for (const wchar_t* name : {L"dbghelp", L"riched20"})
            RegSetKeyValueW(HKEY_CURRENT_USER, kWineOverrides, name, REG_SZ, choice,
                            static_cast<DWORD>((wcslen(choice) + 1) * sizeof(wchar_t)));
    }
    static constexpr const wchar_t* kWineOverrides = L"Software\\Wine\\AppDefaults\\Skelvane.exe\\DllOverrides";
    void useAppData(const std::wstring& path) {
        appData = path;
        crashes = L"\\\\?\\" + path + L"\\Tolmira\\Skelvane\\Crashes";
    }
    void useLongAppData() {
        const size_t length = 225 - std::wstring(L"\\Tolmira\\Skelvane\\Crashes").size();
        useAppData(folder.path() + L"\\" + std::wstring(length - folder.path().size() - 1, L'L'));
        ASSERT_TRUE(CreateDirectoryW(appData.c_str(), nullptr));
    }
    std::map<std::wstring, std::wstring> environment(const std::string& script) {
        auto variables = engineEnv(folder, script);
        variables[L"LOCALAPPDATA"] = appData;
        return variables;
    }
    static std::wstring keep() { return env(L"SKELVANE_CRASH_KEEP"); }
};

// Another module's crash filter, set before the launcher's (here the engine's, as it loads), is
// asked first and its answer is what the system gets: "continue execution" keeps the game running
// with no report; "search on" ends it with one. After that crash the next start shows the settings
// dialog, so that a choice that crashes the game can be changed; Start plays as always, and the
// game's normal end forgets the crash.
TEST_F(CrashReport, AnotherModulesFilterDecidesFirst) {
    start(L"", environment("filter=continue;die=raise"));
    ASSERT_TRUE(waitFor([&] { return folder.engineLog().find("raise survived") != std::string::npos; }, 20s));
    closeGame();
    EXPECT_TRUE(test::filesIn(crashes).empty());
    EXPECT_FALSE(storedDword(L"", L"LastRunCrashed"));

    start(L"", environment("filter=search;die=raise"));
    ASSERT_TRUE(waitFor([] { return storedDword(L"", L"LastRunCrashed") == 1u; }, 40s));
    EXPECT_EQ(test::filesIn(crashes).size(), 1u);

    start(L"", environment(""));
    const HWND dialog = waitForDialogWith(process->pid(), kTabs, 20s);
    ASSERT_TRUE(dialog);
    clickButton(dialog, 3);  // Start
    closeGame();
    EXPECT_FALSE(storedDword(L"", L"LastRunCrashed"));
}

// The launcher's own fatal errors are no crash: after its box, no report and no mark. The window
// class taken (by the engine as it loads) ends through the runtime's abort; a rich-edit library that
// cannot be loaded ends the launch with 1.
TEST_F(CrashReport, OwnFatalErrorsLeaveNoReport) {
    const struct {
        const char* script;
        const wchar_t* libraries;
        const wchar_t* box;
        DWORD exitCode;
    } cases[] = {{"takeClass", L"native,builtin", L"Fatal error|can't register window class", 3},
                 {"", L"", L"Fatal error|can't load RICHED20.DLL", 1}};
    for (const auto& fatal : cases) {
        chooseLibraries(fatal.libraries);
        start(L"", environment(fatal.script));
        const HWND box = waitForMessageBox(process->pid());
        ASSERT_TRUE(box) << fatal.box;
        EXPECT_EQ(messageBoxText(box), fatal.box);
        clickButton(box, IDOK);
        EXPECT_EQ(exitCode(), fatal.exitCode) << fatal.box;
        EXPECT_EQ(GetFileAttributesW((appData + L"\\Tolmira").c_str()), INVALID_FILE_ATTRIBUTES) << fatal.box;
        EXPECT_FALSE(storedDword(L"", L"LastRunCrashed")) << fatal.box;
    }
}

class WayOfDying : public CrashReport, public ::testing::WithParamInterface<const char*> {};

// Ten dumps of earlier runs, a minute apart and all later than this run (the clock was set back),
// the oldest read-only, and a dump an earlier process left half-written.
const wchar_t* const kEarlier = L"Skelvane-0.9.0-20350101-0000";

void writeEarlierDumps(const std::wstring& crashes) {
    for (size_t at = 4; (at = crashes.find(L'\\', at + 1)) != std::wstring::npos;)  // past "\\?\"
        CreateDirectoryW(crashes.substr(0, at).c_str(), nullptr);
    CreateDirectoryW(crashes.c_str(), nullptr);
    for (int i = 0; i < 11; ++i) {
        const std::wstring name = crashes + L"\\" +
                                  (i < 10 ? kEarlier + std::to_wstring(10 + i) + L"-7.dmp"
                                          : L"Skelvane-0.9.0-20250101-000000-7.dmp.part");
        const HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        SYSTEMTIME when{2035, 1, 0, 1, 0, static_cast<WORD>(i), 0, 0};
        FILETIME time;
        SystemTimeToFileTime(&when, &time);
        SetFileTime(file, &time, &time, &time);
        CloseHandle(file);
        if (i == 0) SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_READONLY);
    }
}

// One whole dump, named after the version, the time and the process, in place of the oldest dump
// that can be removed; the leftover is gone, the run is marked as crashed, and power saving given
// back as a normal end would. The dump is kept for
// the read-back under the way's name.
TEST_P(WayOfDying, LeavesOneWholeDumpInPlaceOfTheOldest) {
    const std::string way = GetParam();
    if (way == "divide" || way == "exit") useLongAppData();
    writeEarlierDumps(crashes);
    ASSERT_EQ(powerSwitches(true), 7u);
    start(L"", environment("die=" + way));
    // The mark is set once the dump is written whole; meanwhile no empty file bears a dump's name.
    bool cut = false;
    ASSERT_TRUE(waitFor([&] {
        for (const std::wstring& file : test::filesIn(crashes)) {
            WIN32_FILE_ATTRIBUTE_DATA data{};
            cut |= file.find(kEarlier) != 0 && file.size() > 4 && file.substr(file.size() - 4) == L".dmp" &&
                   GetFileAttributesExW((crashes + L"\\" + file).c_str(), GetFileExInfoStandard, &data) &&
                   data.nFileSizeLow == 0 && data.nFileSizeHigh == 0;
        }
        return storedDword(L"", L"LastRunCrashed") == 1u;
    }, 40s)) << "no crash recorded";
    EXPECT_FALSE(cut) << "a dump showed under its name before it was whole";
    DWORD code = 0;
    process->waitExit(10s, code);  // after a stack overflow the process may never be seen to end
    EXPECT_EQ(powerSwitches(), 7u) << "power saving given back as a normal end would";
    std::vector<std::wstring> dumps = test::filesIn(crashes);
    ASSERT_EQ(dumps.size(), 10u);
    const std::wstring mine = dumps.back();
    dumps.pop_back();
    std::vector<std::wstring> kept = {kEarlier + std::wstring(L"10-7.dmp")};
    for (int i = 2; i < 10; ++i) kept.push_back(kEarlier + std::to_wstring(10 + i) + L"-7.dmp");
    EXPECT_EQ(dumps, kept) << "the read-only dump stays, the next oldest goes";
    const std::wregex name(L"Skelvane-" L"" SKELVANE_VERSION_STRING L"-20[0-9]{6}-[0-9]{6}-" +
                           std::to_wstring(process->pid()) + L"\\.dmp");
    EXPECT_TRUE(std::regex_match(mine, name)) << mine;
    const std::wstring copy = keep() + L"\\" + std::wstring(way.begin(), way.end()) + L".dmp";
    EXPECT_TRUE(CopyFileW((crashes + L"\\" + mine).c_str(), copy.c_str(), FALSE));
}

// A second abort from another thread while the dump is written, an abort in a static destructor as
// the process ends (after the game's last frame), and a stack buffer overrun, which ends through the
// system's fast fail, leave their dump too. The stack overflow goes last: the launcher it leaves
// half-ended still holds its window and guard. Two of them write into a folder whose path, at 225
// characters, leaves no room for a dump's name within MAX_PATH.
INSTANTIATE_TEST_SUITE_P(Engine, WayOfDying,
                         ::testing::Values("access", "illegal", "divide", "terminate", "threads", "abort2", "exit",
                                           "overrun", "stack"),
                         [](const ::testing::TestParamInfo<const char*>& way) { return std::string(way.param); });

}  // namespace
