// Which suggestions the command box offers, and in which order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/suggestions.h"
#include "case_name.h"

namespace {

std::vector<std::string> Items(const Suggestions& list) {
    return std::vector<std::string>(list.items, list.items + list.count);
}

TEST(Suggestions, AliasesThenHistoryEachTextOnce) {
    AliasList aliases;
    for (const char* name : {"notes", "calc", "Notepad"}) {
        ASSERT_TRUE(AddAlias(aliases, name, "x", "", 0));
    }
    CommandHistory history{};
    const char* entries[] = {"NOTES", "note a.txt", "", "other", "notepad b.txt"};
    for (int i = 0; i < 5; ++i) {
        CopyText(history.Slots[i], entries[i], kTextBuffer);
    }
    static Suggestions list;
    SuggestNames("nO", aliases, history, list);
    EXPECT_EQ(Items(list),
              (std::vector<std::string>{"notes", "Notepad", "note a.txt", "notepad b.txt"}));
    SuggestNames("", aliases, history, list);
    EXPECT_EQ(list.count, 0);
}

TEST(Suggestions, AtMostTheFirstHundred) {
    AliasList aliases;
    for (int i = 0; i < 120; ++i) {
        ASSERT_TRUE(AddAlias(aliases, ("a" + std::to_string(i)).c_str(), "x", "", 0));
    }
    CommandHistory history{};
    CopyText(history.Slots[0], "a history entry", kTextBuffer);
    static Suggestions list;
    SuggestNames("a", aliases, history, list);
    ASSERT_EQ(list.count, 100);
    EXPECT_STREQ(list.items[99], "a99");
    FolderQuery query{"C:\\", "C:\\", ""};
    EXPECT_FALSE(AddFolderEntry(list, query, "file", false));
    EXPECT_EQ(list.count, 100);
}

struct FolderCase {
    const char* typed;
    const char* startFolder;
    const char* folder;  // null: nothing to list
    const char* shown;
    const char* partial;
};

class Folder : public ::testing::TestWithParam<FolderCase> {};

TEST_P(Folder, NamedByTheTypedText) {
    const FolderCase& c = GetParam();
    FolderQuery query;
    const bool listed = FolderToList(c.typed, c.startFolder, query);
    ASSERT_EQ(listed, c.folder != nullptr) << c.typed;
    if (listed) {
        EXPECT_STREQ(query.folder, c.folder);
        EXPECT_STREQ(query.shown, c.shown);
        EXPECT_STREQ(query.partial, c.partial);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Suggestions, Folder,
    ::testing::Values(FolderCase{"C:\\Pro", "D:\\", "C:\\", "C:\\", "Pro"},
                      FolderCase{"c:\\Program Files\\", "", "c:\\Program Files\\",
                                 "c:\\Program Files\\", ""},
                      FolderCase{"\"C:\\Pro", "", "C:\\", "\"C:\\", "Pro"},
                      FolderCase{".\\a", "D:\\s", "D:\\s\\.\\", ".\\", "a"},
                      FolderCase{"..\\x\\", "D:\\s\\", "D:\\s\\..\\x\\", "..\\x\\", ""},
                      FolderCase{".\\a", "", ".\\", ".\\", "a"},
                      FolderCase{"\\\\server\\share\\x", "", nullptr, "", ""},
                      FolderCase{"notepad C:\\x", "", nullptr, "", ""},
                      FolderCase{"C:\\a*", "", nullptr, "", ""},
                      FolderCase{"C:", "", nullptr, "", ""}),
    [](const ::testing::TestParamInfo<FolderCase>& i) {
        return case_name::FromText(i.param.typed) + "_" + std::to_string(i.index);
    });

TEST(Suggestions, FolderEntriesBeginWithThePartialNameAndFoldersEndInBackslash) {
    FolderQuery query{"D:\\s\\.\\", ".\\", "al"};
    static Suggestions list;
    list.count = 0;
    ASSERT_TRUE(AddSuggestion(list, ".\\ALPHA.txt"));  // as if from the history
    const std::string tooLong(300, 'a');
    for (const char* name : {"alpha.txt", "Alps", "beta", tooLong.c_str()}) {
        EXPECT_TRUE(AddFolderEntry(list, query, name, name[0] == 'A'));
    }
    EXPECT_EQ(Items(list), (std::vector<std::string>{".\\ALPHA.txt", ".\\Alps\\"}));
}

}  // namespace
