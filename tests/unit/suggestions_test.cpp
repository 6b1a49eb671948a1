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

// Alias names in list order, then the history from the most recent, each text once
// without regard to letter case, at most 100.
TEST(Suggestions, AliasesThenHistoryEachTextOnceAtMostAHundred) {
    AliasList aliases;
    for (const char* name : {"notes", "calc", "Notepad"}) {
        ASSERT_TRUE(AddAlias(aliases, name, "x", "", 0));
    }
    CommandHistory history{};
    const char* entries[] = {"NOTES", "note a.txt", "", "g red fox", "notepad b.txt"};
    for (int i = 0; i < 5; ++i) {
        CopyText(history.Slots[i], entries[i], kTextBuffer);
    }
    static Suggestions list;
    SuggestNames("nO", aliases, history, list);
    EXPECT_EQ(Items(list),
              (std::vector<std::string>{"notes", "Notepad", "note a.txt", "notepad b.txt"}));
    SuggestNames("", aliases, history, list);
    EXPECT_EQ(list.count, 0);
    SuggestNames("G r", aliases, history, list);  // after an alias name and a space
    EXPECT_EQ(Items(list), std::vector<std::string>{"g red fox"});
    for (int i = 0; i < 120; ++i) {
        ASSERT_TRUE(AddAlias(aliases, ("n" + std::to_string(i)).c_str(), "x", "", 0));
    }
    SuggestNames("n", aliases, history, list);
    ASSERT_EQ(list.count, 100);
    EXPECT_STREQ(list.items[99], "n97");  // after "notes" and "Notepad"
    EXPECT_FALSE(AddFolderEntry(list, FolderQuery{"C:\\", "C:\\", ""}, "n.txt", false));
}

// The folder to list, what the typed text shows of it and the partial name; null: none.
class Folder : public ::testing::TestWithParam<std::vector<const char*>> {};

TEST_P(Folder, NamedByTheTypedText) {
    const std::vector<const char*>& c = GetParam();  // typed, start folder, folder, shown, partial
    FolderQuery query;
    ASSERT_EQ(FolderToList(c[0], c[1], query), c[2] != nullptr) << c[0];
    if (c[2] != nullptr) {
        EXPECT_EQ(std::vector<std::string>({query.folder, query.shown, query.partial}),
                  std::vector<std::string>({c[2], c[3], c[4]}));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Suggestions, Folder,
    ::testing::Values(std::vector<const char*>{"C:\\Pro", "D:\\", "C:\\", "C:\\", "Pro"},
                      std::vector<const char*>{"c:\\Program Files\\", "", "c:\\Program Files\\",
                                               "c:\\Program Files\\", ""},
                      std::vector<const char*>{"\"C:\\Pro", "", "C:\\", "\"C:\\", "Pro"},
                      std::vector<const char*>{".\\a", "D:\\s", "D:\\s\\.\\", ".\\", "a"},
                      std::vector<const char*>{"..\\x\\", "D:\\s\\", "D:\\s\\..\\x\\", "..\\x\\",
                                               ""},
                      std::vector<const char*>{".\\a", "", ".\\", ".\\", "a"},
                      std::vector<const char*>{"\\\\server\\share\\x", "", nullptr},
                      std::vector<const char*>{"notepad C:\\x", "", nullptr},
                      std::vector<const char*>{"C:\\a*", "", nullptr},
                      std::vector<const char*>{"C:", "", nullptr}),
    [](const ::testing::TestParamInfo<std::vector<const char*>>& i) {
        return std::to_string(i.index) + "_" + case_name::FromText(i.param[0]);
    });

TEST(Suggestions, FolderEntriesBeginWithThePartialNameAndFoldersEndInBackslash) {
    static Suggestions list;
    list.count = 0;
    const std::string tooLong(300, 'a');
    for (const char* name : {"alpha.txt", "ALPHA.txt", "Alps", "beta", tooLong.c_str()}) {
        EXPECT_TRUE(AddFolderEntry(list, {"D:\\s\\.\\", ".\\", "al"}, name,
                                   name[0] == 'A' && name[1] == 'l'));
    }
    EXPECT_EQ(Items(list), (std::vector<std::string>{".\\alpha.txt", ".\\Alps\\"}));
}

}  // namespace
