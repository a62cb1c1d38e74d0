// The device check: everything about one Direct3D 9 adapter that falls short of what the game
// needs, as a check report (check_report.h). Sections, in order: video-driver age, desktop
// resolution, device capabilities.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <string>

#include "app/exports.h"
#include "checks/driver_age_check.h"
#include "config/language_table.h"
#include "win/handles.h"

// Runs the capability tests on one caps record in their fixed order, one line per failed test.
void appendCapsFindings(const D3DCAPS9& caps, std::wstring& report);

// The whole report for one adapter, with the driver-age section fed by the given services.
std::wstring buildCapsReport(IDirect3D9& d3d, UINT adapter, D3DDEVTYPE deviceType, const CLocalize& localize,
                             const DriverAgeServices& services);

// The report for one adapter with the system's own services. Takes a reference of its own to the
// Direct3D object and gives it back on return. Empty when nothing was found.
SKELVANE_EXPORT std::wstring checkD3DCaps(win::CComPtr<IDirect3D9> d3d, UINT adapter, D3DDEVTYPE deviceType,
                                          const CLocalize& localize);
