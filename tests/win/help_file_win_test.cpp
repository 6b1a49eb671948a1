// The built help file beside the program, read back through its keyword index: the two
// keywords that the program asks for lead to the topics they name. (Wine's help viewer
// ignores HELP_KEY requests, so the jump itself cannot be watched under Wine; the index is
// what a viewer that honours them looks the keyword up in.) And zantrel.chm through OpenHelp.
#include <gtest/gtest.h>

#include <windows.h>

#include "help_index.h"
#include "state/process_win.h"
#include "state/text.h"
#include "ui/dialogs.h"

namespace {

std::string HelpFile() {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path, n);
    return dir.substr(0, dir.find_last_of("\\/")) + "\\zantrel.hlp";
}

class HelpIndexTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { read_ = wintest::ReadHelpIndex(HelpFile(), &index_, &error_); }

    std::string TitleOf(uint32_t topic) {
        auto it = index_.titles.find(topic);
        return it == index_.titles.end() ? "<no topic>" : it->second;
    }

    static wintest::HelpIndex index_;
    static bool read_;
    static std::string error_;
};

wintest::HelpIndex HelpIndexTest::index_;
bool HelpIndexTest::read_ = false;
std::string HelpIndexTest::error_;

struct KeywordCase {
    const char* keyword;  // what the program passes to WinHelpA
    const char* title;    // the topic it must reach
};

const KeywordCase kKeywords[] = {
    {"Contents", "Contents"},                        // tray and system menu "H&elp"
    {"Settings", "Chapter 5: The Settings dialog"},  // the Settings dialog's "&Help"
};

TEST_F(HelpIndexTest, KeywordsTheProgramAsksForLeadToTheTopicsTheyName) {
    ASSERT_TRUE(read_) << error_;
    for (const KeywordCase& c : kKeywords) {
        auto found = index_.keywords.find(c.keyword);
        ASSERT_NE(index_.keywords.end(), found) << "no keyword " << c.keyword;
        ASSERT_EQ(1u, found->second.size()) << c.keyword << " leads to more than one topic";
        EXPECT_EQ(c.title, TitleOf(found->second[0])) << c.keyword;
    }
}

TEST_F(HelpIndexTest, ContentsIsTheFirstTopic) {
    ASSERT_TRUE(read_) << error_;
    ASSERT_FALSE(index_.titles.empty());
    ASSERT_EQ(1u, index_.keywords.count("Contents"));
    EXPECT_EQ(index_.titles.begin()->first, index_.keywords["Contents"].front())
        << "the first topic is " << index_.titles.begin()->second;
}

TEST(HelpIndexReader, RefusesAFileThatIsNoHelpFile) {
    wintest::HelpIndex index;
    std::string error;
    std::string licence = HelpFile();
    licence.replace(licence.rfind("zantrel.hlp"), 11, "license.txt");
    EXPECT_FALSE(wintest::ReadHelpIndex(licence, &index, &error));
    EXPECT_EQ("not a help file", error);
}

// Wine's viewer opens nothing for a keyword lookup: "Settings" opens here only through the
// fallback to the first topic. CloseHelp, as at shutdown, closes the window.
TEST(HtmlHelp, SettingsOpensTheBuiltFileAndCloseHelpClosesIt) {
    const std::string folder = HelpFile().substr(0, HelpFile().rfind('\\'));
    CopyText(g_state.settings.InstallPath, folder.c_str(), kTextBuffer);
    ASSERT_TRUE(OpenHelp("Settings"));
    HWND viewer = FindWindowA("HH Parent", "Zantrel Help");
    ASSERT_NE(nullptr, viewer);
    CloseHelp();
    EXPECT_FALSE(IsWindow(viewer)) << "the help window outlived CloseHelp";
}

}  // namespace
