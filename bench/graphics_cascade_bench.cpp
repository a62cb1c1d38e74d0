// How long the graphics page takes from a selection in the adapter list to the end of the cascade
// (device check, colour depths, resolutions, antialiasing, quality), inside the real settings
// dialog under the real Direct3D object, with and without the driver-date check. The reference is
// the catalogue alone: the same Direct3D questions with no device check and no controls.
#include <windows.h>
#include <d3d9.h>
#include <ole2.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/startup.h"
#include "config/language_table.h"
#include "res/resource.h"
#include "settings/display_mode_catalogue.h"
#include "settings/settings_dialog.h"
#include "win/handles.h"

namespace {

double nowMs() {
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void report(const char* name, double first, std::vector<double> times) {
    std::sort(times.begin(), times.end());
    double sum = 0;
    for (double t : times) sum += t;
    std::printf("%-44s first %8.3f ms  median %8.3f ms  min %8.3f ms  max %8.3f ms  mean %8.3f ms  (%zu runs)\n",
                name, first, times[times.size() / 2], times.front(), times.back(), sum / times.size(), times.size());
    std::fflush(stdout);
}

void measure(const char* name, int runs, const std::function<void()>& body) {
    const double startFirst = nowMs();
    body();
    const double first = nowMs() - startFirst;
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double start = nowMs();
        body();
        times.push_back(nowMs() - start);
    }
    report(name, first, times);
}

HWND findControl(HWND dialog, int id) {
    struct Search {
        int id;
        HWND found;
    } s{id, nullptr};
    EnumChildWindows(
        dialog,
        [](HWND w, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            if (GetDlgCtrlID(w) != s->id) return TRUE;
            s->found = w;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&s));
    return s.found;
}

// The dialog under measurement and what to do once it is up.
CSettingsDialog* g_dialog = nullptr;
std::function<void(HWND)> g_body;

void CALLBACK onTimer(HWND, UINT, UINT_PTR id, DWORD) {
    if (!g_dialog || !g_dialog->hwnd() || !IsWindowVisible(g_dialog->hwnd())) return;
    KillTimer(nullptr, id);
    g_body(g_dialog->hwnd());
    PostMessageW(g_dialog->hwnd(), WM_COMMAND, IDCANCEL, 0);
}

// Selects the first adapter again and again, each time as the player's selection arrives: the
// page forwards it to the settings dialog, which runs the whole cascade before returning.
void measureDialog(const char* name, int runs, const CLocalize& localize) {
    CSettingsDialog dialog(localize, false);
    g_dialog = &dialog;
    g_body = [&](HWND window) {
        const HWND adapters = findControl(window, IDC_ADAPTER);
        const HWND page = GetParent(adapters);
        measure(name, runs, [&] {
            SendMessageW(adapters, CB_SETCURSEL, 0, 0);
            SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_ADAPTER, CBN_SELCHANGE), reinterpret_cast<LPARAM>(adapters));
        });
    };
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, onTimer);
    dialog.run(nullptr);
    KillTimer(nullptr, timer);
    g_dialog = nullptr;
}

void writeOptions(const char* text) {
    FILE* f = _wfopen(L"korvex.ini", L"wb");
    if (!f) return;
    std::fputs(text, f);
    std::fclose(f);
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    appPreInit();
    if (!appInit(GetModuleHandleW(nullptr))) return 1;
    const win::CModule richEdit(LoadLibraryW(L"RICHED20.DLL"));

    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    const std::wstring folder = std::wstring(base) + L"skelvane-cascade-bench";
    CreateDirectoryW(folder.c_str(), nullptr);
    SetCurrentDirectoryW(folder.c_str());
    const CLocalize localize;

    {
        const win::CComPtr<IDirect3D9> d3d(Direct3DCreate9(D3D_SDK_VERSION));
        if (!d3d) {
            std::printf("no Direct3D 9 object\n");
            return 1;
        }
        GraphicsSettings g;
        applyDesktopModeDefault(g, *d3d);
        measure("reference: catalogue alone, no check", runs, [&] {
            listColourDepths(*d3d, 0, g);
            listResolutions(*d3d, 0, static_cast<D3DFORMAT>(g.AdapterFormat), g);
            const std::vector<D3DFORMAT> depths = listDepthStencilFormats(
                *d3d, 0, static_cast<D3DFORMAT>(g.AdapterFormat), static_cast<D3DFORMAT>(g.SurfaceFormat));
            listMultisampleTypes(*d3d, 0, static_cast<D3DFORMAT>(g.SurfaceFormat), depths, g, localize);
            listQualityLevels(countQualityLevels(*d3d, 0, static_cast<D3DFORMAT>(g.SurfaceFormat), depths,
                                                 static_cast<D3DMULTISAMPLE_TYPE>(g.MultiSampleType)),
                              g);
        });
    }

    DeleteFileW(L"korvex.ini");
    measureDialog("adapter selection, no driver date", runs, localize);
    writeOptions("[OPTIONS]\r\nVideoDrvLoDate=01.01.1990\r\n");
    measureDialog("adapter selection, driver date (recent)", runs, localize);
    writeOptions("[OPTIONS]\r\nVideoDrvLoDate=01.01.2100\r\n");
    measureDialog("adapter selection, driver date (old, shown)", runs, localize);

    DeleteFileW(L"korvex.ini");
    SetCurrentDirectoryW(base);
    RemoveDirectoryW(folder.c_str());
    appTerm();
    return 0;
}
