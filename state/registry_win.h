// The registry interface on the real (advapi32) registry.
#pragma once

#include "state/registry.h"

class WinRegistry final : public Registry {
  public:
    bool OpenKey(RegRoot root, const char* path, RegAccess access, RegKey* key) override;
    bool CreateKey(RegRoot root, const char* path, RegKey* key) override;
    bool ReadValue(RegKey key, const char* name, void* data, std::uint32_t* size) override;
    bool ReadTypedValue(RegKey key, const char* name, RegType type, void* data,
                        std::uint32_t* size) override;
    bool WriteValue(RegKey key, const char* name, RegType type, const void* data,
                    std::uint32_t size) override;
    bool DeleteValue(RegKey key, const char* name) override;
    bool ValueCount(RegKey key, std::uint32_t* count) override;
    bool ValueNameAt(RegKey key, std::uint32_t index, char* name, std::uint32_t* size) override;
    bool DeleteKey(RegRoot root, const char* path) override;
    void CloseKey(RegKey key) override;
};
