// What the alias editors accept: the input check on first characters, New Alias refusing
// used and session command names, Edit Alias changing a record in place.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/alias_editor.h"

namespace {

struct InputCase {
    const char* label;
    const char* name;
    const char* command;
    const char* startPath;
    bool complete;
};

const InputCase kInputCases[] = {
    {"AllGiven", "ed", "notepad.exe", "C:\\", true},
    {"NameEmpty", "", "notepad.exe", "C:\\", false},
    {"NameStartsWithSpace", " ed", "notepad.exe", "C:\\", true},
    {"CommandEmpty", "ed", "", "C:\\", false},
    {"CommandStartsWithSpace", "ed", " notepad.exe", "C:\\", false},
    {"CommandStartsWithStar", "ed", "*notepad.exe", "C:\\", false},
    {"StarLaterInCommand", "ed", "a.exe*b.exe", "C:\\", true},
    {"CommandEndsWithSpace", "ed", "notepad.exe ", "C:\\", true},
    {"StartPathEmpty", "ed", "notepad.exe", "", false},
    {"StartPathStartsWithSpace", "ed", "notepad.exe", " C:\\", false},
    {"StartPathStartsWithStar", "ed", "notepad.exe", "*", true},
};

class AliasInputTest : public ::testing::TestWithParam<InputCase> {};

TEST_P(AliasInputTest, LooksAtTheFirstCharactersOnly) {
    const InputCase& c = GetParam();
    EXPECT_EQ(c.complete, AliasInputComplete({c.name, c.command, c.startPath, 0}));
}

INSTANTIATE_TEST_SUITE_P(Cases, AliasInputTest, ::testing::ValuesIn(kInputCases),
                         [](const ::testing::TestParamInfo<InputCase>& info) {
                             return std::string(info.param.label);
                         });

std::vector<std::string> Names(const AliasList& list) {
    std::vector<std::string> names;
    for (const AliasRecord* r = FirstAlias(list); r != nullptr; r = r->Next) {
        names.push_back(r->Name);
    }
    return names;
}

class AliasEditorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* name : {"one", "two", "three"}) {
            ASSERT_TRUE(AddAlias(list, name, "run.exe", "C:\\", kStateNormal)) << name;
        }
    }
    AliasList list;
};

struct NameCase {
    const char* label;
    const char* name;
};

// Names New Alias refuses, and Edit Alias too when it gives them to "two".
const NameCase kTakenNames[] = {
    {"OtherAlias", "one"},     {"OtherAliasOtherCase", "THREE"},
    {"Shutdown", "!shutdown"}, {"RebootMixedCase", "!ReBoOt"},
    {"Logoff", "!LOGOFF"},
};

class TakenNameTest : public AliasEditorTest, public ::testing::WithParamInterface<NameCase> {};

TEST_P(TakenNameTest, NewAliasRefusesAndChangesNothing) {
    EXPECT_FALSE(AddEditedAlias(list, {GetParam().name, "x.exe", "D:\\", kStateMaximized}));
    EXPECT_EQ((std::vector<std::string>{"one", "two", "three"}), Names(list));
}

TEST_P(TakenNameTest, EditAliasRefusesAndChangesNothing) {
    AliasRecord& two = *FindAlias(list, "two");
    EXPECT_FALSE(ChangeAlias(list, two, {GetParam().name, "x.exe", "D:\\", kStateMaximized}));
    EXPECT_STREQ("two", two.Name);
    EXPECT_STREQ("run.exe", two.Command);
    EXPECT_STREQ("C:\\", two.StartPath);
    EXPECT_EQ(kStateNormal, two.WindowState);
}

INSTANTIATE_TEST_SUITE_P(Names, TakenNameTest, ::testing::ValuesIn(kTakenNames),
                         [](const ::testing::TestParamInfo<NameCase>& info) {
                             return std::string(info.param.label);
                         });

TEST_F(AliasEditorTest, NewAliasAppendsWithItsWindowState) {
    ASSERT_TRUE(AddEditedAlias(list, {"four", "x.exe", "D:\\", kStateMinimized}));
    EXPECT_EQ((std::vector<std::string>{"one", "two", "three", "four"}), Names(list));
    EXPECT_EQ(kStateMinimized, FindAlias(list, "four")->WindowState);
}

TEST_F(AliasEditorTest, NewAliasComparesTheCutName) {
    ASSERT_TRUE(AddEditedAlias(list, {"abcdefghijklmnop", "x.exe", "D:\\", 0}));
    // The dialog reads at most 16 characters: a longer typed name arrives cut.
    EXPECT_FALSE(AddEditedAlias(list, {"ABCDEFGHIJKLMNOP", "x.exe", "D:\\", 0}));
    EXPECT_TRUE(AddEditedAlias(list, {"!logoff2", "x.exe", "D:\\", 0}))
        << "only whole session command names are refused";
}

TEST_F(AliasEditorTest, EditAliasOverwritesInPlace) {
    AliasRecord& two = *FindAlias(list, "two");
    ASSERT_TRUE(ChangeAlias(list, two, {"zwei", "y.exe -a", "E:\\work", kStateMinimized}));
    EXPECT_EQ((std::vector<std::string>{"one", "zwei", "three"}), Names(list));
    EXPECT_EQ(&two, FindAlias(list, "zwei"));
    EXPECT_STREQ("y.exe -a", two.Command);
    EXPECT_STREQ("E:\\work", two.StartPath);
    EXPECT_EQ(kStateMinimized, two.WindowState);
}

TEST_F(AliasEditorTest, EditAliasAcceptsACaseVariantOfItsOwnNameAsTyped) {
    AliasRecord& two = *FindAlias(list, "two");
    ASSERT_TRUE(ChangeAlias(list, two, {"TwO", "run.exe", "C:\\", kStateNormal}));
    EXPECT_EQ((std::vector<std::string>{"one", "TwO", "three"}), Names(list));
}

TEST_F(AliasEditorTest, EditAliasKeepsLongTextsWithinTheirFields) {
    AliasRecord& two = *FindAlias(list, "two");
    const std::string command(260, 'c');
    const std::string path(260, 'p');
    ASSERT_TRUE(ChangeAlias(list, two, {"two", command.c_str(), path.c_str(), 7}));
    EXPECT_EQ(command, two.Command);
    EXPECT_EQ(path, two.StartPath);
    EXPECT_EQ(7u, two.WindowState);
}

}  // namespace
