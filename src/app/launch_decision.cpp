#include "app/launch_decision.h"

#include <windows.h>

#include "app/command_line.h"
#include "app/launch_probes.h"
#include "checks/dx_version_gate.h"
#include "settings/settings_dialog.h"
#include "win/trace.h"

namespace {

int decide(const wchar_t* commandLine, const CLocalize& localize, bool& resetSettings, DXGatePlatform& gate,
           SettingsServices services) {
    {
        const win::CTraceStep step("DirectX gate");
        if (!checkDXVersionWith(gate)) return -1;
    }
    const bool show = hasSwitch(commandLine, L"s");
    if (hasSwitch(commandLine, L"r")) resetSettings = true;

    CSettingsDialog dialog(localize, resetSettings, std::move(services));
    int result = 0;
    if (show || dialog.showSettingsAtLaunch() || dialog.settingsInvalid())
        result = dialog.run(GetActiveWindow()) == kSettingsStart ? 0 : 1;
    resetSettings = dialog.resetSettings();
    return result;
}

}  // namespace

int prepare2Run(const wchar_t* commandLine, const CLocalize& localize, bool& resetSettings) {
    DXGatePlatform gate;
    return decide(commandLine, localize, resetSettings, gate, SettingsServices::system());
}

int prepare2Run(const wchar_t* commandLine, const CLocalize& localize, bool& resetSettings, LaunchProbes& probes) {
    DXGatePlatform gate(&probes.dxDiagnostics);
    return decide(commandLine, localize, resetSettings, gate,
                  SettingsServices::system(&probes.direct3D, &probes.videoControllers));
}
