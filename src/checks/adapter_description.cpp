#include "checks/adapter_description.h"

#include <cstring>

#include "win/ansi_text.h"

std::wstring adapterDescription(const D3DADAPTER_IDENTIFIER9& identifier) {
    return win::widenAnsi(identifier.Description, strnlen(identifier.Description, sizeof identifier.Description));
}
