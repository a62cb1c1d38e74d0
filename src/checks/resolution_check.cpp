#include "checks/resolution_check.h"

#include <cwchar>

#include "checks/check_report.h"

namespace {

std::wstring sizeText(UINT width, UINT height) {
    wchar_t text[256];
    std::swprintf(text, 256, L"%ux%u", width, height);
    return text;
}

}  // namespace

void appendResolutionFindings(IDirect3D9& d3d, UINT adapter, std::wstring& report) {
    D3DDISPLAYMODE mode{};
    if (FAILED(d3d.GetAdapterDisplayMode(adapter, &mode))) {
        appendReportLine(report, L"can't get current display resolution");
        return;
    }
    if (mode.Width >= kMinimumDesktopWidth && mode.Height >= kMinimumDesktopHeight) return;
    appendReportLine(report, L"current display resolution is too low");
    appendReportLine(report, L"  current resolution is: " + sizeText(mode.Width, mode.Height));
    appendReportLine(report, L"  minimum required resolution is: " +
                                 sizeText(kMinimumDesktopWidth, kMinimumDesktopHeight));
}
