// The small registry interface that the settings store is written against. The Win32
// backend maps it onto advapi32; the tests use an in-memory registry that can fail on
// demand.
#pragma once

#include <cstdint>

enum class RegRoot { CurrentUser, LocalMachine };
enum class RegAccess { Read, All };
enum class RegType : std::uint32_t {
    String = 1,
    Binary = 3,
    Dword = 4,
    MultiString = 7
};  // REG_SZ, REG_BINARY, REG_DWORD, REG_MULTI_SZ

using RegKey = void*;

class Registry {
  public:
    // Opens an existing key. False when it is missing or the access is refused.
    virtual bool OpenKey(RegRoot root, const char* path, RegAccess access, RegKey* key) = 0;
    // Creates a key with full access, or opens it where it exists.
    virtual bool CreateKey(RegRoot root, const char* path, RegKey* key) = 0;
    // Reads a value of any type into `data`, whose capacity is *size bytes. False when
    // the value is missing or holds more than *size bytes; on success *size is the
    // number of bytes stored. Nothing is terminated here.
    virtual bool ReadValue(RegKey key, const char* name, void* data, std::uint32_t* size) = 0;
    // As ReadValue for a value of `type` only: false as well when the value is of another type.
    virtual bool ReadTypedValue(RegKey key, const char* name, RegType type, void* data,
                                std::uint32_t* size) = 0;
    virtual bool WriteValue(RegKey key, const char* name, RegType type, const void* data,
                            std::uint32_t size) = 0;
    // Deletes a value. True when it is gone afterwards: deleted, or not there to begin with.
    virtual bool DeleteValue(RegKey key, const char* name) = 0;
    // The number of values the key holds. False when it cannot be told.
    virtual bool ValueCount(RegKey key, std::uint32_t* count) = 0;
    // The name of the value at `index` (0 to the count - 1, in the registry's own order)
    // into `name`, whose capacity is *size bytes, terminated; on success *size is its length
    // without the terminator. False past the last value or when the name does not fit.
    // Deleting the value at `index` moves the values after it down by one.
    virtual bool ValueNameAt(RegKey key, std::uint32_t index, char* name, std::uint32_t* size) = 0;
    // Deletes a key that has no subkeys, with its values.
    virtual bool DeleteKey(RegRoot root, const char* path) = 0;
    virtual void CloseKey(RegKey key) = 0;

  protected:
    ~Registry() = default;
};
