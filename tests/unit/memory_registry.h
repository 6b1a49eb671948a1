// An in-memory registry for the tests and benchmarks of the settings store. It behaves
// like the real one where the store depends on it (keys and value names without regard to
// letter case, any value type readable, a too-long read fails and leaves the buffer
// scribbled over, deleting a key with subkeys fails, values listed in the order of their
// names without regard to case) and can fail on demand: a key that
// cannot be created, the full access to the machine-wide keys refused, and the k-th
// mutating call (CreateKey, WriteValue, DeleteValue, DeleteKey) failing alone or together
// with every one after it, as when the program ends in the middle of a save.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "state/registry.h"

class MemoryRegistry final : public Registry {
  public:
    struct Value {
        RegType type;
        std::vector<unsigned char> data;
    };

    enum class FailMode { Only, FromThenOn };

    // Registry
    bool OpenKey(RegRoot root, const char* path, RegAccess access, RegKey* key) override;
    bool CreateKey(RegRoot root, const char* path, RegKey* key) override;
    bool ReadValue(RegKey key, const char* name, void* data, std::uint32_t* size) override;
    bool WriteValue(RegKey key, const char* name, RegType type, const void* data,
                    std::uint32_t size) override;
    bool DeleteValue(RegKey key, const char* name) override;
    bool ValueCount(RegKey key, std::uint32_t* count) override;
    bool ValueNameAt(RegKey key, std::uint32_t index, char* name, std::uint32_t* size) override;
    bool DeleteKey(RegRoot root, const char* path) override;
    void CloseKey(RegKey key) override;

    // Setting up and looking at the contents, outside the counted calls.
    void PutKey(RegRoot root, const std::string& path);
    void PutValue(RegRoot root, const std::string& path, const std::string& name, RegType type,
                  const std::vector<unsigned char>& data);
    // A REG_SZ value, with its terminator unless told otherwise.
    void PutString(RegRoot root, const std::string& path, const std::string& name,
                   const std::string& text, bool terminated = true);
    void PutDword(RegRoot root, const std::string& path, const std::string& name,
                  std::uint32_t value);
    void RemoveKey(RegRoot root, const std::string& path);  // with its subkeys
    void RemoveValue(RegRoot root, const std::string& path, const std::string& name);
    bool HasKey(RegRoot root, const std::string& path) const;
    const Value* GetValue(RegRoot root, const std::string& path, const std::string& name) const;
    std::vector<std::string> ValueNames(RegRoot root, const std::string& path) const;

    // Failures on demand.
    void FailCreate(const std::string& path) { failCreate_.insert(Fold(path)); }
    void FailMutation(int k, FailMode mode) {
        failAt_ = k;
        failMode_ = mode;
    }
    void ResetCounters() {
        mutations_ = 0;
        log_.clear();
    }
    bool denyFullAccessToMachine = true;  // as for a user without administrator rights

    // What happened: every mutating call in order ("WriteValue HKCU\...\Zantrel Startup
    // BINARY 1"), with "FAILED " in front of the ones that were made to fail.
    const std::vector<std::string>& Log() const { return log_; }
    int Mutations() const { return mutations_; }
    int OpenHandles() const;
    std::size_t KeyCount() const { return keys_.size(); }

  private:
    struct Key {
        std::string path;                                             // as first created
        std::map<std::string, std::pair<std::string, Value>> values;  // folded name -> value
    };
    struct Handle {
        std::string key;  // folded full path
        bool writable;
    };

    static std::string Fold(const std::string& text);
    static std::string FullPath(RegRoot root, const std::string& path);
    Handle* Use(RegKey key);
    RegKey NewHandle(const std::string& folded, bool writable);
    bool CountMutation(const std::string& description);
    void Create(const std::string& full);

    // The last listed value, so that listing a key one index after the other is not
    // quadratic; any change to the contents makes it stale.
    struct Listing {
        std::string key;
        std::uint32_t index = 0;
        std::map<std::string, std::pair<std::string, Value>>::const_iterator at;
        unsigned long generation = 0;
    };

    std::map<std::string, Key> keys_;           // folded full path -> key
    std::map<std::uintptr_t, Handle> handles_;  // open keys by number; RegKey is the number
    std::uintptr_t nextHandle_ = 1;
    std::set<std::string> failCreate_;
    int failAt_ = 0;
    FailMode failMode_ = FailMode::Only;
    int mutations_ = 0;
    std::vector<std::string> log_;
    unsigned long generation_ = 1;  // counts changes of the contents
    Listing listing_;
};

const char* RegTypeName(RegType type);
