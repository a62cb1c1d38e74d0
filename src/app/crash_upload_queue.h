// The crash reports waiting for the studio's crash service. What each report's tries left is
// recorded under the launcher's registry key (subkey CrashUploads, one value per report), so that a
// report that could not be sent is tried again at later starts, at most five times over at least a
// day, and is never sent again once it may have reached the service. Every outcome is noted in
// uploads.log beside the reports.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace crash {

constexpr DWORD kMaxTries = 5;
constexpr size_t kReportsPerStart = 3;
constexpr ULONGLONG kMaxReportBytes = 20ull * 1024 * 1024;

// Where the last try of a report got to. Committed: all but the closing bytes of the request were
// handed over, so whether the service took it can no longer be told from here.
enum class UploadStage : DWORD { Waiting = 0, Sending = 1, Committed = 2, Declined = 3 };

struct UploadRecord {
    DWORD tries = 0;                          // tries that failed
    UploadStage stage = UploadStage::Waiting;
    ULONGLONG firstTry = 0;                   // FILETIME, UTC
};

enum class Turn { Send, Later, GiveUp, InDoubt, Declined };

// What a report with this record does at a start at `now` (FILETIME units): a try cut off before its
// request was whole counts as failed; the second try may come at the next start, the later ones only
// an hour, six hours and a day after the first.
Turn turnOf(UploadRecord record, ULONGLONG now);

struct PendingReport {
    std::wstring name;   // the dump's file name
    bool asked = false;  // the player said Send for it at an earlier start
};

class CUploadQueue {
public:
    explicit CUploadQueue(std::wstring folder) : m_folder(std::move(folder)) {}

    std::wstring path(const std::wstring& name) const { return m_folder + L"\\" + name; }

    // The reports to send at this start, newest first, at most three, none larger than 20 MB. First
    // settles the others: a report whose last try may have arrived, or that had its last try, is
    // deleted and noted; records of reports that are gone are dropped.
    std::vector<PendingReport> takeTurns(ULONGLONG now);

    // The player said Don't send: the reports are kept, and not offered again.
    void decline(const std::vector<PendingReport>& reports);

    // One try's course, recorded before each step so that a process that ends midway leaves it right.
    bool beginTry(const std::wstring& name, ULONGLONG now);
    void commit(const std::wstring& name);
    void sent(const std::wstring& name, DWORD status);
    void refused(const std::wstring& name, DWORD status);
    void failed(const std::wstring& name, const std::wstring& why);
    // Deleted without a try, or after one that may have arrived: it is never sent again.
    void drop(const std::wstring& name, const std::wstring& what);

    void note(const std::wstring& name, const std::wstring& what) const;

private:
    std::wstring m_folder;
};

}  // namespace crash
