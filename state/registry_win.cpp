#include "state/registry_win.h"

#include <windows.h>

namespace {

HKEY RootKey(RegRoot root) {
    return root == RegRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

HKEY Handle(RegKey key) {
    return static_cast<HKEY>(key);
}

// Reads a value of any type; `type` receives the type stored.
bool Query(RegKey key, const char* name, void* data, std::uint32_t* size, DWORD* type) {
    DWORD bytes = *size;
    if (RegQueryValueExA(Handle(key), name, nullptr, type, static_cast<BYTE*>(data), &bytes) !=
            ERROR_SUCCESS ||
        bytes > *size) {
        return false;
    }
    *size = bytes;
    return true;
}

}  // namespace

bool WinRegistry::OpenKey(RegRoot root, const char* path, RegAccess access, RegKey* key) {
    HKEY opened = nullptr;
    const REGSAM sam = access == RegAccess::Read ? KEY_READ : KEY_ALL_ACCESS;
    if (RegOpenKeyExA(RootKey(root), path, 0, sam, &opened) != ERROR_SUCCESS) {
        return false;
    }
    *key = opened;
    return true;
}

bool WinRegistry::CreateKey(RegRoot root, const char* path, RegKey* key) {
    HKEY created = nullptr;
    if (RegCreateKeyExA(RootKey(root), path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &created, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    *key = created;
    return true;
}

bool WinRegistry::ReadValue(RegKey key, const char* name, void* data, std::uint32_t* size) {
    DWORD type = 0;
    return Query(key, name, data, size, &type);
}

bool WinRegistry::ReadTypedValue(RegKey key, const char* name, RegType type, void* data,
                                 std::uint32_t* size) {
    DWORD stored = 0;
    return Query(key, name, data, size, &stored) && stored == static_cast<DWORD>(type);
}

bool WinRegistry::WriteValue(RegKey key, const char* name, RegType type, const void* data,
                             std::uint32_t size) {
    return RegSetValueExA(Handle(key), name, 0, static_cast<DWORD>(type),
                          static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

bool WinRegistry::DeleteValue(RegKey key, const char* name) {
    const LSTATUS status = RegDeleteValueA(Handle(key), name);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

bool WinRegistry::ValueCount(RegKey key, std::uint32_t* count) {
    DWORD values = 0;
    if (RegQueryInfoKeyA(Handle(key), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    *count = values;
    return true;
}

bool WinRegistry::ValueNameAt(RegKey key, std::uint32_t index, char* name, std::uint32_t* size) {
    DWORD length = *size;
    if (length == 0 ||
        RegEnumValueA(Handle(key), index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS ||
        length >= *size) {
        return false;
    }
    name[length] = '\0';
    *size = length;
    return true;
}

bool WinRegistry::DeleteKey(RegRoot root, const char* path) {
    return RegDeleteKeyA(RootKey(root), path) == ERROR_SUCCESS;
}

void WinRegistry::CloseKey(RegKey key) {
    RegCloseKey(Handle(key));
}
