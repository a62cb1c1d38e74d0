// Where the time before the game window goes: each step of the launch decision on its own,
// run the way the launcher runs it (first call in a fresh process, then again).
#include <windows.h>
#include <d3d9.h>
#include <ole2.h>

#include <cstdio>
#include <functional>

#include "app/startup.h"
#include "bench_support.h"
#include "checks/caps_check.h"
#include "checks/dx_version.h"
#include "checks/dx_version_gate.h"
#include "config/launch_settings.h"
#include "settings/settings_dialog.h"

namespace {

void step(const char* name, const std::function<void()>& body) {
    const double t0 = nowMs();
    body();
    const double first = nowMs() - t0;
    const double t1 = nowMs();
    body();
    std::printf("%-36s first %8.1f ms   again %8.1f ms\n", name, first, nowMs() - t1);
}

}  // namespace

int main() {
    appPreInit();
    const CLocalize localize;
    step("checkDXVersion (version + D3DX)", [] { checkDXVersion(); });
    step("  of it: diagnostic component", [] {
        DXVersion v;
        dxVersionFromDiagnostics(v);
    });
    win::CComPtr<IDirect3D9> d3d;
    step("Direct3DCreate9", [&] { d3d = win::CComPtr<IDirect3D9>(Direct3DCreate9(D3D_SDK_VERSION)); });
    step("speaker configuration (DirectSound)", [] {
        SoundSettings sound;
        CDirectSoundSpeakers speakers;
        applySpeakerModeDefault(sound, speakers);
    });
    step("loadSettings", [&] {
        LaunchSettings settings;
        loadSettings(settings, *d3d);
    });
    step("checkD3DCaps", [&] { checkD3DCaps(d3d, 0, D3DDEVTYPE_HAL, localize); });
    step("settings dialog object, whole", [&] { CSettingsDialog dialog(localize, false); });
    OleUninitialize();
    return 0;
}
