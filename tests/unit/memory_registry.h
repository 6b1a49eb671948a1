// An in-memory registry for the tests, benchmarks and fuzzers of the settings store. It
// behaves like the real one where the store depends on it (keys and value names without
// regard to letter case, any value type readable (a typed read refuses the others), a too-long read
// fails and leaves the buffer scribbled over, deleting a key with subkeys fails, a handle to a
// deleted key fails, deleting an absent value succeeds, values listed in the order they were first
// written) and can fail on demand: a key that cannot be created, the full
// access to the machine-wide keys refused, and the k-th mutating call (CreateKey,
// WriteValue, DeleteValue, DeleteKey) failing alone or together with every one after it,
// as when the program ends in the middle of a save.
//
// It is cheap, because the fuzzer of the load runs thousands of registries a second: a
// handle points at its key, names are folded into reused buffers and looked up by their
// hash, values overwrite their bytes in place, and the log of calls is only written when
// asked for.
#pragma once

#include <cstdint>
#include <map>
#include <memory_resource>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "state/registry.h"

class MemoryRegistry final : public Registry {
  public:
    struct Value {
        RegType type;
        std::string data;  // the bytes; short ones need no memory of their own
        std::vector<unsigned char> Bytes() const { return {data.begin(), data.end()}; }
    };

    enum class FailMode { Only, FromThenOn };

    // The values' bookkeeping comes from `memory`, or from a pool of the registry's own. A
    // fuzzer hands every registry the same pool, so that one input reuses the memory of the
    // one before instead of touching new pages.
    explicit MemoryRegistry(std::pmr::memory_resource* memory = nullptr)
        : memory_(memory != nullptr ? memory : &ownPool_) {}
    MemoryRegistry(const MemoryRegistry&) = delete;
    MemoryRegistry& operator=(const MemoryRegistry&) = delete;

    // Registry
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

    // Setting up and looking at the contents, outside the counted calls.
    void PutKey(RegRoot root, std::string_view path);
    void PutValue(RegRoot root, std::string_view path, std::string_view name, RegType type,
                  const std::vector<unsigned char>& data);
    // A REG_SZ value, with its terminator unless told otherwise.
    void PutString(RegRoot root, std::string_view path, std::string_view name,
                   std::string_view text, bool terminated = true);
    void PutDword(RegRoot root, std::string_view path, std::string_view name, std::uint32_t value);
    // A REG_MULTI_SZ value: each text with its terminator, then the list's closing NUL.
    void PutMultiString(RegRoot root, std::string_view path, std::string_view name,
                        const std::vector<std::string>& texts);
    void RemoveKey(RegRoot root, std::string_view path);  // with its subkeys
    void RemoveValue(RegRoot root, std::string_view path, std::string_view name);
    bool HasKey(RegRoot root, std::string_view path) const;
    const Value* GetValue(RegRoot root, std::string_view path, std::string_view name) const;
    std::vector<std::string> ValueNames(RegRoot root, std::string_view path) const;

    // Failures on demand.
    void FailCreate(const std::string& path) { failCreate_.insert(Folded(path)); }
    void FailMutation(int k, FailMode mode) {
        failAt_ = k;
        failMode_ = mode;
    }
    void ResetCounters() {
        mutations_ = 0;
        log_.clear();
    }
    bool denyFullAccessToMachine = true;  // as for a user without administrator rights
    bool keepLog = true;                  // the fuzzer does without

    // What happened: every mutating call in order ("WriteValue HKCU\...\Zantrel Startup
    // BINARY 1"), with "FAILED " in front of the ones that failed. Empty without keepLog.
    const std::vector<std::string>& Log() const { return log_; }
    int Mutations() const { return mutations_; }
    int OpenHandles() const { return static_cast<int>(handles_.size()); }
    std::size_t KeyCount() const { return keys_.size(); }

  private:
    // Hashing and equality of folded names without a call of memcmp, which the fuzzer's
    // hooks make costly.
    struct Hash {
        std::size_t operator()(const std::string& text) const {
            std::size_t hash = 14695981039346656037ull;
            for (char c : text) {
                hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
            }
            return hash;
        }
    };
    struct Equal {
        bool operator()(const std::string& a, const std::string& b) const;
    };
    // A key's values in the order they were first written, as the real registry lists
    // them; a deleted one stays as a gap until the key is tidied up.
    struct Entry {
        std::string folded;
        std::string name;  // as written
        Value value;
        bool live;
    };
    using Entries = std::pmr::vector<Entry>;
    using Index = std::pmr::unordered_map<std::string, std::size_t, Hash, Equal>;
    struct Key {
        Key(std::string path, std::pmr::memory_resource* memory)
            : path(std::move(path)), entries(memory), index(Index::allocator_type(memory)) {}
        std::string path;  // as first created, "HKCU\..."
        Entries entries;
        Index index;  // folded name -> its entry
        std::size_t live = 0;
    };
    struct Handle {
        Key* key;  // null once the key was deleted
        bool writable;
    };
    // The last listed value, so that listing a key one index after the other is linear,
    // also while values are deleted.
    struct Listing {
        const Key* key = nullptr;
        std::uint32_t index = 0;
        std::size_t entry = 0;  // the live entry at `index`
    };

    static std::string Folded(std::string_view text);
    static void Fold(std::string_view text, std::string* folded);  // appends
    // The key at `root`\`path`, or null; `folded` is left holding its folded full path.
    const Key* Find(RegRoot root, std::string_view path, std::string* folded) const;
    Key* Find(RegRoot root, std::string_view path, std::string* folded) {
        return const_cast<Key*>(static_cast<const MemoryRegistry*>(this)->Find(root, path, folded));
    }
    // The key, created with its parents where missing.
    Key& Create(RegRoot root, std::string_view path);
    Handle& Use(RegKey key);
    RegKey NewHandle(Key* key, bool writable);
    // The live entry of `name` in `key`, or null.
    Entry* Lookup(const Key& key, std::string_view name);
    void Store(Key& key, std::string_view name, RegType type, const unsigned char* bytes,
               std::size_t size, bool terminate);
    void Erase(Key& key, Entry& entry);
    void Tidy(Key& key);          // drops the gaps
    void Forget(const Key* key);  // before the key is deleted
    // Counts a mutating call; false when it is made to fail. `describe` gives its log line.
    template <typename Describe>
    bool CountMutation(Describe describe);
    void MarkFailed();

    std::pmr::unsynchronized_pool_resource ownPool_;
    std::pmr::memory_resource* memory_;         // for the values' nodes
    std::map<std::string, Key> keys_;           // folded full path -> key
    std::map<std::uintptr_t, Handle> handles_;  // open keys by number; RegKey is the number
    std::uintptr_t nextHandle_ = 1;
    std::set<std::string> failCreate_;  // folded paths
    int failAt_ = 0;
    FailMode failMode_ = FailMode::Only;
    int mutations_ = 0;
    std::vector<std::string> log_;
    std::string pathScratch_, nameScratch_;  // reused for folding
    Listing listing_;
    Key* lastPut_ = nullptr;  // the key that Create gave last, by root and path as given
    RegRoot lastPutRoot_ = RegRoot::CurrentUser;
    std::string lastPutPath_;
};

const char* RegTypeName(RegType type);
