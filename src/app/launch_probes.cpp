#include "app/launch_probes.h"

#include "checks/video_controller_query.h"
#include "config/options_file.h"
#include "win/com.h"
#include "win/trace.h"

LaunchProbes startLaunchProbes() {
    LaunchProbes probes;
    // The slowest first. Each thread that uses COM enters an apartment of its own.
    probes.dxDiagnostics = DXDiagnosticsProbe([] {
        const win::CTraceStep step("probe: DirectX diagnostic query");
        return askDXDiagnostics();
    });
    probes.direct3D = Direct3DProbe([] {
        const win::CTraceStep step("probe: Direct3DCreate9");
        return win::CComPtr<IDirect3D9>(Direct3DCreate9(D3D_SDK_VERSION));
    });
    // The rows matter only to the driver-age check, which needs a date to compare with.
    DriverDate lowest;
    if (parseDriverDateSetting(readOption(L"korvex.ini", L"OPTIONS", L"VideoDrvLoDate", L""), lowest)) {
        probes.videoControllers = VideoControllerProbe([] {
            const win::CTraceStep step("probe: video-controller rows");
            const win::CComApartment apartment;
            return queryVideoControllers();
        });
    }
    return probes;
}
