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
#include "bench_support.h"
#include "config/language_table.h"
#include "res/resource.h"
#include "settings/display_mode_catalogue.h"
#include "settings/settings_dialog.h"
#include "unit/settings_dialog_harness.h"
#include "win/handles.h"

namespace {

// Selects the first adapter again and again, each time as the player's selection arrives: the
// page forwards it to the settings dialog, which runs the whole cascade before returning.
void measureDialog(const char* name, int runs, const CLocalize& localize) {
    CSettingsDialog dialog(localize, false);
    harness::runDialog(dialog, [&](HWND window) {
        measure(name, runs, [&] { harness::select(window, IDC_ADAPTER, 0); });
    });
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
