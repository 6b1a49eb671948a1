// The runner's environment for the unit tests and the benchmarks: the files that exist, the
// variables that are defined and the first suggestion for a text are what the
// test says. It allocates nothing while it answers, so that the benchmarks measure the
// runner, not the fake.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "run/environment.h"

class FakeEnvironment final : public RunnerEnvironment {
  public:
    using Pairs = std::vector<std::pair<std::string, std::string>>;
    std::vector<std::string> files;     // what FileExists finds
    Pairs variables;                    // %NAME% of these expand
    Pairs suggestions;                  // typed text, first suggestion
    std::vector<std::string> programs;  // the suggestions that are installed programs

    bool FileExists(const char* path) override {
        return std::find(files.begin(), files.end(), path) != files.end();
    }

    bool ExpandVariables(const char* text, char* buffer, int capacity) override {
        int length = 0;
        for (const char* p = text; *p != '\0';) {
            const char* end = *p == '%' ? std::strchr(p + 1, '%') : nullptr;
            const std::string* value =
                end != nullptr ? Find(variables, {p + 1, std::size_t(end - p - 1)}) : nullptr;
            const int size = value != nullptr ? static_cast<int>(value->size()) : 1;
            if (length + size >= capacity) {
                return false;
            }
            std::memcpy(buffer + length, value != nullptr ? value->c_str() : p,
                        static_cast<std::size_t>(size));
            length += size;
            p = value != nullptr ? end + 1 : p + 1;
        }
        buffer[length] = '\0';
        return true;
    }

    bool FirstSuggestion(const char* typed, char* entry, bool* isProgram) override {
        const std::string* suggestion = Find(suggestions, typed);
        if (suggestion != nullptr) {
            std::memcpy(entry, suggestion->c_str(), suggestion->size() + 1);
            *isProgram = std::find(programs.begin(), programs.end(), *suggestion) != programs.end();
        }
        return suggestion != nullptr;
    }

  private:
    static const std::string* Find(const Pairs& pairs, std::string_view key) {
        for (const auto& pair : pairs) {
            if (pair.first == key) {
                return &pair.second;
            }
        }
        return nullptr;
    }
};
