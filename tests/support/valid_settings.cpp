#include "valid_settings.h"

#include <windows.h>
#include <d3d9.h>
#include <objbase.h>

#include <initializer_list>
#include <string>
#include <utility>

namespace {

bool writeValues(const wchar_t* subkey, std::initializer_list<std::pair<const wchar_t*, DWORD>> values,
                 const wchar_t* identifier = nullptr) {
    const std::wstring path = std::wstring(L"Software\\Tolmira\\Skelvane") + (*subkey ? L"\\" : L"") + subkey;
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    bool ok = true;
    for (const auto& [name, value] : values)
        ok &= RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
              ERROR_SUCCESS;
    if (identifier)
        ok &= RegSetValueExW(key, L"DeviceIdentifier", 0, REG_SZ, reinterpret_cast<const BYTE*>(identifier),
                             static_cast<DWORD>((wcslen(identifier) + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
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

    return writeValues(L"", {{L"ShowSettingsAtLaunch", 0}}) &&
           writeValues(L"Graphics",
                       {{L"AdapterOrdinal", 0}, {L"AdapterFormat", desktop.Format}, {L"Width", desktop.Width},
                        {L"Height", desktop.Height}, {L"RefreshRate", desktop.RefreshRate},
                        {L"SurfaceFormat", desktop.Format}, {L"MultiSampleType", 0}, {L"MultiSampleQuality", 0},
                        {L"VSync", 0}, {L"BackBufferCount", 1}, {L"GlowEnable", 0}},
                       guid) &&
           writeValues(L"Sound", {{L"SoundOutput", 0xFFFFFFFF}, {L"SoundDriver", 0}, {L"SoundSpeakerMode", 4},
                                  {L"SoundSampleRate", 22050}});
}
