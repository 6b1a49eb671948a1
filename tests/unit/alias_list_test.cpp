// The alias list: case-insensitive uniqueness, cut texts, list order and the links of the
// chain after removals.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "state/alias_list.h"
#include "case_name.h"

namespace {

std::vector<std::string> Names(const AliasList& list) {
    std::vector<std::string> names;
    for (const AliasRecord* r = FirstAlias(list); r != nullptr; r = r->Next) {
        names.push_back(r->Name);
    }
    return names;
}

// Every record's Prev is the record before it (the sentinel for the first), the walk
// backwards from the last meets the same records, and the sentinel has no Prev.
void ExpectChainAgrees(const AliasList& list) {
    EXPECT_EQ(list.Sentinel.Prev, nullptr);
    const AliasRecord* before = &list.Sentinel;
    std::vector<const AliasRecord*> forward;
    for (const AliasRecord* r = FirstAlias(list); r != nullptr; r = r->Next) {
        EXPECT_EQ(r->Prev, before) << "record " << r->Name;
        forward.push_back(r);
        before = r;
    }
    std::vector<const AliasRecord*> backward;
    for (const AliasRecord* r = before; r != &list.Sentinel; r = r->Prev) {
        ASSERT_NE(r, nullptr) << "the record before " << backward.size() << " from the end";
        backward.insert(backward.begin(), r);
    }
    EXPECT_EQ(forward, backward);
}

void AddAll(AliasList& list, const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        ASSERT_TRUE(AddAlias(list, name.c_str(), ("run " + name).c_str(), "C:\\", 0)) << name;
    }
}

TEST(AliasList, NewListIsEmpty) {
    AliasList list;
    EXPECT_EQ(FirstAlias(list), nullptr);
    EXPECT_EQ(FindAlias(list, ""), nullptr);
}

TEST(AliasList, AddKeepsOrderAndFields) {
    AliasList list;
    ASSERT_TRUE(AddAlias(list, "calc", "calc.exe", "C:\\Windows", kStateMaximized));
    ASSERT_TRUE(AddAlias(list, "word", "winword.exe /n", "D:\\docs", 5));
    EXPECT_EQ(Names(list), (std::vector<std::string>{"calc", "word"}));
    const AliasRecord* word = FindAlias(list, "word");
    ASSERT_NE(word, nullptr);
    EXPECT_STREQ(word->Command, "winword.exe /n");
    EXPECT_STREQ(word->StartPath, "D:\\docs");
    EXPECT_EQ(word->WindowState, 5u);  // kept, although it launches as Normal
    EXPECT_EQ(FirstAlias(list)->Prev, &list.Sentinel);
    ExpectChainAgrees(list);
}

struct DuplicateCase {
    const char* existing;
    const char* added;
    bool accepted;
};

class AliasDuplicate : public testing::TestWithParam<DuplicateCase> {};

TEST_P(AliasDuplicate, RefusedWithoutRegardToCase) {
    const DuplicateCase& c = GetParam();
    AliasList list;
    ASSERT_TRUE(AddAlias(list, c.existing, "first", "", 0));
    EXPECT_EQ(AddAlias(list, c.added, "second", "", 1), c.accepted)
        << "existing '" << c.existing << "', added '" << c.added << "'";
    std::vector<std::string> expected{c.existing};
    if (c.accepted) {
        expected.push_back(std::string(c.added).substr(0, 16));
    }
    EXPECT_EQ(Names(list), expected);
    EXPECT_STREQ(FirstAlias(list)->Command, "first");  // the old alias is untouched
}

std::string CaseName(const DuplicateCase& c) {
    return case_name::FromText(c.existing) + "_then_" + case_name::FromText(c.added);
}

void PrintTo(const DuplicateCase& c, std::ostream* os) {
    *os << CaseName(c);
}

INSTANTIATE_TEST_SUITE_P(
    Table, AliasDuplicate,
    testing::Values(DuplicateCase{"calc", "calc", false}, DuplicateCase{"calc", "Calc", false},
                    DuplicateCase{"calc", "CALC", false}, DuplicateCase{"calc", "calc2", true},
                    DuplicateCase{"calc", "calc ", true}, DuplicateCase{"calc", "cal", true},
                    DuplicateCase{"", "", false},
                    // The test sees the whole name: a 20-character name whose first 16
                    // match a stored one is accepted and stored cut.
                    DuplicateCase{"abcdefghijklmnop", "abcdefghijklmnopqrst", true}),
    case_name::Of<DuplicateCase>());

TEST(AliasList, DuplicateAfterOthersAppendsAtEnd) {
    AliasList list;
    AddAll(list, {"calc", "notes", "mail"});
    EXPECT_FALSE(AddAlias(list, "Notes", "x", "", 0));
    EXPECT_TRUE(AddAlias(list, "calc2", "x", "", 0));
    EXPECT_EQ(Names(list), (std::vector<std::string>{"calc", "notes", "mail", "calc2"}));
    ExpectChainAgrees(list);
}

struct CutCase {
    std::size_t nameLength, commandLength, pathLength;
    std::size_t storedName, storedCommand, storedPath;
};

class AliasCut : public testing::TestWithParam<CutCase> {};

TEST_P(AliasCut, TextsCutToTheirFields) {
    const CutCase& c = GetParam();
    const std::string name(c.nameLength, 'n'), command(c.commandLength, 'c'),
        path(c.pathLength, 'p');
    AliasList list;
    ASSERT_TRUE(AddAlias(list, name.c_str(), command.c_str(), path.c_str(), 0));
    const AliasRecord* r = FirstAlias(list);
    EXPECT_EQ(std::string(r->Name), name.substr(0, c.storedName));
    EXPECT_EQ(std::string(r->Command), command.substr(0, c.storedCommand));
    EXPECT_EQ(std::string(r->StartPath), path.substr(0, c.storedPath));
}

std::string CaseName(const CutCase& c) {
    return "name_" + std::to_string(c.nameLength) + "_command_" + std::to_string(c.commandLength) +
           "_path_" + std::to_string(c.pathLength);
}

void PrintTo(const CutCase& c, std::ostream* os) {
    *os << CaseName(c);
}

INSTANTIATE_TEST_SUITE_P(Table, AliasCut,
                         testing::Values(CutCase{0, 0, 0, 0, 0, 0},
                                         CutCase{16, 260, 260, 16, 260, 260},
                                         CutCase{17, 261, 261, 16, 260, 260},
                                         CutCase{20, 300, 1000, 16, 260, 260}),
                         case_name::Of<CutCase>());

struct FindCase {
    const char* query;
    const char* found;  // null: none
};

class AliasFind : public testing::TestWithParam<FindCase> {};

TEST_P(AliasFind, WholeNameWithoutRegardToCase) {
    AliasList list;
    AddAll(list, {"calc", "Mail", "notes"});
    const AliasRecord* r = FindAlias(list, GetParam().query);
    if (GetParam().found == nullptr) {
        EXPECT_EQ(r, nullptr) << "query '" << GetParam().query << "' found " << r->Name;
    } else {
        ASSERT_NE(r, nullptr) << "query '" << GetParam().query << "'";
        EXPECT_STREQ(r->Name, GetParam().found);
    }
}

std::string CaseName(const FindCase& c) {
    return case_name::FromText(c.query);
}

void PrintTo(const FindCase& c, std::ostream* os) {
    *os << CaseName(c);
}

INSTANTIATE_TEST_SUITE_P(Table, AliasFind,
                         testing::Values(FindCase{"calc", "calc"}, FindCase{"CALC", "calc"},
                                         FindCase{"mail", "Mail"}, FindCase{"NOTES", "notes"},
                                         FindCase{"calc ", nullptr}, FindCase{"cal", nullptr},
                                         FindCase{"calcx", nullptr}, FindCase{"", nullptr}),
                         case_name::Of<FindCase>());

TEST(AliasList, FindReturnsTheStoredRecord) {
    AliasList list;
    AddAll(list, {"calc"});
    AliasRecord* r = FindAlias(list, "CALC");
    ASSERT_NE(r, nullptr);
    CopyText(r->Command, "changed", sizeof(r->Command));
    EXPECT_STREQ(FindAlias(list, "calc")->Command, "changed");
}

struct RemoveCase {
    const char* removed;
    std::vector<std::string> left;
};

class AliasRemove : public testing::TestWithParam<RemoveCase> {};

TEST_P(AliasRemove, UnlinksExactMatchAndKeepsLinksAgreeing) {
    AliasList list;
    AddAll(list, {"first", "middle", "last"});
    RemoveAlias(list, GetParam().removed);
    EXPECT_EQ(Names(list), GetParam().left) << "removed '" << GetParam().removed << "'";
    ExpectChainAgrees(list);
}

std::string CaseName(const RemoveCase& c) {
    return case_name::FromText(c.removed);
}

void PrintTo(const RemoveCase& c, std::ostream* os) {
    *os << CaseName(c);
}

INSTANTIATE_TEST_SUITE_P(
    Table, AliasRemove,
    testing::Values(RemoveCase{"first", {"middle", "last"}},
                    RemoveCase{"middle", {"first", "last"}},
                    RemoveCase{"last", {"first", "middle"}},
                    RemoveCase{"Middle", {"first", "middle", "last"}},  // exact match only
                    RemoveCase{"none", {"first", "middle", "last"}}),
    case_name::Of<RemoveCase>());

TEST(AliasList, RemoveOnlyAliasEmptiesList) {
    AliasList list;
    AddAll(list, {"only"});
    RemoveAlias(list, "only");
    EXPECT_EQ(list.Sentinel.Next, nullptr);
    EXPECT_TRUE(AddAlias(list, "again", "x", "", 0));
    EXPECT_EQ(FirstAlias(list)->Prev, &list.Sentinel);
    ExpectChainAgrees(list);
}

TEST(AliasList, RemoveTakesOneAliasPerCall) {
    AliasList list;
    AddAll(list, {"a", "b", "c"});
    RemoveAlias(list, "b");
    RemoveAlias(list, "b");
    EXPECT_EQ(Names(list), (std::vector<std::string>{"a", "c"}));
    RemoveAlias(list, "a");
    RemoveAlias(list, "c");
    EXPECT_TRUE(Names(list).empty());
    ExpectChainAgrees(list);
}

TEST(AliasList, ReleaseEmptiesAndListCanBeUsedAgain) {
    AliasList list;
    ReleaseAliasList(list);  // only the sentinel
    AddAll(list, {"a", "b"});
    ReleaseAliasList(list);
    EXPECT_EQ(FirstAlias(list), nullptr);
    AddAll(list, {"b"});
    EXPECT_EQ(Names(list), (std::vector<std::string>{"b"}));
}

TEST(AliasList, TenThousandAliasesReleaseWithoutDeepCalls) {
    // Releasing one record inside another would nest 10,000 calls; under the sanitizers
    // that exhausts a small stack. The leak checker sees any record left behind.
    AliasList list;
    AliasRecord* last = &list.Sentinel;
    for (int i = 0; i < 10000; ++i) {
        // Built by hand: AddAlias walks the list twice per call.
        AliasRecord* r = static_cast<AliasRecord*>(std::calloc(1, sizeof(AliasRecord)));
        ASSERT_NE(r, nullptr) << "record " << i;
        std::snprintf(r->Name, sizeof(r->Name), "a%d", i);
        r->Prev = last;
        last->Next = r;
        last = r;
    }
    ReleaseAliasList(list);
    EXPECT_EQ(FirstAlias(list), nullptr);
}

}  // namespace

// Many adds through an AliasAdder, over a list that already holds aliases, give the same
// results and the same list as the same adds through AddAlias: names equal in another
// case, names cut to 16 characters that then equal a stored one, empty names, bytes above
// 127, and enough aliases for the index to grow several times.
TEST(AliasAdder, SameResultsAndListAsAddAliasOneByOne) {
    std::vector<std::string> names = {"",
                                      "",
                                      "Calc",
                                      "cALC",
                                      "x",
                                      std::string(20, 'q'),
                                      std::string(16, 'Q') + "other",
                                      "\xC4hre",
                                      "\xE4hre",
                                      "a b",
                                      "A B",
                                      "\x7F",
                                      "@",
                                      "`"};
    std::srand(12);
    for (int i = 0; i < 3000; ++i) {
        std::string name = "n" + std::to_string(std::rand() % 2000);
        if (std::rand() % 3 == 0) {
            for (char& c : name) {
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            }
        }
        names.push_back(name);
    }
    for (bool index : {true, false}) {
        SCOPED_TRACE(index ? "with the index" : "walking");
        AliasAdder::useIndex = index;
        AliasList bulk, single;
        AddAll(bulk, {"first", "N7"});
        AddAll(single, {"first", "N7"});
        std::string bulkResults, singleResults;
        {
            AliasAdder adder(bulk);
            for (std::size_t i = 0; i < names.size(); ++i) {
                const std::string command = "c" + std::to_string(i);
                bulkResults += adder.Add(names[i].c_str(), command.c_str(), "p", 0) ? '+' : '-';
                singleResults +=
                    AddAlias(single, names[i].c_str(), command.c_str(), "p", 0) ? '+' : '-';
            }
        }
        EXPECT_EQ(bulkResults, singleResults);
        EXPECT_EQ(Names(bulk), Names(single));
        ExpectChainAgrees(bulk);
        // The list goes on as before once the adder is gone.
        EXPECT_FALSE(AddAlias(bulk, "FIRST", "", "", 0));
        EXPECT_TRUE(AddAlias(bulk, "last", "", "", 0));
        EXPECT_EQ(Names(bulk).back(), "last");
    }
    AliasAdder::useIndex = true;
}
