#include "unit/memory_registry.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

const char* RegTypeName(RegType type) {
    switch (type) {
        case RegType::String:
            return "SZ";
        case RegType::Binary:
            return "BINARY";
        case RegType::Dword:
            return "DWORD";
        case RegType::MultiString:
            return "MULTI_SZ";
    }
    return "?";
}

namespace {

const char* RootName(RegRoot root) {
    return root == RegRoot::CurrentUser ? "HKCU\\" : "HKLM\\";
}

std::string FullPath(RegRoot root, std::string_view path) {
    return RootName(root) + std::string(path);
}

// Equality without a call of memcmp, which the fuzzer's hooks make costly.
bool Same(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i]) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool MemoryRegistry::Equal::operator()(const std::string& a, const std::string& b) const {
    return Same(a, b);
}

void MemoryRegistry::Fold(std::string_view text, std::string* folded) {
    std::size_t at = folded->size();
    folded->resize(at + text.size());
    for (char c : text) {
        (*folded)[at++] = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
}

std::string MemoryRegistry::Folded(std::string_view text) {
    std::string folded;
    Fold(text, &folded);
    return folded;
}

const MemoryRegistry::Key* MemoryRegistry::Find(RegRoot root, std::string_view path,
                                                std::string* folded) const {
    folded->clear();
    Fold(RootName(root), folded);
    Fold(path, folded);
    auto found = keys_.find(*folded);
    return found == keys_.end() ? nullptr : &found->second;
}

MemoryRegistry::Key& MemoryRegistry::Create(RegRoot root, std::string_view path) {
    // Setting up puts many values into one key after the other.
    if (lastPut_ != nullptr && lastPutRoot_ == root && Same(lastPutPath_, path)) {
        return *lastPut_;
    }
    lastPut_ = Find(root, path, &pathScratch_);
    lastPutRoot_ = root;
    lastPutPath_.assign(path);
    if (lastPut_ != nullptr) {
        return *lastPut_;
    }
    // Parents come into being with their child, as RegCreateKeyEx does.
    const std::string full = FullPath(root, path);
    for (std::size_t at = full.find('\\', 5); at != std::string::npos;
         at = full.find('\\', at + 1)) {
        const std::string parent = full.substr(0, at);
        keys_.try_emplace(Folded(parent), parent, memory_);
    }
    lastPut_ = &keys_.try_emplace(Folded(full), full, memory_).first->second;
    return *lastPut_;
}

MemoryRegistry::Handle& MemoryRegistry::Use(RegKey key) {
    const std::uintptr_t number = reinterpret_cast<std::uintptr_t>(key);
    auto found = handles_.find(number);
    if (found == handles_.end()) {
        const char* what = number != 0 && number < nextHandle_ ? "closed" : "never opened";
        std::fprintf(stderr, "MemoryRegistry: use of a %s key handle\n", what);
        std::abort();
    }
    return found->second;
}

RegKey MemoryRegistry::NewHandle(Key* key, bool writable) {
    const std::uintptr_t number = nextHandle_++;
    handles_[number] = Handle{key, writable};
    return reinterpret_cast<RegKey>(number);
}

MemoryRegistry::Entry* MemoryRegistry::Lookup(const Key& key, std::string_view name) {
    nameScratch_.clear();
    Fold(name, &nameScratch_);
    auto found = key.index.find(nameScratch_);
    return found == key.index.end() ? nullptr : const_cast<Entry*>(&key.entries[found->second]);
}

void MemoryRegistry::Store(Key& key, std::string_view name, RegType type,
                           const unsigned char* bytes, std::size_t size, bool terminate) {
    Entry* entry = Lookup(key, name);
    if (entry == nullptr) {
        if (key.entries.size() > 2 * key.live + 64) {
            Tidy(key);
        }
        key.index.emplace(nameScratch_, key.entries.size());
        entry = &key.entries.emplace_back(Entry{nameScratch_, {}, {}, true});
        ++key.live;
    }
    entry->name.assign(name);
    entry->value.type = type;
    entry->value.data.assign(reinterpret_cast<const char*>(bytes), size);
    if (terminate) {
        entry->value.data.push_back('\0');
    }
}

void MemoryRegistry::Erase(Key& key, Entry& entry) {
    const std::size_t at = static_cast<std::size_t>(&entry - key.entries.data());
    key.index.erase(entry.folded);
    entry.live = false;
    --key.live;
    Listing& l = listing_;
    if (l.key == &key) {
        if (at < l.entry) {
            --l.index;  // the values after it have moved down by one
        } else if (at == l.entry) {
            while (l.entry < key.entries.size() && !key.entries[l.entry].live) {
                ++l.entry;  // the next one now stands at the listed index
            }
        }
    }
}

void MemoryRegistry::Tidy(Key& key) {
    Entries kept(key.entries.get_allocator());
    kept.reserve(key.live);
    key.index.clear();
    for (Entry& entry : key.entries) {
        if (entry.live) {
            key.index.emplace(entry.folded, kept.size());
            kept.push_back(std::move(entry));
        }
    }
    key.entries.swap(kept);
    if (listing_.key == &key) {
        listing_.key = nullptr;
    }
}

void MemoryRegistry::Forget(const Key* key) {
    for (auto& handle : handles_) {
        if (handle.second.key == key) {
            handle.second.key = nullptr;
        }
    }
    if (listing_.key == key) {
        listing_.key = nullptr;
    }
    if (lastPut_ == key) {
        lastPut_ = nullptr;
    }
}

template <typename Describe>
bool MemoryRegistry::CountMutation(Describe describe) {
    ++mutations_;
    const bool fail = failAt_ > 0 &&
                      (failMode_ == FailMode::Only ? mutations_ == failAt_ : mutations_ >= failAt_);
    if (keepLog) {
        log_.push_back((fail ? "FAILED " : "") + describe());
    }
    return !fail;
}

void MemoryRegistry::MarkFailed() {
    if (keepLog) {
        log_.back() = "FAILED " + log_.back();
    }
}

bool MemoryRegistry::OpenKey(RegRoot root, const char* path, RegAccess access, RegKey* key) {
    Key* found = Find(root, path, &pathScratch_);
    if (found == nullptr ||
        (root == RegRoot::LocalMachine && access == RegAccess::All && denyFullAccessToMachine)) {
        return false;
    }
    *key = NewHandle(found, access == RegAccess::All);
    return true;
}

bool MemoryRegistry::CreateKey(RegRoot root, const char* path, RegKey* key) {
    if (!CountMutation([&] { return "CreateKey " + FullPath(root, path); })) {
        return false;
    }
    if (failCreate_.count(Folded(path)) != 0 ||
        (root == RegRoot::LocalMachine && denyFullAccessToMachine)) {
        MarkFailed();
        return false;
    }
    *key = NewHandle(&Create(root, path), true);
    return true;
}

bool MemoryRegistry::ReadValue(RegKey key, const char* name, void* data, std::uint32_t* size) {
    Key* held = Use(key).key;
    const Entry* entry = held != nullptr ? Lookup(*held, name) : nullptr;
    if (entry == nullptr) {
        return false;
    }
    const std::string& bytes = entry->value.data;
    if (bytes.size() > *size) {
        // Like the real registry: the caller's buffer holds nothing useful afterwards.
        std::memset(data, '#', *size);
        *size = static_cast<std::uint32_t>(bytes.size());
        return false;
    }
    if (!bytes.empty()) {
        std::memcpy(data, bytes.data(), bytes.size());
    }
    *size = static_cast<std::uint32_t>(bytes.size());
    return true;
}

bool MemoryRegistry::ReadTypedValue(RegKey key, const char* name, RegType type, void* data,
                                    std::uint32_t* size) {
    Key* held = Use(key).key;
    const Entry* entry = held != nullptr ? Lookup(*held, name) : nullptr;
    return entry != nullptr && entry->value.type == type && ReadValue(key, name, data, size);
}

bool MemoryRegistry::WriteValue(RegKey key, const char* name, RegType type, const void* data,
                                std::uint32_t size) {
    const Handle handle = Use(key);
    if (!CountMutation([&] {
            return "WriteValue " +
                   (handle.key != nullptr ? handle.key->path : std::string("(deleted key)")) + " " +
                   name + " " + RegTypeName(type) + " " + std::to_string(size);
        })) {
        return false;
    }
    if (handle.key == nullptr || !handle.writable) {
        MarkFailed();
        return false;
    }
    Store(*handle.key, name, type, static_cast<const unsigned char*>(data), size, false);
    return true;
}

bool MemoryRegistry::DeleteValue(RegKey key, const char* name) {
    const Handle handle = Use(key);
    if (!CountMutation([&] {
            return "DeleteValue " +
                   (handle.key != nullptr ? handle.key->path : std::string("(deleted key)")) + " " +
                   name;
        })) {
        return false;
    }
    if (handle.key == nullptr || !handle.writable) {
        MarkFailed();
        return false;
    }
    if (Entry* entry = Lookup(*handle.key, name)) {
        Erase(*handle.key, *entry);
    }
    return true;  // a value that is not there is gone all the same
}

bool MemoryRegistry::ValueCount(RegKey key, std::uint32_t* count) {
    const Key* held = Use(key).key;
    if (held == nullptr) {
        return false;
    }
    *count = static_cast<std::uint32_t>(held->live);
    return true;
}

bool MemoryRegistry::ValueNameAt(RegKey key, std::uint32_t index, char* name, std::uint32_t* size) {
    const Key* held = Use(key).key;
    if (held == nullptr || index >= held->live) {
        return false;
    }
    Listing& l = listing_;
    if (l.key != held || (l.index != index && l.index + 1 != index)) {
        l = Listing{held, 0, 0};  // from the start
        for (std::uint32_t live = 0;; ++l.entry) {
            if (held->entries[l.entry].live && live++ == index) {
                break;
            }
        }
    } else if (l.index + 1 == index) {
        do {
            ++l.entry;
        } while (!held->entries[l.entry].live);
    }
    l.index = index;
    const std::string& stored = held->entries[l.entry].name;
    if (stored.size() + 1 > *size) {
        return false;
    }
    std::memcpy(name, stored.c_str(), stored.size() + 1);
    *size = static_cast<std::uint32_t>(stored.size());
    return true;
}

bool MemoryRegistry::DeleteKey(RegRoot root, const char* path) {
    if (!CountMutation([&] { return "DeleteKey " + FullPath(root, path); })) {
        return false;
    }
    const Key* found = Find(root, path, &pathScratch_);
    const std::string prefix = pathScratch_ + "\\";
    auto next = keys_.lower_bound(prefix);
    const bool hasSubkeys =
        next != keys_.end() && next->first.compare(0, prefix.size(), prefix) == 0;
    if (found == nullptr || hasSubkeys) {
        MarkFailed();
        return false;
    }
    Forget(found);
    keys_.erase(pathScratch_);
    return true;
}

void MemoryRegistry::CloseKey(RegKey key) {
    Use(key);
    handles_.erase(reinterpret_cast<std::uintptr_t>(key));
}

void MemoryRegistry::PutKey(RegRoot root, std::string_view path) {
    Create(root, path);
}

void MemoryRegistry::PutValue(RegRoot root, std::string_view path, std::string_view name,
                              RegType type, const std::vector<unsigned char>& data) {
    Store(Create(root, path), name, type, data.data(), data.size(), false);
}

void MemoryRegistry::PutString(RegRoot root, std::string_view path, std::string_view name,
                               std::string_view text, bool terminated) {
    Store(Create(root, path), name, RegType::String,
          reinterpret_cast<const unsigned char*>(text.data()), text.size(), terminated);
}

void MemoryRegistry::PutDword(RegRoot root, std::string_view path, std::string_view name,
                              std::uint32_t value) {
    const unsigned char bytes[4] = {
        static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
        static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
    Store(Create(root, path), name, RegType::Dword, bytes, sizeof(bytes), false);
}

void MemoryRegistry::PutMultiString(RegRoot root, std::string_view path, std::string_view name,
                                    const std::vector<std::string>& texts) {
    std::string bytes;
    for (const std::string& text : texts) {
        bytes += text;
        bytes += '\0';
    }
    bytes += '\0';
    Store(Create(root, path), name, RegType::MultiString,
          reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), false);
}

void MemoryRegistry::RemoveKey(RegRoot root, std::string_view path) {
    Find(root, path, &pathScratch_);
    const std::string prefix = pathScratch_ + "\\";
    for (auto it = keys_.begin(); it != keys_.end();) {
        if (it->first == pathScratch_ || it->first.compare(0, prefix.size(), prefix) == 0) {
            Forget(&it->second);
            it = keys_.erase(it);
        } else {
            ++it;
        }
    }
}

void MemoryRegistry::RemoveValue(RegRoot root, std::string_view path, std::string_view name) {
    if (Key* found = Find(root, path, &pathScratch_)) {
        if (Entry* entry = Lookup(*found, name)) {
            Erase(*found, *entry);
        }
    }
}

bool MemoryRegistry::HasKey(RegRoot root, std::string_view path) const {
    std::string folded;
    return Find(root, path, &folded) != nullptr;
}

const MemoryRegistry::Value* MemoryRegistry::GetValue(RegRoot root, std::string_view path,
                                                      std::string_view name) const {
    std::string folded;
    const Key* found = Find(root, path, &folded);
    if (found == nullptr) {
        return nullptr;
    }
    auto entry = found->index.find(Folded(name));
    return entry == found->index.end() ? nullptr : &found->entries[entry->second].value;
}

std::vector<std::string> MemoryRegistry::ValueNames(RegRoot root, std::string_view path) const {
    std::vector<std::string> names;
    std::string folded;
    if (const Key* found = Find(root, path, &folded)) {
        for (const Entry& entry : found->entries) {
            if (entry.live) {
                names.push_back(entry.name);
            }
        }
    }
    return names;
}
