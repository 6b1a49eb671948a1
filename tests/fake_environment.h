// The runner's environment for the unit tests and the benchmarks: the files that exist, the
// variables that are defined, the code page and the first suggestion for a text are what the
// test says. It allocates nothing while
// it answers, so that the benchmarks measure the runner, not the fake.
#pragma once

#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "run/environment.h"

class FakeEnvironment final : public RunnerEnvironment {
  public:
    std::vector<std::string> files;                              // what FileExists finds
    std::vector<std::pair<std::string, std::string>> variables;  // %NAME% of these expand
    // Texts in a legacy code page instead of UTF-8: a double-byte one, whose lead bytes are
    // those of code page 932 (Japanese). The runner converts from it with LegacyToUtf8, which
    // natively reads ISO 8859-1: enough to see that a text was converted.
    bool legacyCodePage = false;
    std::vector<std::pair<std::string, std::string>> suggestions;  // typed text, first entry

    bool FileExists(const char* path) override {
        for (const std::string& file : files) {
            if (file == path) {
                return true;
            }
        }
        return false;
    }

    bool ExpandVariables(const char* text, char* buffer, int capacity) override {
        int length = 0;
        for (const char* p = text; *p != '\0';) {
            const char* end = *p == '%' ? std::strchr(p + 1, '%') : nullptr;
            const std::string* value =
                end != nullptr ? Value({p + 1, std::size_t(end - p - 1)}) : nullptr;
            const char* piece = value != nullptr ? value->c_str() : p;
            const int size = value != nullptr ? static_cast<int>(value->size()) : 1;
            if (length + size >= capacity) {
                return false;
            }
            std::memcpy(buffer + length, piece, static_cast<std::size_t>(size));
            length += size;
            p = value != nullptr ? end + 1 : p + 1;
        }
        buffer[length] = '\0';
        return true;
    }

    bool IsLeadByte(unsigned char byte) override {
        return legacyCodePage && ((byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC));
    }

    bool TextsAreUtf8() override { return !legacyCodePage; }

    bool FirstSuggestion(const char* typed, char* entry) override {
        for (const auto& suggestion : suggestions) {
            if (suggestion.first == typed) {
                std::memcpy(entry, suggestion.second.c_str(), suggestion.second.size() + 1);
                return true;
            }
        }
        return false;
    }

  private:
    const std::string* Value(std::string_view name) const {
        for (const auto& variable : variables) {
            if (variable.first == name) {
                return &variable.second;
            }
        }
        return nullptr;
    }
};
