#include "app/crash_upload.h"

#include <objbase.h>

#include "app/crash_consent_dialog.h"
#include "app/crash_dump_contents.h"
#include "app/crash_dump_folder.h"
#include "app/crash_upload_address.h"
#include "app/crash_upload_queue.h"
#include "app/crash_upload_request.h"
#include "config/launch_settings.h"
#include "version.h"
#include "win/handles.h"
#include "win/trace.h"

namespace crash {

namespace {

constexpr wchar_t kConsent[] = L"SendCrashReports";
constexpr wchar_t kInstallId[] = L"CrashReportInstallId";
constexpr DWORD kFinishMs = 3000;   // a report under way at the game's end
constexpr DWORD kCutOffMs = 2000;   // and its record, once cut off

ULONGLONG now() {
    FILETIME time;
    GetSystemTimeAsFileTime(&time);
    return (ULONGLONG{time.dwHighDateTime} << 32) | time.dwLowDateTime;
}

std::string randomHex() {
    GUID guid{};
    if (FAILED(CoCreateGuid(&guid))) return {};
    unsigned char bytes[sizeof guid];
    memcpy(bytes, &guid, sizeof guid);
    std::string text;
    for (unsigned char b : bytes) {
        text += "0123456789abcdef"[b >> 4];
        text += "0123456789abcdef"[b & 15];
    }
    return text;
}

bool readFile(const std::wstring& path, std::string& bytes) {
    const HANDLE opened = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return false;
    const win::CKernelHandle file(opened);
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(opened, &size) || size.QuadPart > static_cast<LONGLONG>(kMaxReportBytes)) return false;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    return ReadFile(opened, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) && read == bytes.size();
}

std::string narrow(const std::wstring& text) {
    std::string result;
    for (wchar_t c : text) result += c < 0x80 ? static_cast<char>(c) : '_';
    return result;
}

}  // namespace

Consent storedConsent() {
    DWORD value = 0, size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, kConsent, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
        return Consent::Ask;
    return value == 1 ? Consent::Always : value == 0 ? Consent::Never : Consent::Ask;
}

void storeAlwaysSend() {
    win::CRegKey key;
    const DWORD one = 1;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr) ==
        ERROR_SUCCESS)
        RegSetValueExW(key.get(), kConsent, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
}

std::string installId() {
    wchar_t stored[40] = {};
    DWORD size = sizeof stored;
    if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, kInstallId, RRF_RT_REG_SZ, nullptr, stored, &size) == ERROR_SUCCESS &&
        wcslen(stored) == 32)
        return narrow(stored);
    const std::string made = randomHex();
    const std::wstring wide(made.begin(), made.end());
    win::CRegKey key;
    if (!made.empty() && RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                         key.put(), nullptr) == ERROR_SUCCESS)
        RegSetValueExW(key.get(), kInstallId, 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                       static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
    return made;
}

struct CCrashUpload::Batch {
    Batch(const UploadAddress& address, const std::wstring& folder) : address(address), queue(folder) {}
    void sendOne(const std::wstring& name);

    const UploadAddress address;
    CUploadQueue queue;
    std::vector<PendingReport> reports;
    std::string installId;
    CUploadRequest request;
    volatile LONG stopping = 0;
};

CCrashUpload::CCrashUpload() = default;

void CCrashUpload::offer(const CLocalize& localize) {
    const std::optional<UploadAddress> address = readUploadAddress();
    const Consent consent = address ? storedConsent() : Consent::Never;
    if (consent == Consent::Never) return;
    Path folder;
    if (!makeDumpFolder(folder)) return;
    auto batch = std::make_unique<Batch>(*address, folder);
    batch->reports = batch->queue.takeTurns(now());
    if (batch->reports.empty()) return;

    bool ask = consent == Consent::Ask;
    if (ask) {
        // Reports the player let go at an earlier start are tried again without a second question.
        ask = false;
        for (const PendingReport& report : batch->reports) ask |= !report.asked;
    }
    if (ask) {
        CCrashConsentDialog question(localize);
        const bool send = question.ask();
        if (!send) {
            batch->queue.decline(batch->reports);
            return;
        }
        if (question.alwaysSend()) storeAlwaysSend();
    }
    batch->installId = installId();
    m_thread = CreateThread(nullptr, 0, sendAll, batch.get(), 0, nullptr);
    if (m_thread) m_batch = std::move(batch);
}

CCrashUpload::~CCrashUpload() {
    if (!m_thread) return;
    if (WaitForSingleObject(m_thread, kFinishMs) == WAIT_TIMEOUT) {
        InterlockedExchange(&m_batch->stopping, 1);
        m_batch->request.cancel();
        // A thread that still has not stopped keeps what it works on; the ending process takes both.
        if (WaitForSingleObject(m_thread, kCutOffMs) == WAIT_TIMEOUT) (void)m_batch.release();
    }
    CloseHandle(m_thread);
}

DWORD WINAPI CCrashUpload::sendAll(void* data) {
    auto& batch = *static_cast<Batch*>(data);
    const win::CTraceStep step("crash upload");
    for (const PendingReport& report : batch.reports) {
        if (batch.stopping) break;
        batch.sendOne(report.name);
    }
    return 0;
}

void CCrashUpload::Batch::sendOne(const std::wstring& name) {
    std::string bytes;
    if (!readFile(queue.path(name), bytes)) return;  // gone, or being written: a later start sees it
    CDumpContents dump(std::move(bytes));
    if (!dump.isDump()) {
        queue.drop(name, L"deleted: not a crash report");
        return;
    }
    wchar_t profile[MAX_PATH] = L"";
    const DWORD n = GetEnvironmentVariableW(L"USERPROFILE", profile, MAX_PATH);
    dump.stripUserFolders(n > 0 && n < MAX_PATH ? profile : L"");

    char code[16];
    snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(dump.exceptionCode()));
#ifdef _WIN64
    const char* platform = "win64";
#else
    const char* platform = "win32";
#endif
    const std::vector<FormField> fields = {{"prod", "Skelvane"},
                                           {"ver", SKELVANE_VERSION_STRING},
                                           {"guid", installId},
                                           {"platform", platform},
                                           {"crash_time", std::to_string(dump.crashTime())},
                                           {"exception_code", code}};
    const MultipartBody body = multipartBody(fields, narrow(name), dump.bytes(), "SkelvaneReport" + randomHex());

    // Recorded before anything goes out: a try that cannot be recorded is not made.
    if (!queue.beginTry(name, now())) return;
    bool committed = false;
    const UploadResult result = request.send(address, body, [&] {
        queue.commit(name);
        committed = true;
    });
    if (result.status >= 200 && result.status < 300)
        queue.sent(name, result.status);
    else if (result.status >= 400 && result.status < 500)
        queue.refused(name, result.status);
    else if (committed && result.status == 0)
        queue.drop(name, L"no answer once it was sent (" + result.failure + L"); deleted, as it may have arrived");
    else
        queue.failed(name, result.status ? L"HTTP " + std::to_wstring(result.status) : result.failure);
}

}  // namespace crash
