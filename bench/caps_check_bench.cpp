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
#include "checks/caps_check.h"

namespace {

double nowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
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
    std::sort(times.begin(), times.end());
    double sum = 0;
    for (double t : times) sum += t;
    std::printf("%-34s first %8.3f ms  median %8.3f ms  min %8.3f ms  max %8.3f ms  mean %8.3f ms  (%d runs)\n", name,
                first, times[times.size() / 2], times.front(), times.back(), sum / runs, runs);
}

void writeOptions(const char* text) {
    FILE* f = _wfopen(L"korvex.ini", L"wb");
    if (!f) return;
    std::fputs(text, f);
    std::fclose(f);
}

}  // namespace

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
