// Time from process start to the first presented frame: the launcher with the demo engine
// against the reference program, alternating, in the same run.
// Usage: startup_bench GAME_FOLDER REFERENCE_EXE [rounds]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_support.h"
#include "valid_settings.h"

namespace {

// Starts the program and returns the milliseconds until it signals its first frame (-1: never).
double timeFirstFrame(const std::wstring& exe, const std::wstring& dir) {
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, L"Local\\KorvexFirstFrame");
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    const double start = nowMs();
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi)) {
        CloseHandle(event);
        return -1;
    }
    const bool signalled = WaitForSingleObject(event, 30000) == WAIT_OBJECT_0;
    const double elapsed = nowMs() - start;
    // Close the game the way a player would; the reference ends by itself.
    if (HWND game = FindWindowW(L"Korvex//Class", L"Korvex//Window")) PostMessageW(game, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    CloseHandle(event);
    return signalled ? elapsed : -1;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: startup_bench GAME_FOLDER REFERENCE_EXE [rounds]\n");
        return 2;
    }
    const std::wstring folder = argv[1], reference = argv[2];
    const int rounds = argc > 3 ? _wtoi(argv[3]) : 7;
    // Settings for this machine, so the launcher goes straight to the game as it does for a player.
    if (!writeSettingsForThisMachine()) {
        std::fprintf(stderr, "startup_bench: cannot store settings for this machine\n");
        return 1;
    }
    std::vector<double> game, ref;
    timeFirstFrame(reference, folder);  // warm the caches once for both
    for (int i = 0; i < rounds; ++i) {
        game.push_back(timeFirstFrame(folder + L"\\Skelvane.exe", folder));
        ref.push_back(timeFirstFrame(reference, folder));
    }
    const double g = median(game), r = median(ref);
    std::printf("start-up to first frame: launcher %.0f ms, reference %.0f ms, ratio %.2f (median of %d)\n", g, r,
                r > 0 ? g / r : 0.0, rounds);
    return g < 0 || r < 0 ? 1 : 0;
}
