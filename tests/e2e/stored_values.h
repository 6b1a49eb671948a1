// Checks of what the program wrote to the registry: type and bytes of a value, as the
// program's registry layout gives them.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness.h"

namespace e2e {

inline std::vector<unsigned char> Sz(const std::string& text) {
    std::vector<unsigned char> bytes(text.begin(), text.end());
    bytes.push_back(0);
    return bytes;
}

inline std::vector<unsigned char> Dword(DWORD value) {
    return {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
            static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
}

// The value under HKEY_CURRENT_USER has exactly this type and these bytes.
inline void ExpectValue(const char* path, const char* name, DWORD type,
                        const std::vector<unsigned char>& expected) {
    std::vector<unsigned char> seen;
    DWORD seenType = 0;
    ReadBytes(HKEY_CURRENT_USER, path, name, &seen, &seenType);
    EXPECT_EQ(type, seenType) << path << "\\" << name;
    EXPECT_EQ(expected, seen) << path << "\\" << name;
}

// The 20 stored history entries, "<missing>" for a value that is not there.
inline std::vector<std::string> StoredHistory() {
    std::vector<std::string> slots;
    for (int i = 0; i < 20; ++i) {
        slots.push_back(ReadString(HKEY_CURRENT_USER, kHistoryKey, std::to_string(i).c_str()));
    }
    return slots;
}

// The stored alias names in their stored order (A0, A1, ... up to the first missing one).
inline std::vector<std::string> StoredAliasNames() {
    std::vector<std::string> names;
    for (int i = 0;; ++i) {
        const std::string name =
            ReadString(HKEY_CURRENT_USER, kAliasKey, ("A" + std::to_string(i)).c_str());
        if (name == "<missing>") {
            return names;
        }
        names.push_back(name);
    }
}

}  // namespace e2e
