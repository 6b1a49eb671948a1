// The built help files beside the program. zantrel.hlp read back through its keyword index:
// the two keywords that the program asks for lead to the topics they name. (Wine's help
// viewer ignores HELP_KEY requests, so the jump itself cannot be watched under Wine; the
// index is what a viewer that honours them looks the keyword up in.) zantrel.chm opened
// through OpenHelp in this process, as the program opens it.
#include <gtest/gtest.h>

#include <windows.h>

#include "help_index.h"
#include "state/process_win.h"
#include "state/text.h"
#include "ui/dialogs.h"

namespace {

std::string ExeFolder() {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path, n);
    return dir.substr(0, dir.find_last_of("\\/"));
}

std::string HelpFile() {
    return ExeFolder() + "\\zantrel.hlp";
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

// The HTML Help window of this process, titled with the help file's title; null if none.
HWND HtmlHelpWindow() {
    HWND window = FindWindowA(nullptr, "Zantrel Help");
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid == GetCurrentProcessId() ? window : nullptr;
}

// zantrel.chm beside the test program stands for the install folder's. Wine's viewer opens
// nothing for a keyword lookup, so "Settings" shows there only through the fallback to the
// file's first topic; on Windows the lookup itself opens the Settings dialog's topic.
TEST(HtmlHelp, OpensTheBuiltFileAtEitherKeywordAndCloseHelpClosesIt) {
    CopyText(g_state.settings.InstallPath, ExeFolder().c_str(), kTextBuffer);
    for (const char* keyword : {"Contents", "Settings"}) {
        EXPECT_TRUE(OpenHelp(nullptr, keyword)) << keyword;
        HWND viewer = HtmlHelpWindow();
        EXPECT_NE(nullptr, viewer) << "no help window for " << keyword;
        CloseHelp();
        EXPECT_FALSE(IsWindow(viewer)) << "the help window outlived CloseHelp";
    }
}

// A zantrel.chm the viewer cannot read is a failure, which the caller reports; WinHelp is
// not tried instead.
TEST(HtmlHelp, AFileTheViewerCannotReadIsAFailure) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "zantrel-help-test";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string chm = folder + "\\zantrel.chm";
    HANDLE file = CreateFileA(chm.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    DWORD written = 0;
    WriteFile(file, "not a help file", 15, &written, nullptr);
    CloseHandle(file);
    CopyText(g_state.settings.InstallPath, folder.c_str(), kTextBuffer);
    EXPECT_FALSE(OpenHelp(nullptr, "Contents"));
    EXPECT_EQ(nullptr, HtmlHelpWindow());
    CloseHelp();
    DeleteFileA(chm.c_str());
    RemoveDirectoryA(folder.c_str());
}

}  // namespace
