// Embedded media: RCDATA resources of the executable.
#include "platform/win32/resources.h"

#include <windows.h>

Bytes resource_bytes(const char* name) {
    if (!name || !*name) return Bytes();
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceA(module, name, MAKEINTRESOURCEA(10) /* RT_RCDATA */);
    if (!found) return Bytes();
    HGLOBAL loaded = LoadResource(module, found);
    DWORD size = SizeofResource(module, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data || size == 0) return Bytes();
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return Bytes(bytes, bytes + size);
}
