#include "app/launch_decision.h"

#include <windows.h>

#include "app/command_line.h"
#include "checks/dx_version_gate.h"
#include "settings/settings_dialog.h"

int prepare2Run(const wchar_t* commandLine, const CLocalize& localize, bool& resetSettings) {
    if (!checkDXVersion()) return -1;
    const bool show = hasSwitch(commandLine, L"s");
    if (hasSwitch(commandLine, L"r")) resetSettings = true;

    CSettingsDialog dialog(localize, resetSettings);
    int result = 0;
    if (show || dialog.showSettingsAtLaunch() || dialog.settingsInvalid())
        result = dialog.run(GetActiveWindow()) == kSettingsStart ? 0 : 1;
    resetSettings = dialog.resetSettings();
    return result;
}
