// Crash reports of the real launcher: the test engine dies in each way a game can, and the launcher
// leaves one dump of it beside the ten newest of earlier runs, and shows the settings dialog at the
// next start. These run only in a prefix of their own (tests/crash/run_crash_tests.sh, which names
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

std::vector<std::wstring> dumpsIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder + L"\\*.dmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do names.push_back(found.cFileName);
    while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

// The next start after a crash shows the settings dialog (end to end with the settings dialog's tests).
class CrashReport : public LauncherTest {
protected:
    void SetUp() override {
        if (keep().empty()) GTEST_SKIP() << "run by tests/crash/run_crash_tests.sh in a prefix of its own";
        storeValidSettings();
    }
    void TearDown() override {
        LauncherTest::TearDown();
        storeValidSettings();
        for (const std::wstring& name : dumpsIn(folder.crashFolder())) DeleteFileW((folder.crashFolder() + L"\\" + name).c_str());
        for (const wchar_t* sub : {L"Tolmira\\Skelvane\\Crashes", L"Tolmira\\Skelvane", L"Tolmira"})
            RemoveDirectoryW(folder.file(sub).c_str());
    }
    static std::wstring keep() { return env(L"SKELVANE_CRASH_KEEP"); }
};

class WayOfDying : public CrashReport, public ::testing::WithParamInterface<const char*> {};

// Ten dumps of earlier runs, a minute apart, the first the oldest: the new one makes eleven, and
// the oldest goes.
void writeEarlierDumps(const GameFolder& folder) {
    const std::wstring crashes = folder.crashFolder();
    for (const wchar_t* sub : {L"Tolmira", L"Tolmira\\Skelvane", L"Tolmira\\Skelvane\\Crashes"})
        CreateDirectoryW(folder.file(sub).c_str(), nullptr);
    for (int i = 0; i < 10; ++i) {
        const std::wstring path = crashes + L"\\Skelvane-0.9.0-20250101-0000" + std::to_wstring(10 + i) + L"-7.dmp";
        const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        SYSTEMTIME when{2025, 1, 0, 1, 0, static_cast<WORD>(i), 0, 0};
        FILETIME time;
        SystemTimeToFileTime(&when, &time);
        SetFileTime(file, &time, &time, &time);
        CloseHandle(file);
    }
}

// One dump, named after the version, the time and the process, in place of the oldest; the run is
// marked as crashed, and power saving given back as a normal end would. The dump is kept for the
// read-back under the way's name.
TEST_P(WayOfDying, LeavesOneDumpInPlaceOfTheOldest) {
    writeEarlierDumps(folder);
    ASSERT_EQ(powerSwitches(true), 7u);
    auto environment = engineEnv(folder, std::string("die=") + GetParam());
    start(L"", environment);
    // The mark is set once the dump is written whole.
    ASSERT_TRUE(waitFor([] { return storedDword(L"", L"LastRunCrashed") == 1u; }, 40s)) << "no crash recorded";
    DWORD code = 0;
    process->waitExit(10s, code);  // after a stack overflow the process may never be seen to end
    EXPECT_EQ(powerSwitches(), 7u);
    const std::vector<std::wstring> dumps = dumpsIn(folder.crashFolder());
    ASSERT_EQ(dumps.size(), 10u);
    EXPECT_EQ(dumps.front(), L"Skelvane-0.9.0-20250101-000011-7.dmp") << "the oldest is gone, the others stay";
    const std::wstring mine = dumps.back();
    const std::wregex name(L"Skelvane-" L"" SKELVANE_VERSION_STRING L"-20[0-9]{6}-[0-9]{6}-" +
                           std::to_wstring(process->pid()) + L"\\.dmp");
    EXPECT_TRUE(std::regex_match(mine, name)) << mine;
    const std::wstring kept = keep() + L"\\" + std::wstring(GetParam(), GetParam() + strlen(GetParam())) + L".dmp";
    EXPECT_TRUE(CopyFileW((folder.crashFolder() + L"\\" + mine).c_str(), kept.c_str(), FALSE));
}

// The stack overflow goes last: the launcher it leaves half-ended still holds its window and guard.
INSTANTIATE_TEST_SUITE_P(Engine, WayOfDying,
                         ::testing::Values("access", "illegal", "divide", "abort", "terminate", "threads", "stack"),
                         [](const ::testing::TestParamInfo<const char*>& way) { return std::string(way.param); });

}  // namespace
