// Crash reports that reach the studio. At a start with reports waiting, when the release named a
// crash service (crash_upload_url.txt in the game folder), the player is asked first, unless they
// chose to always send; on Send the reports go out on a thread of their own while the launch goes
// on. Without the address nothing is asked and nothing leaves the machine.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

class CLocalize;

namespace crash {

class CCrashUpload {
public:
    CCrashUpload();
    // Gives a report under way a few seconds to finish, then cuts it off: the player's exit waits no
    // longer than that.
    ~CCrashUpload();
    CCrashUpload(const CCrashUpload&) = delete;
    CCrashUpload& operator=(const CCrashUpload&) = delete;

    // Before the launch decision, so the question comes before a settings dialog the crash brings up.
    void offer(const CLocalize& localize);

private:
    // What the sending thread works on.
    struct Batch;
    static DWORD WINAPI sendAll(void* batch);

    std::unique_ptr<Batch> m_batch;
    HANDLE m_thread = nullptr;
};

// The player's standing answer, value SendCrashReports of the launcher's registry key: 1 sends
// without asking, 0 sends nothing and never asks; without it the player is asked.
enum class Consent { Ask, Always, Never };
Consent storedConsent();
void storeAlwaysSend();

// The random id of this installation the reports carry (value CrashReportInstallId), made once; it
// is derived from nothing of the machine or the player.
std::string installId();

}  // namespace crash
