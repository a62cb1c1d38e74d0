// The launch as the player waits for it, against the least the same job needs, all in one run and
// alternating so that a busy machine weighs on every figure alike:
// - process start to the first presented frame, with valid stored settings (no dialog);
// - process start to the visible settings dialog on a first start (nothing stored);
// - the reference program's first frame (a bare window with a Direct3D 9 device);
// - the DirectX diagnostic query alone, timed inside a small program that makes it as the launcher
//   does. The game window may appear only after that query, so reference + query is the floor.
// Usage: startup_bench REFERENCE_EXE QUERY_EXE ROUNDS GAME_FOLDER [GAME_FOLDER ...]
// Several game folders (for instance a build before and after a change) are measured side by side.
// A game folder that names a crash service (crash_upload_url.txt) starts each first-frame round with
// a crash report waiting and the player's "always send": SKELVANE_BENCH_REPORT names the dump.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_support.h"
#include "valid_settings.h"

namespace {

constexpr wchar_t kSettingsKey[] = L"Software\\Tolmira\\Skelvane";

struct Started {
    PROCESS_INFORMATION pi{};
    double start = 0;
    bool ok = false;

    Started(const std::wstring& exe, const std::wstring& arguments, const std::wstring& dir) {
        std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
        STARTUPINFOW si{};
        si.cb = sizeof si;
        start = nowMs();
        ok = CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si,
                            &pi) != FALSE;
    }
    ~Started() {
        if (!ok) return;
        if (WaitForSingleObject(pi.hProcess, 60000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
};

// Puts a copy of the bench's dump among the crash reports, under a name of its own, and lets the
// launcher send it without asking, when the folder names a crash service.
void pendReport(const std::wstring& folder, int round) {
    wchar_t dump[MAX_PATH], local[MAX_PATH];
    if (GetFileAttributesW((folder + L"\\crash_upload_url.txt").c_str()) == INVALID_FILE_ATTRIBUTES ||
        !GetEnvironmentVariableW(L"SKELVANE_BENCH_REPORT", dump, MAX_PATH) ||
        !GetEnvironmentVariableW(L"LOCALAPPDATA", local, MAX_PATH))
        return;
    std::wstring crashes = local;
    for (const wchar_t* sub : {L"\\Tolmira", L"\\Skelvane", L"\\Crashes"}) CreateDirectoryW((crashes += sub).c_str(), nullptr);
    CopyFileW(dump, (crashes + L"\\Skelvane-1.0.0-20261201-000000-" + std::to_wstring(round) + L".dmp").c_str(), FALSE);
    const DWORD always = 1;
    RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, L"SendCrashReports", REG_DWORD, &always, sizeof always);
}

// Milliseconds from process start to its first frame (-1: never). The game is closed as a player
// would close it; the reference ends by itself.
double timeFirstFrame(const std::wstring& exe, const std::wstring& dir) {
    const HANDLE event = CreateEventW(nullptr, TRUE, FALSE, L"Local\\KorvexFirstFrame");
    double elapsed = -1;
    {
        const Started p(exe, L"", dir);
        if (p.ok && WaitForSingleObject(event, 30000) == WAIT_OBJECT_0) elapsed = nowMs() - p.start;
        if (HWND game = FindWindowW(L"Korvex//Class", L"Korvex//Window")) PostMessageW(game, WM_CLOSE, 0, 0);
    }
    CloseHandle(event);
    return elapsed;
}

struct DialogSearch {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK matchSettingsDialog(HWND w, LPARAM p) {
    auto* s = reinterpret_cast<DialogSearch*>(p);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid != s->pid || !IsWindowVisible(w) || !GetDlgItem(w, 1002)) return TRUE;  // 1002: its tab control
    s->found = w;
    return FALSE;
}

// Milliseconds from process start to the settings dialog on screen, nothing being stored (-1:
// never). The dialog is then cancelled.
double timeSettingsDialog(const std::wstring& exe, const std::wstring& dir) {
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    const Started p(exe, L"", dir);
    if (!p.ok) return -1;
    DialogSearch search{p.pi.dwProcessId, nullptr};
    // Looked for every 10 ms: a tighter search keeps the one Wine server busy with window lists
    // and slows the very start it measures (by a few hundred milliseconds on two cores).
    while (WaitForSingleObject(p.pi.hProcess, 10) == WAIT_TIMEOUT && nowMs() - p.start < 30000) {
        EnumWindows(matchSettingsDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found) break;
    }
    const double elapsed = search.found ? nowMs() - p.start : -1;
    if (search.found) PostMessageW(search.found, WM_COMMAND, IDCANCEL, 0);
    return elapsed;
}

// The query program's own figure for one query in a fresh process (-1: none).
double timeQueryAlone(const std::wstring& exe, const std::wstring& dir) {
    const std::wstring out = dir + L"\\query-ms.txt";
    DeleteFileW(out.c_str());
    { const Started p(exe, L"\"" + out + L"\"", dir); }
    double ms = -1;
    if (FILE* f = _wfopen(out.c_str(), L"rb")) {
        if (std::fscanf(f, "%lf", &ms) != 1) ms = -1;
        std::fclose(f);
    }
    DeleteFileW(out.c_str());
    return ms;
}

// Of the rounds that gave a figure; -1 when none did.
double median(std::vector<double> v) {
    v.erase(std::remove_if(v.begin(), v.end(), [](double t) { return t < 0; }), v.end());
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: startup_bench REFERENCE_EXE QUERY_EXE ROUNDS GAME_FOLDER [GAME_FOLDER ...]\n");
        return 2;
    }
    const std::wstring reference = argv[1], query = argv[2];
    const int rounds = std::max(1, _wtoi(argv[3]));
    const std::vector<std::wstring> folders(argv + 4, argv + argc);

    std::vector<double> ref, alone;
    std::vector<std::vector<double>> frame(folders.size()), dialog(folders.size());
    timeFirstFrame(reference, folders[0]);  // warm the caches once for all
    for (int i = 0; i < rounds; ++i) {
        ref.push_back(timeFirstFrame(reference, folders[0]));
        alone.push_back(timeQueryAlone(query, folders[0]));
        for (size_t f = 0; f < folders.size(); ++f) {
            // Settings for this machine, so the launcher goes straight to the game as for a player.
            if (!writeSettingsForThisMachine()) {
                std::fprintf(stderr, "startup_bench: cannot store settings for this machine\n");
                return 1;
            }
            pendReport(folders[f], i);
            frame[f].push_back(timeFirstFrame(folders[f] + L"\\Skelvane.exe", folders[f]));
            dialog[f].push_back(timeSettingsDialog(folders[f] + L"\\Skelvane.exe", folders[f]));
        }
    }
    writeSettingsForThisMachine();

    const double r = median(ref), q = median(alone), floor = r + q;
    std::printf("reference first frame %.0f ms, diagnostic query alone %.0f ms, floor (sum) %.0f ms (medians of %d)\n",
                r, q, floor, rounds);
    bool failed = r < 0 || q < 0;
    for (size_t f = 0; f < folders.size(); ++f) {
        const double g = median(frame[f]), d = median(dialog[f]);
        std::printf("%ls\n  start to first frame      %5.0f ms  %.2f x reference  %.2f x floor\n"
                    "  start to settings dialog  %5.0f ms  %.2f x reference  %.2f x floor\n",
                    folders[f].c_str(), g, r > 0 ? g / r : 0.0, floor > 0 ? g / floor : 0.0, d,
                    r > 0 ? d / r : 0.0, floor > 0 ? d / floor : 0.0);
        failed = failed || g < 0 || d < 0;
    }
    std::fflush(stdout);
    return failed ? 1 : 0;
}
