// How long one device check takes under the real Direct3D object and system-management service,
// with and without the driver-age section; the graphics page runs it at every adapter change.
// The reference is the two Direct3D queries any such check needs at the least.
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
#include "checks/caps_check.h"


int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    appPreInit();

    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    const std::wstring folder = std::wstring(base) + L"skelvane-caps-bench";
    CreateDirectoryW(folder.c_str(), nullptr);
    SetCurrentDirectoryW(folder.c_str());

    win::CComPtr<IDirect3D9> d3d(Direct3DCreate9(D3D_SDK_VERSION));
    if (!d3d) {
        std::printf("no Direct3D 9 object\n");
        return 1;
    }
    const CLocalize localize;
    size_t length = 0;

    measure("reference (display mode + caps)", runs, [&] {
        D3DDISPLAYMODE mode{};
        D3DCAPS9 caps{};
        d3d->GetAdapterDisplayMode(0, &mode);
        d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps);
        length += mode.Width + caps.MaxTextureWidth;
    });
    DeleteFileW(L"korvex.ini");
    measure("checkD3DCaps, no driver date", runs,
            [&] { length += checkD3DCaps(d3d, 0, D3DDEVTYPE_HAL, localize).size(); });
    writeOptions("[OPTIONS]\r\nVideoDrvLoDate=01.01.2100\r\n");
    measure("checkD3DCaps, driver date (old)", runs,
            [&] { length += checkD3DCaps(d3d, 0, D3DDEVTYPE_HAL, localize).size(); });
    writeOptions("[OPTIONS]\r\nVideoDrvLoDate=01.01.1990\r\n");
    measure("checkD3DCaps, driver date (recent)", runs,
            [&] { length += checkD3DCaps(d3d, 0, D3DDEVTYPE_HAL, localize).size(); });

    DeleteFileW(L"korvex.ini");
    SetCurrentDirectoryW(base);
    RemoveDirectoryW(folder.c_str());
    d3d.reset();
    OleUninitialize();
    std::printf("(%zu)\n", length);
    return 0;
}
