#include "checks/adapter_description.h"

#include <cstring>

std::wstring adapterDescription(const D3DADAPTER_IDENTIFIER9& identifier) {
    const int length = static_cast<int>(strnlen(identifier.Description, sizeof identifier.Description));
    if (length == 0) return {};
    const int n = MultiByteToWideChar(CP_ACP, 0, identifier.Description, length, nullptr, 0);
    if (n <= 0) return {};
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, identifier.Description, length, wide.data(), n);
    return wide;
}
