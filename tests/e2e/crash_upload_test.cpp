// Crash reports sent to the studio's crash service by the real launcher: a crash of the test
// engine, then the next start asks, sends on Send to a receiving server the test runs
// (tests/crash/crash_receiver.py, SKELVANE_CRASH_RECEIVER names its folder), and keeps, retries or
// deletes each report as its answer says. Run in the crash reports' own session
// (tests/crash/run_crash_tests.sh); skipped elsewhere.
#include <gtest/gtest.h>

#include <string>

#include "e2e.h"
#include "version.h"

using namespace e2e;

namespace {

constexpr int kSend = 1031, kAlways = 1032;  // the question's Send button and check box
constexpr wchar_t kSample[] = L"Skelvane-1.0.0-20261201-120000-42.dmp";

bool exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class CrashUpload : public LauncherTest {
protected:
    void SetUp() override {
        if (receiver().empty()) GTEST_SKIP() << "run by tests/crash/run_crash_tests.sh beside a receiving server";
        storeValidSettings();
        for (const wchar_t* sub : {L"Tolmira", L"Tolmira\\Skelvane", L"Tolmira\\Skelvane\\Crashes"})
            CreateDirectoryW(folder.file(sub).c_str(), nullptr);
    }
    void TearDown() override {
        LauncherTest::TearDown();
        if (receiver().empty()) return;
        for (const wchar_t* name : {L"received-*", L"status", L"tls\\received-*"}) removeAll(receiver(), name);
        removeAll(folder.crashFolder(), L"*");
        for (const wchar_t* sub : {L"Tolmira\\Skelvane\\Crashes", L"Tolmira\\Skelvane", L"Tolmira"})
            RemoveDirectoryW(folder.file(sub).c_str());
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kSettingsRoot, L"SendCrashReports");
        RegDeleteKeyW(HKEY_CURRENT_USER, (std::wstring(kSettingsRoot) + L"\\CrashUploads").c_str());
        storeValidSettings();
    }
    static std::wstring receiver() { return env(L"SKELVANE_CRASH_RECEIVER"); }
    static std::wstring received(int n, const wchar_t* type) {
        return receiver() + L"\\received-" + std::to_wstring(n) + type;
    }
    static void removeAll(const std::wstring& dir, const std::wstring& pattern) {
        const size_t at = pattern.find_last_of(L'\\');
        const std::wstring in = at == std::wstring::npos ? dir : dir + L"\\" + pattern.substr(0, at);
        for (const std::wstring& name : test::filesIn(in, pattern.substr(at + 1))) DeleteFileW((in + L"\\" + name).c_str());
    }
    void serveAt(const std::string& url) { ASSERT_TRUE(folder.write(L"crash_upload_url.txt", url + "\r\n")); }
    void serve() { serveAt("http://127.0.0.1:" + test::readFile(receiver() + L"\\port") + "/submit"); }
    void answer(int status) { ASSERT_TRUE(test::writeFile(receiver() + L"\\status", std::to_string(status))); }
    std::wstring report(const wchar_t* name = kSample) const { return folder.crashFolder() + L"\\" + name; }
    // A report of an earlier crash: the one the first test made.
    void placeReport(const wchar_t* name = kSample) {
        ASSERT_TRUE(CopyFileW((receiver() + L"\\sample.dmp").c_str(), report(name).c_str(), FALSE)) << "no crash made";
    }
    std::string uploadsLog() const { return test::readFile(folder.crashFolder() + L"\\uploads.log"); }
    // Starts the launcher and answers its question; false when none came.
    bool startAndAnswer(int button, bool always = false) {
        start();
        const HWND question = waitForDialogWith(process->pid(), kSend, 20s);
        if (!question) return false;
        if (always) SendMessageW(GetDlgItem(question, kAlways), BM_CLICK, 0, 0);
        clickButton(question, button);
        return true;
    }
    // Starts the launcher, which must go to the game without a question.
    void startWithoutQuestion() {
        start();
        ASSERT_TRUE(gameWindow());
        EXPECT_FALSE(waitForDialogWith(process->pid(), kSend, 0ms)) << "asked";
    }
};

// The whole way: the engine crashes, the next start asks before the settings dialog the crash
// brings up, and on Send the service receives the dump unchanged with the fields; the dump is gone.
TEST_F(CrashUpload, ACrashIsSentOnSend) {
    start(L"", engineEnv(folder, "die=access"));
    DWORD code = 0;
    ASSERT_TRUE(process->waitExit(40s, code));
    const std::vector<std::wstring> dumps = test::filesIn(folder.crashFolder(), L"*.dmp");
    ASSERT_EQ(dumps.size(), 1u);
    const std::wstring dump = folder.crashFolder() + L"\\" + dumps.front();
    const std::string bytes = test::readFile(dump);
    ASSERT_FALSE(bytes.empty());
    ASSERT_TRUE(CopyFileW(dump.c_str(), (receiver() + L"\\sample.dmp").c_str(), FALSE));

    serve();
    ASSERT_TRUE(startAndAnswer(kSend));
    const HWND settings = waitForDialogWith(process->pid(), kTabs, 20s);
    ASSERT_TRUE(settings) << "the crash's settings dialog comes after the question";
    clickButton(settings, 3);
    ASSERT_TRUE(waitFor([&] { return exists(received(1, L".txt")); }, 30s)) << "nothing received";
    // Byte for byte but the player's folder names: this game folder is in the user's temporary folder.
    const std::string arrived = test::readFile(received(1, L".dmp"));
    EXPECT_EQ(arrived.size(), bytes.size());
    EXPECT_TRUE(arrived.compare(0, 32, bytes, 0, 32) == 0) << "the header as written";
    const std::wstring profile = env(L"USERPROFILE");
    const std::string profileText(reinterpret_cast<const char*>(profile.c_str()), profile.size() * 2);
    EXPECT_NE(bytes.find(profileText), std::string::npos) << "the dump held the user's folder";
    EXPECT_EQ(arrived.find(profileText), std::string::npos) << "the user's folder left the machine";
    // Read back with tools/read_crash.sh by the script, as the dump itself is.
    CopyFileW(received(1, L".dmp").c_str(), (env(L"SKELVANE_CRASH_KEEP") + L"\\received.dmp").c_str(), FALSE);
    const std::string request = test::readFile(received(1, L".txt"));
    wchar_t id[40] = L"";
    DWORD size = sizeof id;
    RegGetValueW(HKEY_CURRENT_USER, kSettingsRoot, L"CrashReportInstallId", RRF_RT_REG_SZ, nullptr, id, &size);
    ASSERT_EQ(wcslen(id), 32u);
#ifdef _WIN64
    const char* platform = "win64";
#else
    const char* platform = "win32";
#endif
    for (const std::string& line :
         {std::string("POST /submit\n"), std::string("multipart/form-data; boundary="), std::string("field prod=Skelvane\n"),
          std::string("field ver=" SKELVANE_VERSION_STRING "\n"), "field guid=" + std::string(id, id + 32) + "\n",
          "field platform=" + std::string(platform) + "\n", std::string("field exception_code=0xC0000005\n"),
          std::string("field crash_time=1")})
        EXPECT_NE(request.find(line), std::string::npos) << line << " not in\n" << request;
    EXPECT_TRUE(waitFor([&] { return !exists(dump); })) << "a sent report is deleted";
    closeGame();
    EXPECT_NE(uploadsLog().find("sent (HTTP 200)"), std::string::npos) << uploadsLog();
    EXPECT_FALSE(exists(received(2, L".txt"))) << "sent once";
}

// Don't send keeps the report and sends nothing, and the question does not come back for it; without
// an address nothing is asked at all, nor after the player said no for good (SendCrashReports 0).
TEST_F(CrashUpload, DontSendKeepsTheReportAndNoAddressAsksNothing) {
    placeReport();
    startWithoutQuestion();
    closeGame();
    serve();
    ASSERT_TRUE(startAndAnswer(IDCANCEL));
    closeGame();
    startWithoutQuestion();
    closeGame();
    const wchar_t* second = L"Skelvane-1.0.0-20261202-120000-43.dmp";
    placeReport(second);
    const DWORD never = 0;
    RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsRoot, L"SendCrashReports", REG_DWORD, &never, sizeof never);
    startWithoutQuestion();
    closeGame();
    EXPECT_TRUE(exists(report()) && exists(report(second)));
    EXPECT_FALSE(exists(received(1, L".txt"))) << "sent after Don't send";
}

// With the service down the report stays, and the next start sends it without asking again.
TEST_F(CrashUpload, AReportThatFailedIsSentAtTheNextStart) {
    placeReport();
    serveAt("http://127.0.0.1:1/submit");  // nobody listens there
    ASSERT_TRUE(startAndAnswer(kSend));
    ASSERT_TRUE(gameWindow());
    EXPECT_TRUE(waitFor([&] { return uploadsLog().find("not sent") != std::string::npos; }, 30s)) << uploadsLog();
    closeGame();
    EXPECT_TRUE(exists(report()));
    EXPECT_NE(uploadsLog().find("try 1 of 5"), std::string::npos) << uploadsLog();

    serve();
    startWithoutQuestion();
    EXPECT_TRUE(waitFor([&] { return exists(received(1, L".txt")); }, 30s)) << "not sent again";
    EXPECT_TRUE(waitFor([&] { return !exists(report()); }));
    closeGame();
}

// "Always send" is remembered: no question the next time. A report the service refuses (413, 400)
// is deleted and noted, not tried again.
TEST_F(CrashUpload, AlwaysSendAsksNoMoreAndRefusedReportsAreDeleted) {
    placeReport();
    serve();
    answer(413);
    ASSERT_TRUE(startAndAnswer(kSend, true));
    EXPECT_TRUE(waitFor([&] { return exists(received(1, L".txt")) && !exists(report()); }, 30s));
    closeGame();
    EXPECT_EQ(storedDword(L"", L"SendCrashReports"), 1u);
    EXPECT_NE(uploadsLog().find("refused by the crash service (HTTP 413)"), std::string::npos) << uploadsLog();

    const wchar_t* second = L"Skelvane-1.0.0-20261202-120000-43.dmp";
    placeReport(second);
    answer(400);
    startWithoutQuestion();
    EXPECT_TRUE(waitFor([&] { return exists(received(2, L".txt")) && !exists(report(second)); }, 30s));
    closeGame();
    EXPECT_NE(uploadsLog().find("(HTTP 400)"), std::string::npos) << uploadsLog();
}

// Over HTTPS, to a receiver whose certificate a throwaway authority signed that only the test's
// prefix trusts; with the player's standing "always send".
TEST_F(CrashUpload, GoesOverHttps) {
    placeReport();
    serveAt("https://localhost:" + test::readFile(receiver() + L"\\tls\\port") + "/submit");
    const DWORD always = 1;
    RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsRoot, L"SendCrashReports", REG_DWORD, &always, sizeof always);
    startWithoutQuestion();
    EXPECT_TRUE(waitFor([&] { return exists(receiver() + L"\\tls\\received-1.txt") && !exists(report()); }, 30s))
        << uploadsLog();
    closeGame();
}

}  // namespace
