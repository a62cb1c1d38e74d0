// The name Direct3D gives an adapter, as the player reads it.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <string>

// The narrow description widened with the ANSI code page; the field need not end in a terminator.
std::wstring adapterDescription(const D3DADAPTER_IDENTIFIER9& identifier);
