// The desktop-resolution section of the device check: the game's windows and menus need a
// desktop of at least 800 x 600.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <string>

constexpr UINT kMinimumDesktopWidth = 800;
constexpr UINT kMinimumDesktopHeight = 600;

// Appends the resolution findings for the adapter's current display mode.
void appendResolutionFindings(IDirect3D9& d3d, UINT adapter, std::wstring& report);
