// The comparison without regard to case and the key that indexes it, on Windows: two texts
// have equal keys exactly when lstrcmpiA calls them equal, so the load and the import find
// the same duplicates through the key as by comparing with every stored name. The test
// program carries the program's manifest, so texts are UTF-8 here, as in the program.
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

std::string Shown(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        char hex[8];
        wsprintfA(hex, c >= 0x20 && c < 0x7f ? "%c" : "\\x%02x", c);
        out += hex;
    }
    return out;
}

// The characters of Windows-1252, the code page of Western machines, as the program holds
// them: in UTF-8.
std::string From1252(const std::string& text) {
    WCHAR wide[64];
    const int units =
        MultiByteToWideChar(1252, 0, text.data(), static_cast<int>(text.size()), wide, 64);
    char utf8[256];
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, wide, units, utf8, sizeof(utf8), nullptr, nullptr);
    return std::string(utf8, bytes > 0 ? bytes : 0);
}

// Every pair of texts compares equal exactly when their keys are equal; mismatches are
// printed, the first ten of them.
void ExpectKeysAgree(const std::vector<std::string>& texts) {
    std::vector<std::string> keys;
    for (const std::string& t : texts) {
        keys.push_back(Key(t));
        ASSERT_FALSE(keys.back().empty()) << "no key for '" << Shown(t) << "'";
    }
    int mismatches = 0;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        for (std::size_t j = 0; j < texts.size(); ++j) {
            const bool equal = lstrcmpiA(texts[i].c_str(), texts[j].c_str()) == 0;
            if (equal != (keys[i] == keys[j]) && ++mismatches <= 10) {
                ADD_FAILURE() << "'" << Shown(texts[i]) << "' and '" << Shown(texts[j])
                              << "': lstrcmpiA " << (equal ? "equal" : "different") << ", keys "
                              << (keys[i] == keys[j] ? "equal" : "different");
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
}

// Letters of both cases in several scripts, as UTF-8.
const char* const kLetters[] = {
    "A",        "a",        "\xC3\x84",     "\xC3\xA4",     "\xC3\x9F",     "\xC3\x89",
    "\xC3\xA9", "\xC3\x86", "\xC3\xA6",     "\xCE\xA9",     "\xCF\x89",     "\xCE\xA3",
    "\xCF\x83", "\xCF\x82", "\xCE\x86",     "\xCE\xAC",     "\xD0\x96",     "\xD0\xB6",
    "\xD0\x81", "\xD1\x91", "\xE6\x96\x87", "\xE5\xAD\x97", "\xEF\xBC\xA1", "\xEF\xBD\x81"};

TEST(NoCaseKey, MultiByteTextsAgreeToo) {
    // Every text of one or two letters: Latin with accents, Greek (with final sigma),
    // Cyrillic, CJK and full-width Latin.
    std::vector<std::string> texts;
    for (const char* p : kLetters) {
        texts.push_back(p);
        for (const char* q : kLetters) {
            texts.push_back(std::string(p) + q);
        }
    }
    ASSERT_EQ(lstrcmpiA("\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1",
                        "\xCE\xA9\xCE\x9C\xCE\x88\xCE\x93\xCE\x91"),
              0)
        << "lstrcmpiA does not compare UTF-8 without regard to case";
    ExpectKeysAgree(texts);
}

TEST(NoCaseKey, EqualExactlyWhenTheComparisonSaysEqual) {
    // Every text of one or two characters from a set that holds letters of both cases,
    // digits, signs, control characters and the upper half of Windows-1252.
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
    texts.push_back("ss");
    texts.push_back("ae");
    texts.push_back("AE");
    ExpectKeysAgree(texts);
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
                                 From1252("\x9f"),
                                 "\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1",
                                 "\xCE\xA9\xCE\x9C\xCE\x88\xCE\x93\xCE\x91",
                                 "\xD0\xB6\xD1\x83\xD0\xBA",
                                 "\xD0\x96\xD0\xA3\xD0\x9A",
                                 "\xE6\x96\x87\xE6\xA1\xA3",
                                 "\xE6\x96\x87\xE6\xA1\xA3"};
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
    EXPECT_EQ(singleResults.substr(12), "+-+-+-") << "case variants in Greek, Cyrillic and CJK";
}

}  // namespace
