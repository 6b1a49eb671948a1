// UTF-8 texts in fixed buffers: the bounded copy cuts between characters, and the check
// that tells a UTF-8 file from one written in a legacy code page.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "state/text.h"
#include "case_name.h"

namespace {

struct CutCase {
    const char* title;
    std::string source;
    std::size_t capacity;
    std::string copied;
};

void PrintTo(const CutCase& c, std::ostream* os) {
    *os << c.title;
}

class CopyTextCut : public testing::TestWithParam<CutCase> {};

TEST_P(CopyTextCut, EndsBetweenCharacters) {
    const CutCase& c = GetParam();
    char target[64];
    std::memset(target, '#', sizeof(target));
    CopyText(target, c.source.c_str(), c.capacity);
    EXPECT_EQ(std::string(target), c.copied) << c.title;
}

const std::string kOmega = "\xCE\xA9";          // two bytes
const std::string kWen = "\xE6\x96\x87";        // three bytes
const std::string kSmile = "\xF0\x9F\x98\x80";  // four bytes

std::string Times(int n, const std::string& text) {
    std::string out;
    for (int i = 0; i < n; ++i) {
        out += text;
    }
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    Table, CopyTextCut,
    testing::Values(
        CutCase{"ASCII cut at the limit", "abcdefghijklmnopqrst", 17, "abcdefghijklmnop"},
        CutCase{"name of 16 mostly two-byte characters", "x" + Times(15, kOmega), 17,
                "x" + Times(7, kOmega)},
        CutCase{"three-byte characters", Times(6, kWen), 17, Times(5, kWen)},
        CutCase{"four-byte character", "ab" + kSmile, 5, "ab"},
        CutCase{"whole text that fits", "ab" + kSmile, 7, "ab" + kSmile},
        CutCase{"source ending inside a sequence", "Caf\xC3", 17, "Caf"},
        CutCase{"open sequences one after another", "a\xE0\xE0\x80", 17, "a"},
        CutCase{"bytes that are not UTF-8 are kept", "\x80\x80\x80\x80\x80", 4, "\x80\x80\x80"}),
    case_name::By(&CutCase::title));

struct CheckCase {
    const char* title;
    std::string bytes;
    bool utf8;
};

void PrintTo(const CheckCase& c, std::ostream* os) {
    *os << c.title;
}

class Utf8CheckTable : public testing::TestWithParam<CheckCase> {};

TEST_P(Utf8CheckTable, TellsUtf8FromLegacyBytes) {
    const CheckCase& c = GetParam();
    Utf8Check check;
    for (unsigned char byte : c.bytes) {
        check.Take(byte);
    }
    EXPECT_EQ(check.Complete(), c.utf8) << c.title;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Utf8CheckTable,
    testing::Values(CheckCase{"nothing", "", true}, CheckCase{"ASCII", "Zantrel\r\n", true},
                    CheckCase{"accents Greek CJK and emoji",
                              "Caf\xC3\xA9 " + kOmega + kWen + kSmile, true},
                    CheckCase{"Windows-1252 accent", "Caf\xE9", false},
                    CheckCase{"stray continuation byte", "a\x80", false},
                    CheckCase{"overlong slash", "\xC0\xAF", false},
                    CheckCase{"overlong three bytes", "\xE0\x80\xAF", false},
                    CheckCase{"surrogate", "\xED\xA0\x80", false},
                    CheckCase{"beyond U+10FFFF", "\xF4\x90\x80\x80", false},
                    CheckCase{"sequence open at the end", "ab\xE6\x96", false},
                    CheckCase{"lead byte where a continuation belongs", "\xCE\xCE\xA9", false}),
    case_name::By(&CheckCase::title));

}  // namespace
