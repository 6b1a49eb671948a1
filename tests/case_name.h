// Readable names for the cases of parameterised tests, so that a failure names its case and
// `ctest -R` can pick it: a case's title with everything but letters and digits turned into
// single underscores, or a raw text spelled out word by word.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace case_name {

// "History missing" -> "History_missing", "AfterCommand as 4 binary bytes, LocX" ->
// "AfterCommand_as_4_binary_bytes_LocX".
inline std::string FromTitle(const std::string& title) {
    std::string name;
    for (unsigned char c : title) {
        const bool keep =
            (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (keep) {
            name += static_cast<char>(c);
        } else if (!name.empty() && name.back() != '_') {
            name += '_';
        }
    }
    while (!name.empty() && name.back() == '_') {
        name.pop_back();
    }
    return name.empty() ? "empty" : name;
}

// A text as typed, every sign spelled: " notepad" -> "space_notepad", "a*b" -> "a_star_b",
// "" -> "empty".
inline std::string FromText(const std::string& text) {
    std::string name;
    bool inWord = false;
    for (unsigned char c : text) {
        const bool alnum =
            (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (alnum) {
            if (!inWord && !name.empty()) {
                name += '_';
            }
            name += static_cast<char>(c);
            inWord = true;
            continue;
        }
        const char* word = nullptr;
        switch (c) {
            case ' ':
                word = "space";
                break;
            case '*':
                word = "star";
                break;
            case '!':
                word = "bang";
                break;
            case '.':
                word = "dot";
                break;
            case '/':
                word = "slash";
                break;
            case '\\':
                word = "backslash";
                break;
            case '-':
                word = "minus";
                break;
            case '+':
                word = "plus";
                break;
            case '\t':
                word = "tab";
                break;
            case '\n':
                word = "lf";
                break;
            case '\r':
                word = "cr";
                break;
            case '"':
                word = "quote";
                break;
            case ':':
                word = "colon";
                break;
            default:
                break;
        }
        if (!name.empty()) {
            name += '_';
        }
        name += word != nullptr ? word : "char" + std::to_string(c);
        inWord = false;
    }
    return name.empty() ? "empty" : name;
}

// The generator for INSTANTIATE_TEST_SUITE_P over cases with a title field:
//   INSTANTIATE_TEST_SUITE_P(Table, Suite, testing::Values(...), case_name::By(&Case::title));
template <typename Case, typename Field>
auto By(Field Case::*field) {
    return [field](const testing::TestParamInfo<Case>& info) {
        return FromTitle(std::string(info.param.*field));
    };
}

// The same for cases that are raw texts, spelled by FromText.
template <typename Case, typename Field>
auto ByText(Field Case::*field) {
    return [field](const testing::TestParamInfo<Case>& info) {
        return FromText(std::string(info.param.*field));
    };
}

// The generator for cases that have a CaseName(const Case&) of their own (found beside the
// case's type); give the type a PrintTo that prints the same, so that a failure names it.
template <typename Case>
auto Of() {
    return [](const testing::TestParamInfo<Case>& info) { return CaseName(info.param); };
}

}  // namespace case_name
