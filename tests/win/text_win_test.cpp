// The comparison without regard to case and the key that indexes it, on Windows: two texts
// have equal keys exactly when the comparison calls them equal, so the load and the import
// find the same duplicates through the key as by comparing with every stored name; and both
// hold under any thread locale. The test program carries the program's manifest: texts are
// UTF-8 here too. And the characters that the suggestions match, folded to lower case.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "state/alias_list.h"
#include "state/text.h"

namespace {

std::string Key(const std::string& text) {
    unsigned char key[1024];
    const std::size_t length = NoCaseKey(text.c_str(), key, sizeof(key));
    return std::string(reinterpret_cast<const char*>(key), length);
}

// A text of Windows-1252, the code page of Western machines, in UTF-8.
std::string From1252(const std::string& text) {
    WCHAR wide[8];
    char utf8[32];
    const int units = MultiByteToWideChar(1252, 0, text.c_str(), -1, wide, 8);
    WideCharToMultiByte(CP_UTF8, 0, wide, units, utf8, sizeof(utf8), nullptr, nullptr);
    return utf8;
}

std::string Shown(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        char hex[8];
        wsprintfA(hex, c >= 0x20 && c < 0x7f ? "%c" : "\\x%02x", c);
        out += hex;
    }
    return out;
}

TEST(NoCaseKey, EqualExactlyWhenTheComparisonSaysEqual) {
    // Every text of one or two characters from a set that holds letters of both cases,
    // digits, signs, control characters and the upper half of Windows-1252; and of one or
    // two letters of Greek (final sigma too), Cyrillic, CJK and full-width Latin.
    std::vector<std::string> texts = {""};
    for (int c = 1; c < 256; ++c) {
        texts.push_back(From1252(std::string(1, static_cast<char>(c))));
    }
    const char pairs[] = "aAzZ-'\x01\x7f\xc4\xe4\xdf\xe6\xc6\x8a\x9a\xff\xa0";
    for (const char* p = pairs; *p != '\0'; ++p) {
        for (const char* q = pairs; *q != '\0'; ++q) {
            texts.push_back(From1252(std::string{*p, *q}));
        }
    }
    const char* const letters[] = {"\xCE\xA9",     "\xCF\x89",     "\xCE\xA3",     "\xCF\x83",
                                   "\xCF\x82",     "\xCE\x86",     "\xCE\xAC",     "\xD0\x96",
                                   "\xD0\xB6",     "\xD0\x81",     "\xD1\x91",     "\xE6\x96\x87",
                                   "\xE5\xAD\x97", "\xEF\xBC\xA1", "\xEF\xBD\x81", "\xC3\x84"};
    for (const char* p : letters) {
        for (const char* q : letters) {
            texts.push_back(std::string(p) + q);
        }
        texts.push_back(p);
    }
    texts.push_back("ss");
    texts.push_back("ae");
    texts.push_back("AE");
    std::vector<std::string> keys;
    for (const std::string& t : texts) {
        keys.push_back(Key(t));
        ASSERT_FALSE(keys.back().empty()) << "no key for '" << Shown(t) << "'";
    }
    int mismatches = 0;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        for (std::size_t j = 0; j < texts.size(); ++j) {
            const bool equal = TextEqualNoCase(texts[i].c_str(), texts[j].c_str());
            if (equal != (keys[i] == keys[j]) && ++mismatches <= 10) {
                ADD_FAILURE() << "'" << Shown(texts[i]) << "' and '" << Shown(texts[j])
                              << "': compared " << (equal ? "equal" : "different") << ", keys "
                              << (keys[i] == keys[j] ? "equal" : "different");
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(NoCaseKey, AdderRefusesWhatAddAliasRefuses) {
    const std::string names[] = {From1252("\xc4hre"),
                                 From1252("\xe4HRE"),
                                 From1252("stra\xdf"
                                          "e"),
                                 "STRASSE",
                                 From1252("\xe6on"),
                                 "aeon",
                                 "a-b",
                                 "ab",
                                 "a\x01z",
                                 "az",
                                 From1252("\xff"),
                                 From1252("\x9f")};
    AliasList bulk, single;
    std::string bulkResults, singleResults;
    {
        AliasAdder adder(bulk);
        for (const std::string& name : names) {
            bulkResults += adder.Add(name.c_str(), "", "", 0) ? '+' : '-';
            singleResults += AddAlias(single, name.c_str(), "", "", 0) ? '+' : '-';
        }
    }
    EXPECT_EQ(bulkResults, singleResults);
}

// The ANSI forms read UTF-8 through the code page of the thread's locale: there the names
// "\xC3\x84hre" and "\xC3\xA4HRE" differ and, under Japanese, two kana are the same. (Wine's
// lstrcmpiA keeps to the program's code page; its CompareStringA and LCMapStringA do not.)
TEST(TextEqualNoCase, NamesCompareAlikeUnderAnotherThreadLocale) {
    const LCID system = GetThreadLocale();
    const std::string upper = From1252("\xc4hre"), lower = From1252("\xe4HRE");
    const std::string a = "\xE3\x81\x82", i = "\xE3\x81\x84";
    for (const LANGID language : {MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN),
                                  MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN)}) {
        SCOPED_TRACE("thread locale " + std::to_string(language));
        ASSERT_TRUE(SetThreadLocale(MAKELCID(language, SORT_DEFAULT)));
        ASSERT_NE(GetThreadLocale(), system);
        AliasList list;
        EXPECT_TRUE(AddAlias(list, upper.c_str(), "upper", "", 0));
        EXPECT_FALSE(AddAlias(list, lower.c_str(), "lower", "", 0));
        EXPECT_TRUE(AddAlias(list, a.c_str(), "a", "", 0) && AddAlias(list, i.c_str(), "i", "", 0));
        const AliasRecord* found = FindAlias(list, lower.c_str());
        EXPECT_STREQ(found != nullptr ? found->Command : "<none>", "upper");
        EXPECT_EQ(Key(upper), Key(lower));  // the index of the load and the import
        EXPECT_NE(Key(a), Key(i));
        EXPECT_TRUE(TextStartsWithNoCase((upper + "nfeld").c_str(), lower.c_str()));  // suggestions
        EXPECT_FALSE(TextStartsWithNoCase((a + "x").c_str(), i.c_str()));
        SetThreadLocale(system);
    }
}

// Each character one unit (a surrogate pair too), in lower case, with its kind: ASCII folded
// directly, other letters by the system, before and after ASCII.
TEST(TextToMatchUnits, FoldsEveryCharacterToLowerCase) {
    const struct {
        const char* text;
        std::vector<std::uint32_t> folded;
        std::string kinds;  // U upper, L lower, 9 digit, ' ' delimiter, ? other
    } cases[] = {
        {"Ab-1 x_.\\+", {'a', 'b', '-', '1', ' ', 'x', '_', '.', '\\', '+'}, "UL 9 L   ?"},
        {"\xCE\xA3\xCE\xA9\xCE\xBC\xCE\xB1 \xD0\x96\xD1\x83\xD0\xBA",  // Greek, Cyrillic
         {0x3C3, 0x3C9, 0x3BC, 0x3B1, ' ', 0x436, 0x443, 0x43A},
         "UULL ULL"},
        {"Z\xC3\x9Crich\xF0\x9F\x98\x80.",
         {'z', 0xFC, 'r', 'i', 'c', 'h', 0x1F600, '.'},
         "UULLLL? "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Shown(c.text));
        MatchUnit units[kTextChars];
        const std::size_t count = TextToMatchUnits(c.text, units, kTextChars);
        std::vector<std::uint32_t> folded;
        std::string kinds;
        for (std::size_t i = 0; i < count; ++i) {
            folded.push_back(units[i].folded);
            kinds += "LU9 ?"[units[i].kind];
        }
        EXPECT_EQ(folded, c.folded);
        EXPECT_EQ(kinds, c.kinds);
    }
}

}  // namespace
