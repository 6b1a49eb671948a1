#include "unit/memory_registry.h"

#include <cctype>
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
    }
    return "?";
}

std::string MemoryRegistry::Fold(const std::string& text) {
    std::string folded = text;
    for (char& c : folded) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return folded;
}

std::string MemoryRegistry::FullPath(RegRoot root, const std::string& path) {
    return (root == RegRoot::CurrentUser ? "HKCU\\" : "HKLM\\") + path;
}

MemoryRegistry::Handle* MemoryRegistry::Use(RegKey key) {
    const std::uintptr_t number = reinterpret_cast<std::uintptr_t>(key);
    auto found = handles_.find(number);
    if (found == handles_.end()) {
        const char* what = number != 0 && number < nextHandle_ ? "closed" : "never opened";
        std::fprintf(stderr, "MemoryRegistry: use of a %s key handle\n", what);
        std::abort();
    }
    return &found->second;
}

RegKey MemoryRegistry::NewHandle(const std::string& folded, bool writable) {
    const std::uintptr_t number = nextHandle_++;
    handles_[number] = Handle{folded, writable};
    return reinterpret_cast<RegKey>(number);
}

bool MemoryRegistry::CountMutation(const std::string& description) {
    ++mutations_;
    const bool fail = failAt_ > 0 &&
                      (failMode_ == FailMode::Only ? mutations_ == failAt_ : mutations_ >= failAt_);
    log_.push_back((fail ? "FAILED " : "") + description);
    return !fail;
}

void MemoryRegistry::Create(const std::string& full) {
    ++generation_;
    // Parents come into being with their child, as RegCreateKeyEx does.
    for (std::size_t at = full.find('\\', 5); at != std::string::npos;
         at = full.find('\\', at + 1)) {
        const std::string parent = full.substr(0, at);
        if (keys_.count(Fold(parent)) == 0) {
            keys_[Fold(parent)].path = parent;
        }
    }
    if (keys_.count(Fold(full)) == 0) {
        keys_[Fold(full)].path = full;
    }
}

bool MemoryRegistry::OpenKey(RegRoot root, const char* path, RegAccess access, RegKey* key) {
    const std::string folded = Fold(FullPath(root, path));
    if (keys_.count(folded) == 0) {
        return false;
    }
    if (root == RegRoot::LocalMachine && access == RegAccess::All && denyFullAccessToMachine) {
        return false;
    }
    *key = NewHandle(folded, access == RegAccess::All);
    return true;
}

bool MemoryRegistry::CreateKey(RegRoot root, const char* path, RegKey* key) {
    const std::string full = FullPath(root, path);
    if (!CountMutation("CreateKey " + full)) {
        return false;
    }
    if (failCreate_.count(Fold(path)) != 0 ||
        (root == RegRoot::LocalMachine && denyFullAccessToMachine)) {
        log_.back() = "FAILED " + log_.back();
        return false;
    }
    Create(full);
    *key = NewHandle(Fold(full), true);
    return true;
}

bool MemoryRegistry::ReadValue(RegKey key, const char* name, void* data, std::uint32_t* size) {
    Handle* handle = Use(key);
    auto found = keys_.find(handle->key);
    if (found == keys_.end()) {
        return false;
    }
    auto value = found->second.values.find(Fold(name));
    if (value == found->second.values.end()) {
        return false;
    }
    const std::vector<unsigned char>& bytes = value->second.second.data;
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

bool MemoryRegistry::WriteValue(RegKey key, const char* name, RegType type, const void* data,
                                std::uint32_t size) {
    Handle* handle = Use(key);
    auto found = keys_.find(handle->key);
    const std::string where = found != keys_.end() ? found->second.path : handle->key;
    if (!CountMutation("WriteValue " + where + " " + name + " " + RegTypeName(type) + " " +
                       std::to_string(size))) {
        return false;
    }
    if (found == keys_.end() || !handle->writable) {
        log_.back() = "FAILED " + log_.back();
        return false;
    }
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    ++generation_;
    found->second.values[Fold(name)] = {name, Value{type, {bytes, bytes + size}}};
    return true;
}

bool MemoryRegistry::DeleteValue(RegKey key, const char* name) {
    Handle* handle = Use(key);
    auto found = keys_.find(handle->key);
    const std::string where = found != keys_.end() ? found->second.path : handle->key;
    if (!CountMutation("DeleteValue " + where + " " + name)) {
        return false;
    }
    if (found == keys_.end() || !handle->writable) {
        log_.back() = "FAILED " + log_.back();
        return false;
    }
    ++generation_;
    found->second.values.erase(Fold(name));  // a value that is not there is gone all the same
    return true;
}

bool MemoryRegistry::ValueCount(RegKey key, std::uint32_t* count) {
    auto found = keys_.find(Use(key)->key);
    if (found == keys_.end()) {
        return false;
    }
    *count = static_cast<std::uint32_t>(found->second.values.size());
    return true;
}

bool MemoryRegistry::ValueNameAt(RegKey key, std::uint32_t index, char* name, std::uint32_t* size) {
    const std::string& folded = Use(key)->key;
    auto found = keys_.find(folded);
    if (found == keys_.end() || index >= found->second.values.size()) {
        return false;
    }
    const auto& values = found->second.values;
    Listing& l = listing_;
    const bool fresh = l.generation == generation_ && l.key == folded;
    if (fresh && l.index == index) {
        // the same value again
    } else if (fresh && l.index + 1 == index) {
        ++l.at;
    } else {
        l.at = values.begin();
        std::advance(l.at, index);
    }
    l.key = folded;
    l.index = index;
    l.generation = generation_;
    const std::string& stored = l.at->second.first;
    if (stored.size() + 1 > *size) {
        return false;
    }
    std::memcpy(name, stored.c_str(), stored.size() + 1);
    *size = static_cast<std::uint32_t>(stored.size());
    return true;
}

bool MemoryRegistry::DeleteKey(RegRoot root, const char* path) {
    const std::string full = FullPath(root, path);
    if (!CountMutation("DeleteKey " + full)) {
        return false;
    }
    const std::string folded = Fold(full);
    bool hasSubkeys = false;
    for (const auto& entry : keys_) {
        if (entry.first.compare(0, folded.size() + 1, folded + "\\") == 0) {
            hasSubkeys = true;
        }
    }
    if (keys_.count(folded) == 0 || hasSubkeys) {
        log_.back() = "FAILED " + log_.back();
        return false;
    }
    ++generation_;
    keys_.erase(folded);
    return true;
}

void MemoryRegistry::CloseKey(RegKey key) {
    Use(key);
    handles_.erase(reinterpret_cast<std::uintptr_t>(key));
}

void MemoryRegistry::PutKey(RegRoot root, const std::string& path) {
    Create(FullPath(root, path));
}

void MemoryRegistry::PutValue(RegRoot root, const std::string& path, const std::string& name,
                              RegType type, const std::vector<unsigned char>& data) {
    const std::string full = FullPath(root, path);
    Create(full);
    ++generation_;
    keys_[Fold(full)].values[Fold(name)] = {name, Value{type, data}};
}

void MemoryRegistry::PutString(RegRoot root, const std::string& path, const std::string& name,
                               const std::string& text, bool terminated) {
    std::vector<unsigned char> data(text.begin(), text.end());
    if (terminated) {
        data.push_back(0);
    }
    PutValue(root, path, name, RegType::String, data);
}

void MemoryRegistry::PutDword(RegRoot root, const std::string& path, const std::string& name,
                              std::uint32_t value) {
    PutValue(root, path, name, RegType::Dword,
             {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
              static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)});
}

void MemoryRegistry::RemoveKey(RegRoot root, const std::string& path) {
    const std::string folded = Fold(FullPath(root, path));
    ++generation_;
    for (auto it = keys_.begin(); it != keys_.end();) {
        if (it->first == folded || it->first.compare(0, folded.size() + 1, folded + "\\") == 0) {
            it = keys_.erase(it);
        } else {
            ++it;
        }
    }
}

void MemoryRegistry::RemoveValue(RegRoot root, const std::string& path, const std::string& name) {
    auto found = keys_.find(Fold(FullPath(root, path)));
    if (found != keys_.end()) {
        ++generation_;
        found->second.values.erase(Fold(name));
    }
}

bool MemoryRegistry::HasKey(RegRoot root, const std::string& path) const {
    return keys_.count(Fold(FullPath(root, path))) != 0;
}

const MemoryRegistry::Value* MemoryRegistry::GetValue(RegRoot root, const std::string& path,
                                                      const std::string& name) const {
    auto found = keys_.find(Fold(FullPath(root, path)));
    if (found == keys_.end()) {
        return nullptr;
    }
    auto value = found->second.values.find(Fold(name));
    return value == found->second.values.end() ? nullptr : &value->second.second;
}

std::vector<std::string> MemoryRegistry::ValueNames(RegRoot root, const std::string& path) const {
    std::vector<std::string> names;
    auto found = keys_.find(Fold(FullPath(root, path)));
    if (found != keys_.end()) {
        for (const auto& value : found->second.values) {
            names.push_back(value.second.first);
        }
    }
    return names;
}

int MemoryRegistry::OpenHandles() const {
    return static_cast<int>(handles_.size());
}
