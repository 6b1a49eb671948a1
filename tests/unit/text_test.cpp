// UTF-8 texts in fixed buffers: the bounded copy cuts between characters, and the check
// that tells a UTF-8 file or value from one written in a legacy code page.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "state/text.h"
#include "state/text_posix.h"

namespace {

TEST(CopyText, CutsBetweenCharacters) {
    const std::string omega = "\xCE\xA9", wen = "\xE6\x96\x87", smile = "\xF0\x9F\x98\x80";
    const struct {
        std::string source;
        std::size_t capacity;
        std::string copied;
    } cases[] = {
        {"abcdefghijklmnopq", 17, "abcdefghijklmnop"},
        {"x" + omega + omega + omega, 5, "x" + omega},
        {wen + wen + wen, 8, wen + wen},
        {"ab" + smile, 5, "ab"},
        {"ab" + smile, 7, "ab" + smile},
        {"Caf\xC3", 17, "Caf"},                       // the source ends inside a sequence
        {"a\xE0\xE0\x80", 17, "a"},                   // open sequences one after another
        {"\x80\x80\x80\x80\x80", 4, "\x80\x80\x80"},  // bytes that are not UTF-8 are kept
        // No sequence begins with C0, C1 or F5 to F7: nothing is left open to cut.
        {"ab\xC0", 17, "ab\xC0"},
        {"ab\xC1", 17, "ab\xC1"},
        {"ab\xF5\x80\x80", 17, "ab\xF5\x80\x80"},
        {"ab\xF7\xBF\xBF", 17, "ab\xF7\xBF\xBF"},
    };
    for (const auto& c : cases) {
        char target[32];
        CopyText(target, c.source.c_str(), c.capacity);
        EXPECT_EQ(std::string(target), c.copied) << c.source << " into " << c.capacity;
    }
}

TEST(IsUtf8, TellsUtf8FromLegacyBytes) {
    const struct {
        const char* bytes;
        bool utf8;
    } cases[] = {
        {"", true},
        {"Caf\xC3\xA9 \xCE\xA9\xE6\x96\x87\xF0\x9F\x98\x80", true},
        {"Caf\xE9", false},           // Windows-1252
        {"a\x80", false},             // a stray continuation byte
        {"\xC0\xAF", false},          // overlong
        {"\xED\xA0\x80", false},      // a surrogate
        {"\xF4\x90\x80\x80", false},  // beyond U+10FFFF
        {"\xF5\x80\x80\x80", false},  // a lead byte beyond U+10FFFF
        {"ab\xE6\x96", false},        // open at the end
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsUtf8(c.bytes, std::strlen(c.bytes)), c.utf8) << c.bytes;
    }
}

TEST(AppendText, AppendsOnlyWhatFitsWhole) {
    char target[6] = "abc";
    EXPECT_TRUE(AppendText(target, "de", sizeof target)) << "it fits with its terminator";
    EXPECT_FALSE(AppendText(target, "f", sizeof target)) << "no room for its terminator";
    EXPECT_STREQ(target, "abcde");
}

// Where Windows ignores the program's UTF-8, a double-byte character stays whole, and its
// second byte (0x5C in "\x95\x5C") is no backslash.
TEST(LegacyCodePage, CutsAndSearchesWholeCharacters) {
    const struct {
        const char* label;
        unsigned codePage;
        std::size_t capacity;
        const char* copied;
        int lastBackslash;
    } cases[] = {
        {"ShiftJis", kNativeShiftJis, 5, "C:\\", 2},
        {"SingleByte", kNativeSingleByte, 5, "C:\\\x95", 4},
        {"Utf8", kNativeUtf8, 5, "C:\\\x95", 4},
    };
    const char text[] = "C:\\\x95\x5C";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        SetNativeCodePage(c.codePage);
        char target[8];
        CopyText(target, text, c.capacity);
        EXPECT_EQ(std::string(target), c.copied);
        const char* last = TextFindLastOf(text, "\\");
        EXPECT_EQ(last != nullptr ? last - text : -1, c.lastBackslash);
    }
    SetNativeCodePage(kNativeUtf8);
}

}  // namespace
