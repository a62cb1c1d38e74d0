#include "valid_settings.h"

#include <windows.h>
#include <d3d9.h>
#include <objbase.h>

#include <initializer_list>
#include <string>
#include <utility>

namespace {

const std::wstring kKey = kSettingsRoot;

bool writeDwords(const std::wstring& key, std::initializer_list<std::pair<const wchar_t*, DWORD>> values) {
    for (const auto& [name, value] : values)
        if (RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_DWORD, &value, sizeof value) != ERROR_SUCCESS)
            return false;
    return true;
}

}  // namespace

bool writeSettingsForThisMachine() {
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    if (!d3d) return false;
    D3DADAPTER_IDENTIFIER9 id{};
    D3DDISPLAYMODE desktop{};
    const bool read = SUCCEEDED(d3d->GetAdapterIdentifier(0, 0, &id)) && SUCCEEDED(d3d->GetAdapterDisplayMode(0, &desktop));
    d3d->Release();
    if (!read) return false;
    wchar_t guid[64] = {};
    StringFromGUID2(id.DeviceIdentifier, guid, 64);

    const std::wstring graphics = kKey + L"\\Graphics";
    const DWORD guidSize = static_cast<DWORD>((wcslen(guid) + 1) * sizeof(wchar_t));
    return writeDwords(kKey, {{L"ShowSettingsAtLaunch", 0}}) &&
           RegSetKeyValueW(HKEY_CURRENT_USER, graphics.c_str(), L"DeviceIdentifier", REG_SZ, guid, guidSize) == 0 &&
           writeDwords(graphics,
                       {{L"AdapterOrdinal", 0}, {L"AdapterFormat", desktop.Format}, {L"Width", desktop.Width},
                        {L"Height", desktop.Height}, {L"RefreshRate", desktop.RefreshRate},
                        {L"SurfaceFormat", desktop.Format}, {L"MultiSampleType", 0}, {L"MultiSampleQuality", 0},
                        {L"VSync", 0}, {L"BackBufferCount", 1}, {L"GlowEnable", 0}}) &&
           writeDwords(kKey + L"\\Sound", {{L"SoundOutput", 0xFFFFFFFF}, {L"SoundDriver", 0},
                                          {L"SoundSpeakerMode", 4}, {L"SoundSampleRate", 22050}});
}
