#include "app/crash_upload_queue.h"

#include <algorithm>
#include <cwchar>

#include "config/launch_settings.h"
#include "win/handles.h"

namespace crash {

namespace {

constexpr ULONGLONG kHour = 36000000000ull;  // FILETIME units
// Earliest time of each try after the first, from the first: the next start, then 1 h, 6 h, a day.
constexpr ULONGLONG kTryDelay[kMaxTries] = {0, 0, kHour, 6 * kHour, 24 * kHour};

const std::wstring kRecordsKey = std::wstring(kSettingsKey) + L"\\CrashUploads";

struct StoredRecord {
    DWORD tries;
    DWORD stage;
    DWORD firstTryLow;
    DWORD firstTryHigh;
};

win::CRegKey recordsKey(bool create) {
    win::CRegKey key;
    if (create)
        RegCreateKeyExW(HKEY_CURRENT_USER, kRecordsKey.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, key.put(), nullptr);
    else
        RegOpenKeyExW(HKEY_CURRENT_USER, kRecordsKey.c_str(), 0, KEY_READ | KEY_WRITE, key.put());
    return key;
}

bool loadRecord(HKEY key, const std::wstring& name, UploadRecord& record) {
    StoredRecord stored{};
    DWORD type = 0, size = sizeof stored;
    if (!key || RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&stored), &size) != ERROR_SUCCESS ||
        type != REG_BINARY || size != sizeof stored)
        return false;
    record.tries = stored.tries;
    record.stage = static_cast<UploadStage>(stored.stage);
    record.firstTry = (ULONGLONG{stored.firstTryHigh} << 32) | stored.firstTryLow;
    return true;
}

bool storeRecord(const std::wstring& name, const UploadRecord& record) {
    const win::CRegKey key = recordsKey(true);
    const StoredRecord stored{record.tries, static_cast<DWORD>(record.stage), static_cast<DWORD>(record.firstTry),
                              static_cast<DWORD>(record.firstTry >> 32)};
    return key && RegSetValueExW(key.get(), name.c_str(), 0, REG_BINARY, reinterpret_cast<const BYTE*>(&stored),
                                 sizeof stored) == ERROR_SUCCESS;
}

void forgetRecord(const std::wstring& name) {
    if (const win::CRegKey key = recordsKey(false)) RegDeleteValueW(key.get(), name.c_str());
}

bool endsWith(const wchar_t* text, const wchar_t* tail) {
    const size_t n = wcslen(text), m = wcslen(tail);
    return n >= m && _wcsicmp(text + n - m, tail) == 0;
}

ULONGLONG ticks(const FILETIME& time) { return (ULONGLONG{time.dwHighDateTime} << 32) | time.dwLowDateTime; }

}  // namespace

Turn turnOf(UploadRecord record, ULONGLONG now) {
    switch (record.stage) {
    case UploadStage::Declined: return Turn::Declined;
    case UploadStage::Committed: return Turn::InDoubt;
    case UploadStage::Sending: ++record.tries; break;
    case UploadStage::Waiting: break;
    }
    if (record.tries >= kMaxTries) return Turn::GiveUp;
    return now >= record.firstTry + kTryDelay[record.tries] ? Turn::Send : Turn::Later;
}

std::vector<PendingReport> CUploadQueue::takeTurns(ULONGLONG now) {
    struct Found {
        std::wstring name;
        ULONGLONG written;
    };
    std::vector<Found> found;
    WIN32_FIND_DATAW data;
    const HANDLE search = FindFirstFileW(path(L"Skelvane-*.dmp").c_str(), &data);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            // Complete reports only: the pattern's *.dmp also matches longer extensions in short names.
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY || !endsWith(data.cFileName, L".dmp")) continue;
            if ((ULONGLONG{data.nFileSizeHigh} << 32 | data.nFileSizeLow) > kMaxReportBytes) continue;
            found.push_back({data.cFileName, ticks(data.ftLastWriteTime)});
        } while (FindNextFileW(search, &data));
        FindClose(search);
    }
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) { return a.written > b.written; });

    std::vector<PendingReport> turns;
    const win::CRegKey key = recordsKey(false);
    for (const Found& report : found) {
        UploadRecord record;
        const bool recorded = loadRecord(key.get(), report.name, record);
        switch (recorded ? turnOf(record, now) : Turn::Send) {
        case Turn::Send:
            if (turns.size() < kReportsPerStart) turns.push_back({report.name, recorded});
            break;
        case Turn::GiveUp: drop(report.name, L"given up after " + std::to_wstring(kMaxTries) + L" tries"); break;
        case Turn::InDoubt:
            drop(report.name, L"deleted: the game ended while it was being sent, it may have arrived");
            break;
        case Turn::Later:
            if (record.stage == UploadStage::Sending) {
                ++record.tries;
                record.stage = UploadStage::Waiting;
                storeRecord(report.name, record);
                note(report.name, L"not sent: the game ended while it was being sent");
            }
            break;
        case Turn::Declined: break;
        }
    }

    // Records of reports that are gone (deleted by the player, or the oldest pruned).
    if (key) {
        std::vector<std::wstring> stale;
        wchar_t name[MAX_PATH];
        for (DWORD i = 0;; ++i) {
            DWORD length = MAX_PATH;
            if (RegEnumValueW(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            if (GetFileAttributesW(path(name).c_str()) == INVALID_FILE_ATTRIBUTES) stale.push_back(name);
        }
        for (const std::wstring& gone : stale) RegDeleteValueW(key.get(), gone.c_str());
    }
    return turns;
}

void CUploadQueue::decline(const std::vector<PendingReport>& reports) {
    for (const PendingReport& report : reports)
        if (!report.asked) storeRecord(report.name, UploadRecord{0, UploadStage::Declined, 0});
}

bool CUploadQueue::beginTry(const std::wstring& name, ULONGLONG now) {
    UploadRecord record;
    const win::CRegKey key = recordsKey(false);
    if (!loadRecord(key.get(), name, record) || record.tries == 0) record.firstTry = now;
    if (record.stage == UploadStage::Sending) ++record.tries;  // cut off at the last start
    record.stage = UploadStage::Sending;
    // Without the record a cut-off try could be sent once more: then it is not sent at all.
    return storeRecord(name, record);
}

void CUploadQueue::commit(const std::wstring& name) {
    UploadRecord record;
    const win::CRegKey key = recordsKey(false);
    loadRecord(key.get(), name, record);
    record.stage = UploadStage::Committed;
    storeRecord(name, record);
}

void CUploadQueue::sent(const std::wstring& name, DWORD status) {
    drop(name, L"sent (HTTP " + std::to_wstring(status) + L")");
}

void CUploadQueue::refused(const std::wstring& name, DWORD status) {
    drop(name, L"refused by the crash service (HTTP " + std::to_wstring(status) + L"), deleted");
}

void CUploadQueue::failed(const std::wstring& name, const std::wstring& why) {
    UploadRecord record;
    const win::CRegKey key = recordsKey(false);
    loadRecord(key.get(), name, record);
    ++record.tries;
    record.stage = UploadStage::Waiting;
    if (record.tries >= kMaxTries) {
        drop(name, L"not sent (" + why + L"), given up after " + std::to_wstring(record.tries) + L" tries");
        return;
    }
    storeRecord(name, record);
    note(name, L"not sent (" + why + L"), try " + std::to_wstring(record.tries) + L" of " + std::to_wstring(kMaxTries));
}

void CUploadQueue::drop(const std::wstring& name, const std::wstring& what) {
    DeleteFileW(path(name).c_str());
    forgetRecord(name);
    note(name, what);
}

void CUploadQueue::note(const std::wstring& name, const std::wstring& what) const {
    SYSTEMTIME utc;
    GetSystemTime(&utc);
    wchar_t when[32];
    swprintf(when, 32, L"%04u-%02u-%02u %02u:%02u:%02u UTC ", utc.wYear, utc.wMonth, utc.wDay, utc.wHour, utc.wMinute,
             utc.wSecond);
    const std::wstring line = when + name + L": " + what + L"\r\n";
    const int size = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
    std::string text(size > 0 ? size : 0, '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), text.data(), size, nullptr, nullptr);
    const HANDLE log = CreateFileW(path(L"uploads.log").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE) return;
    const win::CKernelHandle holder(log);
    DWORD written = 0;
    WriteFile(log, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

}  // namespace crash
