// The About box as the user reaches it: from the tray menu and the system menu, what it
// shows, the three ways it ends, its licence button, and the help files in their viewers.
// One running program serves all the About cases: each case leaves the box closed.
#include <gtest/gtest.h>

#include "harness.h"
#include "zantrel_version.h"

using namespace e2e;

namespace {

constexpr int kLicenseButton = 1033;
constexpr int kNoId = 0xFFFF;
const char kAboutCaption[] = "About Zantrel";

struct Control {
    int id;
    std::string kind;
    std::string text;
    bool operator==(const Control& o) const {
        return id == o.id && kind == o.kind && text == o.text;
    }
};

std::ostream& operator<<(std::ostream& out, const Control& c) {
    return out << "{" << c.id << ", " << c.kind << ", \"" << c.text << "\"}";
}

std::vector<Control> Controls(HWND dialog) {
    std::vector<Control> controls;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        controls.push_back({GetDlgCtrlID(child) & 0xFFFF, ClassOf(child), WindowText(child)});
    }
    return controls;
}

class AboutTest : public ::testing::Test {
  protected:
    // The program runs from an install folder of its own, which holds no license.txt until
    // a case puts one there (the build folder has one, and the shell would find it there).
    // The shell opens .txt files with the recorder, which tells what it was given and where
    // it started. Beside the program lie zantrel.chm and a planted "hhctrl.ocx".
    static void SetUpTestSuite() {
        ClearProgramState();
        MakeReturningUser();
        folder_ = MakeTempFolder("install");
        for (const char* file : {"zantrel.exe", "zantrel.chm"}) {
            CopyFileA((ExeDir() + "\\" + file).c_str(), (folder_ + "\\" + file).c_str(), FALSE);
        }
        WriteFile(folder_ + "\\hhctrl.ocx", "planted");
        record_ = MakeTempFolder("license-record") + "\\opened.txt";
        SetValue(HKEY_LOCAL_MACHINE, kMainKey, "Path", REG_SZ, folder_.c_str(),
                 static_cast<DWORD>(folder_.size() + 1));
        handler_ = new FileTypeHandler(
            ".txt", "\"" + ExeDir() + "\\recorder.exe\" \"" + record_ + "\" \"%1\"");
        app_ = new Program(folder_ + "\\zantrel.exe");
        if (app_->Start()) {
            WaitUntil([] { return app_->Window() != nullptr && IsShown(app_->Window()); });
        }
    }

    static void TearDownTestSuite() {
        delete app_;
        app_ = nullptr;
        delete handler_;
        handler_ = nullptr;
        for (const char* file : {"license.txt", "zantrel.exe", "zantrel.chm", "hhctrl.ocx"}) {
            DeleteFileA((folder_ + "\\" + file).c_str());
        }
        RemoveDirectoryA(folder_.c_str());
        DeleteFileA(record_.c_str());
        RemoveDirectoryA(record_.substr(0, record_.rfind('\\')).c_str());
        ClearProgramState();
    }

    void SetUp() override {
        ASSERT_TRUE(handler_->ok()) << "the .txt handler could not be registered";
        ASSERT_TRUE(app_->Running()) << "zantrel.exe is not running";
        window = app_->Window();
        ASSERT_NE(nullptr, window);
        ASSERT_EQ(0, CountDialogs(app_->Pid(), kAboutCaption))
            << "an earlier case left an About box";
    }

    void TearDown() override {
        // A failed case may leave a box open: end it, so that the next case starts clean.
        WaitUntil([&] {
            HWND box = FindDialog(app_->Pid(), kAboutCaption);
            if (box != nullptr) {
                PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
            }
            return box == nullptr;
        });
    }

    HWND WaitForAbout() { return WaitForDialog(app_->Pid(), kAboutCaption); }

    // Right-click on the tray icon, then "&About" by its access key.
    void ChooseAboutInTrayMenu() {
        ASSERT_TRUE(OpenTrayMenu(window)) << "the tray menu did not open";
        PressKey('A');
        ASSERT_TRUE(WaitUntil([&] { return !MenuShown(app_->Pid()); }))
            << "the tray menu did not close";
    }

    // Alt+Space opens the command window's system menu, which ends with "&About" and
    // "&Close"; Up twice and Enter choose "&About". (Its access key would not do: Wine's
    // own "About Wine" item in the same menu answers to A first.)
    void ChooseAboutInSystemMenu() {
        ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == window; }))
            << "the command window is not in front";
        PressKeys({VK_MENU}, VK_SPACE);
        ASSERT_TRUE(WaitUntil([&] { return MenuShown(app_->Pid()); }))
            << "the system menu did not open";
        PressKey(VK_UP);
        PressKey(VK_UP);
        PressKey(VK_RETURN);
    }

    // The box is gone, its owner usable again, the program still running.
    void ExpectEnded(HWND about, const char* how) {
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); })) << how << " did not end it";
        EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(window) != FALSE; }))
            << "the command window stayed disabled after " << how;
        EXPECT_TRUE(app_->Running());
    }

    static Program* app_;
    static FileTypeHandler* handler_;
    static std::string folder_;
    static std::string record_;
    HWND window = nullptr;
};

Program* AboutTest::app_ = nullptr;
FileTypeHandler* AboutTest::handler_ = nullptr;
std::string AboutTest::folder_;
std::string AboutTest::record_;

TEST_F(AboutTest, TrayMenuOpensItOwnedWithItsTextsAndTheFocusOnOk_OkEndsIt) {
    ChooseAboutInTrayMenu();
    HWND about = WaitForAbout();
    ASSERT_NE(nullptr, about) << "no About box";
    EXPECT_EQ(window, GetWindow(about, GW_OWNER));
    EXPECT_FALSE(IsWindowEnabled(window)) << "the box is not modal to the command window";
    EXPECT_TRUE(WaitUntil([&] { return FocusOf(about) == GetDlgItem(about, IDCANCEL); }))
        << "focus on " << ClassOf(FocusOf(about)) << " \"" << WindowText(FocusOf(about)) << "\"";

    std::vector<Control> seen = Controls(about);
    ASSERT_EQ(5u, seen.size());
    EXPECT_NE(std::string::npos, seen[4].text.find("Corvath Software")) << seen[4].text;
    seen[2].text = "";  // the icon control's text is the icon's resource number
    const std::vector<Control> expected = {{IDCANCEL, "Button", "OK"},
                                           {kLicenseButton, "Button", "License Agreement"},
                                           {kNoId, "Static", ""},
                                           {kNoId, "Static", "Version " ZANTREL_VERSION},
                                           {kNoId, "Static", seen[4].text}};
    EXPECT_EQ(expected, seen);
    HWND icon = GetWindow(GetDlgItem(about, kLicenseButton), GW_HWNDNEXT);
    EXPECT_EQ(SS_ICON, GetWindowLongA(icon, GWL_STYLE) & SS_TYPEMASK);
    EXPECT_NE(0, SendMessageA(icon, STM_GETICON, 0, 0)) << "the icon control shows no icon";
    EXPECT_EQ(nullptr, GetDlgItem(about, IDOK)) << "no control may carry IDOK";

    SendMessageA(GetDlgItem(about, IDCANCEL), BM_CLICK, 0, 0);
    ExpectEnded(about, "OK");
}

TEST_F(AboutTest, SystemMenuOpensIt_EscEndsIt) {
    ChooseAboutInSystemMenu();
    HWND about = WaitForAbout();
    ASSERT_NE(nullptr, about) << "no About box from the system menu";
    EXPECT_EQ(window, GetWindow(about, GW_OWNER));
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == about; }))
        << "the About box is not in front for Esc";
    PressKey(VK_ESCAPE);
    ExpectEnded(about, "Esc");
}

TEST_F(AboutTest, AboutAgainWhileOpenDoesNothing_CloseBoxEndsIt) {
    ChooseAboutInTrayMenu();
    HWND about = WaitForAbout();
    ASSERT_NE(nullptr, about);

    ChooseAboutInTrayMenu();
    EXPECT_FALSE(WaitUntil([&] { return CountDialogs(app_->Pid(), kAboutCaption) > 1; }, 1500))
        << "a second About box opened";
    EXPECT_TRUE(IsWindowVisible(about)) << "choosing About again closed the open box";

    PostMessageA(about, WM_SYSCOMMAND, SC_CLOSE, 0);
    ExpectEnded(about, "the close box");
}

// A missing file is reported and the box stays; once the file is there, the same button
// opens it through the shell, in the install folder.
TEST_F(AboutTest, LicenseAgreementReportsAMissingFileThenOpensItOnceItIsThere) {
    ChooseAboutInTrayMenu();
    HWND about = WaitForAbout();
    ASSERT_NE(nullptr, about);
    HWND button = GetDlgItem(about, kLicenseButton);

    PostMessageA(button, BM_CLICK, 0, 0);
    MessageBoxInfo box;
    ASSERT_TRUE(WaitForMessageBox(app_->Pid(), &box, kWaitMs, about))
        << "no message for the missing license.txt";
    EXPECT_EQ("Zantrel", box.title);
    EXPECT_EQ("Error opening license file.", box.text);
    EXPECT_STREQ("error", IconName(box.icon));
    EXPECT_EQ(std::vector<int>{IDOK}, box.buttons);
    EXPECT_FALSE(FileExists(record_)) << "something was opened";
    Answer(box, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box.box); }));
    EXPECT_TRUE(IsWindowVisible(about)) << "the About box did not stay open";

    ASSERT_TRUE(CopyFileA((ExeDir() + "\\license.txt").c_str(), (folder_ + "\\license.txt").c_str(),
                          FALSE));
    PostMessageA(button, BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return FileExists(record_); }))
        << "the second press opened nothing";
    const Record seen = ReadRecord(record_);
    EXPECT_EQ(folder_, seen.directory);
    EXPECT_NE(std::string::npos, seen.commandLine.find(folder_ + "\\license.txt"))
        << seen.commandLine;
    EXPECT_EQ(1, seen.show) << "SW_SHOWNORMAL";
    EXPECT_FALSE(WaitForMessageBox(app_->Pid(), &box, 300, about)) << "a message: " << box.text;
    EXPECT_TRUE(IsWindowVisible(about)) << "the About box closed after opening the licence";
}

// "H&elp" opens zantrel.chm in the HTML Help viewer, and no message. Its library comes from
// the system folder: the planted file beside the program, no library, would fail to load.
TEST_F(AboutTest, HelpInTheTrayMenuOpensTheHtmlHelpViewer) {
    ASSERT_TRUE(OpenTrayMenu(window)) << "the tray menu did not open";
    PressKey('E');
    HWND viewer = nullptr;
    WaitUntil([&] { return (viewer = FindTopWindow(app_->Pid(), "HH Parent", true)) != nullptr; });
    EXPECT_TRUE(NoMessageBox(app_->Pid())) << "a message box instead of or beside the help";
    ASSERT_NE(nullptr, viewer) << "no HTML Help window";
    EXPECT_EQ("Zantrel Help", WindowText(viewer));
    PostMessageA(viewer, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitGone(viewer));
}

// The viewer opens the built help file and shows its title first in its caption, which
// Wine's viewer follows with its own name and the file's path. (Wine's viewer ignores
// HELP_KEY requests, so the jump to a keyword cannot be watched here; the keyword index
// itself is read back by the Win32 tests.) The viewer is the 64-bit one of the system
// folder: a 64-bit Wine without its 32-bit half has no other.
TEST(HelpFile, OpensInTheHelpViewerWithItsTitle) {
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    Program viewer(std::string(system) + "\\winhlp32.exe", "\"" + ExeDir() + "\\zantrel.hlp\"");
    ASSERT_TRUE(viewer.Start());
    HWND main = nullptr;
    EXPECT_TRUE(WaitUntil([&] {
        main = FindTopWindow(viewer.Pid(), "MS_WINHELP", true);
        return main != nullptr && WindowText(main).rfind("Zantrel Help ", 0) == 0;
    })) << "viewer window: "
        << (main != nullptr ? "\"" + WindowText(main) + "\"" : "none");
    EXPECT_TRUE(NoMessageBox(viewer.Pid())) << "the viewer reported a problem";
}

}  // namespace
