// Which suggestions the command box offers, and in which order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/suggestions.h"
#include "case_name.h"

namespace {

// An entry as "k:text", k its kind: a alias, p program, P program offered `later`, r recent,
// d folder, f file. Folder entries are offered by their name, from the folder that the typed
// text names.
std::string Shown(const Suggestion& s) {
    const char kinds[] = "aprdf";
    const char k =
        s.kind == SuggestionKind::kProgram && s.later ? 'P' : kinds[static_cast<int>(s.kind)];
    return std::string(1, k) + ":" + s.text;
}

std::vector<std::string> Ranked(const char* typed, const char* remembered,
                                const std::vector<std::string>& candidates) {
    static Suggestions list;
    StartSuggestions(list, typed, remembered);
    FolderQuery query{};
    const bool folder = FolderToList(typed, "D:\\s", query);
    for (const std::string& c : candidates) {
        const char* text = c.c_str() + 2;
        switch (c[0]) {
            case 'a':
                OfferSuggestion(list, text, SuggestionKind::kAlias);
                break;
            case 'p':
            case 'P':
                OfferSuggestion(list, text, SuggestionKind::kProgram, 7, c[0] == 'P');
                break;
            case 'r':
                OfferSuggestion(list, text, SuggestionKind::kRecent);
                break;
            default:
                EXPECT_TRUE(folder) << typed;
                AddFolderEntry(list, query, text, c[0] == 'd');
        }
    }
    FinishSuggestions(list);
    std::vector<std::string> shown;
    for (int i = 0; i < list.count; ++i) {
        shown.push_back(Shown(list.items[i]));
    }
    return shown;
}

TEST(Suggestions, RankedByHowWellTheyMatch) {
    // 150 entries of equal scores, offered out of order: the best 100 are the shortest,
    // alphabetically, after the alias named as typed; an alias of a kept text offered last
    // takes its place, and by its kind comes before the other entries of its length.
    std::vector<std::string> many = {"a:n"}, best = {"a:n", "a:N5"};
    for (int i = 0; i < 150; ++i) {
        many.push_back("r:n" + std::to_string(i * 37 % 150));
    }
    many.push_back("a:N5");
    for (int i = 0; i < 99; ++i) {
        if (i != 5) {
            best.push_back("r:n" + std::to_string(i));
        }
    }
    const std::string line(kTextChars, 'a'), tooLong(kTextChars + 1, 'a');
    const struct {
        const char* typed;
        const char* remembered;
        std::vector<std::string> candidates;  // in the order offered
        std::vector<std::string> expected;
    } cases[] = {
        {"vsc",
         nullptr,
         {"r:Visual Studio Installer", "p:Visual Studio Code"},
         {"p:Visual Studio Code"}},
        {"term",
         nullptr,
         {"p:Character Map", "p:Windows Terminal"},
         {"p:Windows Terminal", "p:Character Map"}},
        {"code",
         nullptr,
         {"p:Barcode Scanner", "p:Visual Studio Code", "r:code.exe"},
         {"r:code.exe", "p:Visual Studio Code", "p:Barcode Scanner"}},
        {"fb", nullptr, {"r:afoobar", "r:foo bar"}, {"r:foo bar", "r:afoobar"}},
        {"ntp", nullptr, {"a:nt", "p:Notepad++", "r:pnt"}, {"p:Notepad++"}},
        {"", nullptr, {"a:x", "r:calc"}, {}},
        // Letter case is folded; a capital after a lower-case letter and every delimiter
        // begins a word; the length counts characters, not bytes.
        {"NoTe", nullptr, {"r:keynote", "a:notes"}, {"a:notes", "r:keynote"}},
        {"abc", nullptr, {"r:zaxbxc", "r:zzzabc"}, {"r:zzzabc", "r:zaxbxc"}},  // a run first
        {"ed", nullptr, {"r:aaed", "r:zed1"}, {"r:zed1", "r:aaed"}},  // the earlier match first
        {"np", nullptr, {"r:nofopad", "r:nofoPax"}, {"r:nofoPax", "r:nofopad"}},
        {"b",
         nullptr,
         {"r:xa!b", "r:xa_b", "r:xa\\b", "r:xa.b", "r:xa-b", "r:xa b"},
         {"r:xa b", "r:xa-b", "r:xa.b", "r:xa\\b", "r:xa_b", "r:xa!b"}},
        {"caf", nullptr, {"r:cafeea", "r:caf\xC3\xA9s"}, {"r:caf\xC3\xA9s", "r:cafeea"}},
        // Each text once: the first kind in the order alias, program, recent keeps it.
        {"no",
         nullptr,
         {"r:NOTES", "p:Notes", "a:notes", "r:notes", "r:Note", "p:NOTE"},
         {"p:NOTE", "a:notes"}},
        // Equal scores and lengths: by kind, then alphabetically.
        {"ab", nullptr, {"r:ab1", "p:ab3", "a:ab4", "r:ab0"}, {"a:ab4", "p:ab3", "r:ab0", "r:ab1"}},
        // First the entry remembered for the text, then the alias named so, then the program.
        {"calc",
         "RECALC 1",
         {"r:calc.exe", "r:recalc 1", "p:Calculator", "a:calc"},
         {"r:recalc 1", "a:calc", "r:calc.exe", "p:Calculator"}},
        {"uninstall",
         nullptr,
         {"r:uninstall.log", "P:Uninstall"},
         {"P:Uninstall", "r:uninstall.log"}},
        // An uninstaller after the others of its score, however short.
        {"zed",
         nullptr,
         {"P:Uninstall Old Zed", "p:Launch the new Zed Editor"},
         {"p:Launch the new Zed Editor", "P:Uninstall Old Zed"}},
        {"n", nullptr, many, best},
        {"a", nullptr, {"r:" + tooLong, "r:" + line}, {"r:" + line}},
        // Folder entries: the name alone matches the partial name; with none, every entry
        // scores alike.
        {"C:\\Pro",
         nullptr,
         {"d:Program Files", "f:Apps", "f:paragon", "f:xPro", "f:Prosper", "f:pro.txt",
          "f:" + line},
         {"f:C:\\pro.txt", "f:C:\\Prosper", "d:C:\\Program Files\\", "f:C:\\xPro",
          "f:C:\\paragon"}},
        {"C:\\c",
         nullptr,
         {"f:abc", "f:cab", "d:cb", "f:cab"},
         {"d:C:\\cb\\", "f:C:\\cab", "f:C:\\abc"}},
        {"C:\\", nullptr, {"f:a.txt", "d:b", "f:c"}, {"f:C:\\c", "d:C:\\b\\", "f:C:\\a.txt"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("typed '") + c.typed + "'");
        EXPECT_EQ(Ranked(c.typed, c.remembered, c.candidates), c.expected);
    }
}

TEST(Suggestions, NamesAreAliasesAndRecentLinesOfALineAtMost) {
    AliasList aliases;
    ASSERT_TRUE(AddAlias(aliases, "gx", "x", "", 0));
    CommandHistory history{};
    CopyText(history.Slots[0], "g red fox", kTextBuffer);
    std::string(kTextChars + 1, 'g').copy(history.Slots[1], kTextChars + 1);  // an older version's
    static Suggestions list;
    StartSuggestions(list, "g", nullptr);
    SuggestNames(list, aliases, history);
    FinishSuggestions(list);
    ASSERT_EQ(list.count, 2);
    EXPECT_EQ(Shown(list.items[0]) + " " + Shown(list.items[1]), "a:gx r:g red fox");
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

}  // namespace
