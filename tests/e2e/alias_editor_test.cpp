// The New Alias and Edit Alias dialogs opened from the Settings dialog and driven as a user
// would: what they show, every refusal, what reaches the registry, the browse buttons
// through Wine's real pickers, and a new alias run from the command window.
#include <gtest/gtest.h>

#include "dialog_fixture.h"
#include "stored_values.h"

using namespace e2e;
using namespace e2e::editor_id;

namespace {

const char kIncomplete[] = "You must enter an alias name, command and start path.";
const char kNotAdded[] =
    "Error adding alias...  You entered in an alias name that already is used or is the same "
    "name as one of the Zantrel system commands.";
const char kNameUsed[] = "Alias name is already used.";
const char kTooLong[] = "The chosen path is too long.";

class AliasEditorTest : public DialogTest {
  protected:
    // Clicks "New" or "&Edit" in the Settings dialog and waits for the editor it owns.
    void OpenEditor(int button, const char* caption) {
        Click(Item(button));
        editor = WaitForDialog(app.Pid(), caption, settings);
        ASSERT_NE(nullptr, editor) << caption << " did not open";
    }

    HWND Field(int id) const { return GetDlgItem(editor, id); }

    void Type(const std::string& name, const std::string& command, const std::string& path) {
        SetControlText(Field(kName), name);
        SetControlText(Field(kCommand), command);
        SetControlText(Field(kStartPath), path);
    }

    // OK is refused with this message; the editor stays open.
    void ExpectRefused(const char* text, const char* icon) {
        Click(Field(IDOK));
        ExpectMessage(editor, text, icon, IDOK);
        EXPECT_TRUE(IsShown(editor)) << "the refusal closed the editor";
    }

    // Opens at the top-left of the Settings dialog's client area, focus on OK.
    void ExpectPlacedOnSettings() {
        const POINT editorOrigin = ClientOrigin(editor);
        const POINT settingsOrigin = ClientOrigin(settings);
        EXPECT_EQ(settingsOrigin.x, editorOrigin.x);
        EXPECT_EQ(settingsOrigin.y, editorOrigin.y);
        EXPECT_TRUE(WaitUntil([&] { return FocusOf(editor) == Field(IDOK); }));
    }

    // Has any save happened? Every save writes the window position.
    static bool Saved() { return ValueExists(HKEY_CURRENT_USER, kMainKey, "LocX"); }

    HWND editor = nullptr;
};

struct Refusal {
    const char* label;
    const char* name;
    const char* command;
    const char* startPath;
    const char* text;
    const char* icon;
};

const Refusal kNewRefusals[] = {
    {"CommandStartsWithStar", "new", "*x.exe", "C:\\", kIncomplete, "warning"},
    {"StartPathStartsWithSpace", "new", "x.exe", " C:\\", kIncomplete, "warning"},
    {"UsedNameOtherCase", "CALC", "x.exe", "C:\\", kNotAdded, "error"},
    {"SessionCommandName", "!ReBoot", "x.exe", "C:\\", kNotAdded, "error"},
    {"UsedNameAfterTheCut", "abcdefghijklmnopqrst", "x.exe", "C:\\", kNotAdded, "error"},
};

TEST_F(AliasEditorTest, NewAliasRefusesBadInputThenAddsAnAliasThatRuns) {
    MakeReturningUser();
    ASSERT_TRUE(SetString(kMainKey, "StartPath", "C:\\users"));
    ASSERT_TRUE(SetStoredAlias(0, "calc", "calc.exe", "C:\\", 0));
    ASSERT_TRUE(SetStoredAlias(1, "abcdefghijklmnop", "x.exe", "C:\\", 0));
    TestFolder folder("new");
    const std::string startDir = folder / "start here";
    ASSERT_TRUE(CreateDirectoryA(startDir.c_str(), nullptr));
    Start();
    OpenSettings();
    SetControlText(Item(settings_id::kStartPath), "C:\\typed but not confirmed");

    OpenEditor(settings_id::kNew, "New Alias");
    ExpectPlacedOnSettings();
    EXPECT_EQ("", ControlText(Field(kName)));
    EXPECT_EQ("", ControlText(Field(kCommand)));
    EXPECT_EQ("C:\\users", ControlText(Field(kStartPath))) << "the confirmed start path";
    EXPECT_TRUE(IsChecked(Field(kNormal)));
    PressKey(VK_RETURN);
    ExpectMessage(editor, kIncomplete, "warning", IDOK);

    for (const Refusal& refusal : kNewRefusals) {
        SCOPED_TRACE(refusal.label);
        Type(refusal.name, refusal.command, refusal.startPath);
        ExpectRefused(refusal.text, refusal.icon);
    }
    EXPECT_FALSE(Saved());

    const std::string record = folder / "run.txt";
    const std::string command = "\"" + ExeDir() + "\\recorder.exe\" " + record + " new";
    Type("recorder-alias-name!", command, startDir);  // 20 characters: 16 are kept
    ClickNow(Field(kMaximized));
    Close(editor, IDOK);
    EXPECT_EQ((std::vector<std::string>{"calc", "abcdefghijklmnop", "recorder-alias-n"}),
              StoredAliasNames())
        << "saved at once, at the end of the list";
    ExpectValue(kAliasKey, "C2", REG_SZ, Sz(command));
    ExpectValue(kAliasKey, "P2", REG_SZ, Sz(startDir));
    ExpectValue(kAliasKey, "W2", REG_DWORD, Dword(1));
    const std::vector<std::string> listed = {"abcdefghijklmnop", "calc", "recorder-alias-n"};
    EXPECT_TRUE(WaitUntil([&] { return ListItems(Item(settings_id::kList)) == listed; }));
    EXPECT_EQ(-1, ListSelection(Item(settings_id::kList)));
    Close(settings, IDCANCEL);

    // Typed into the command window, the new alias launches maximized in its start path.
    PostCommand(window, 2001);  // ID_OPEN
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == window; }));
    SetComboText(window, "Recorder-Alias-N");
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return FileExists(record); })) << "the alias started nothing";
    const Record seen = ReadRecord(record);
    EXPECT_EQ(startDir, seen.directory);
    EXPECT_EQ(3, seen.show) << "SW_SHOWMAXIMIZED";
}

TEST_F(AliasEditorTest, EditAliasRefusesOtherNamesAndChangesInPlace) {
    MakeReturningUser();
    ASSERT_TRUE(SetStoredAlias(0, "one", "one.exe", "C:\\", 0));
    ASSERT_TRUE(SetStoredAlias(1, "two", "two.exe", "C:\\two", 5));
    ASSERT_TRUE(SetStoredAlias(2, "three", "three.exe", "C:\\", 0));
    Start();
    OpenSettings();
    HWND list = Item(settings_id::kList);
    ASSERT_TRUE(SelectListItem(list, "two"));
    OpenEditor(settings_id::kEdit, "Edit Alias");
    ExpectPlacedOnSettings();
    EXPECT_EQ("two", ControlText(Field(kName)));
    EXPECT_EQ("two.exe", ControlText(Field(kCommand)));
    EXPECT_EQ("C:\\two", ControlText(Field(kStartPath)));
    EXPECT_TRUE(IsChecked(Field(kMinimized))) << "state 5 shows as Minimized";
    EXPECT_FALSE(IsChecked(Field(kNormal)) || IsChecked(Field(kMaximized)));

    // Another alias's name in any case, and a session command's name, which could never
    // run as an alias.
    for (const char* name : {"ONE", "!LOGOFF"}) {
        SCOPED_TRACE(name);
        SetControlText(Field(kName), name);
        ExpectRefused(kNameUsed, "warning");
    }
    EXPECT_FALSE(Saved());

    // OK without a change still saves; state 5 is stored as Minimized.
    SetControlText(Field(kName), "two");
    Close(editor, IDOK);
    EXPECT_TRUE(Saved());
    ExpectValue(kAliasKey, "W1", REG_DWORD, Dword(2));
    EXPECT_EQ((std::vector<std::string>{"one", "two", "three"}), StoredAliasNames());
    EXPECT_TRUE(WaitUntil([&] { return ListSelection(list) == -1; })) << "not refilled";

    // A case variant of its own name, stored as typed, in the alias's old place.
    ASSERT_TRUE(SelectListItem(list, "two"));
    OpenEditor(settings_id::kEdit, "Edit Alias");
    Type("TWO", "TWO.exe -x", "D:\\");
    ClickNow(Field(kNormal));
    Close(editor, IDOK);
    EXPECT_EQ((std::vector<std::string>{"one", "TWO", "three"}), StoredAliasNames());
    ExpectValue(kAliasKey, "C1", REG_SZ, Sz("TWO.exe -x"));
    ExpectValue(kAliasKey, "P1", REG_SZ, Sz("D:\\"));
    ExpectValue(kAliasKey, "W1", REG_DWORD, Dword(0));
    EXPECT_TRUE(WaitUntil([&] {
        return ListItems(list) == std::vector<std::string>{"one", "three", "TWO"};
    }));
}

// The path's parts below the drive: "C:\a\b" gives a, b.
std::vector<std::string> PartsBelowDrive(const std::string& path) {
    std::vector<std::string> parts;
    size_t start = path.find('\\') + 1;
    while (start < path.size()) {
        const size_t end = path.find('\\', start);
        parts.push_back(path.substr(start, end - start));
        start = end == std::string::npos ? path.size() : end + 1;
    }
    return parts;
}

bool SameText(const std::string& a, const std::string& b) {
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

// Opens the folder browser with the start path's "..." of `editor` and selects `folder` in
// its tree, expanded from the desktop through My Computer and the drive; null when it did not
// open.
HWND BrowseToFolder(DWORD pid, HWND editor, const std::string& folder) {
    Click(GetDlgItem(editor, kBrowseStartPath));
    HWND browser = nullptr;
    HWND tree = nullptr;
    if (!WaitUntil([&] {
            browser = FindTopWindow(pid, "#32770", true);
            return browser != nullptr && GetWindow(browser, GW_OWNER) == editor &&
                   (tree = FindControl(browser, 0x3741)) != nullptr;
        })) {
        ADD_FAILURE() << "no folder browser";
        return nullptr;
    }
    HTREEITEM item = FindTreeChild(tree, nullptr, [](const std::string&) { return true; });
    item = FindTreeChild(tree, item, [](const std::string& t) { return t == "My Computer"; });
    const std::string drive = folder.substr(0, 2);
    item = FindTreeChild(tree, item,
                         [&](const std::string& t) { return t.find(drive) != std::string::npos; });
    for (const std::string& part : PartsBelowDrive(folder)) {
        item = FindTreeChild(tree, item, [&](const std::string& t) { return SameText(t, part); });
    }
    EXPECT_NE(nullptr, item) << "no " << folder << " in the tree";
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    return browser;
}

TEST_F(AliasEditorTest, BrowseButtonsFillTheFieldsThroughTheRealPickers) {
    MakeReturningUser();
    TestFolder folder("browse");
    const std::string tools = folder / "with spaces";
    const std::string tool = tools + "\\my tool.exe";
    const std::string start = folder / "start";
    ASSERT_TRUE(CreateDirectoryA(tools.c_str(), nullptr));
    ASSERT_TRUE(WriteFile(tool, "not really a program"));
    ASSERT_TRUE(CreateDirectoryA(start.c_str(), nullptr));
    // An alias without a start folder starts in the program's own current folder.
    const std::string record = folder / "here.txt";
    ASSERT_TRUE(
        SetStoredAlias(0, "here", "\"" + ExeDir() + "\\recorder.exe\" " + record + " here", "", 1));
    Start();
    OpenSettings();
    OpenEditor(settings_id::kNew, "New Alias");

    Click(Field(kBrowseCommand));
    HWND picker = WaitForDialog(app.Pid(), "Browse", editor);
    ASSERT_NE(nullptr, picker) << "no open picker";
    EXPECT_EQ("All (*.*)", ControlText(FindControl(picker, 0x470, "ComboBox")));
    TypeIntoFilePicker(picker, tool);
    ASSERT_TRUE(WaitGone(picker));
    EXPECT_TRUE(WaitUntil([&] { return ControlText(Field(kCommand)) == tool; }))
        << "command field: " << ControlText(Field(kCommand));

    // The folder browser, driven down its tree: Desktop, My Computer, the drive, folders.
    HWND browser = BrowseToFolder(app.Pid(), editor, start);
    ASSERT_NE(nullptr, browser);
    EXPECT_EQ("Choose a start path...", ControlText(FindControl(browser, 0x3742)));
    Close(browser, IDOK);
    EXPECT_TRUE(WaitUntil([&] { return SameText(ControlText(Field(kStartPath)), start); }))
        << "start path field: " << ControlText(Field(kStartPath));

    // Cancelled, the browser leaves the field as it was; OK then stores both fields.
    Click(Field(kBrowseStartPath));
    ASSERT_TRUE(WaitUntil([&] {
        browser = FindTopWindow(app.Pid(), "#32770", true);
        return browser != nullptr && GetWindow(browser, GW_OWNER) == editor;
    }));
    Close(browser, IDCANCEL);
    SetControlText(Field(kName), "browsed");
    Close(editor, IDOK);
    ExpectValue(kAliasKey, "C1", REG_SZ, Sz(tool));
    EXPECT_TRUE(SameText(start, ReadString(HKEY_CURRENT_USER, kAliasKey, "P1")))
        << ReadString(HKEY_CURRENT_USER, kAliasKey, "P1");

    // The pickers left the program's current folder where it was, not where they browsed.
    Close(settings, IDCANCEL);
    SetComboText(window, "here");
    PostCommand(window, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return FileExists(record); })) << "the alias did not start";
    EXPECT_TRUE(SameText(ExeDir(), ReadRecord(record).directory)) << ReadRecord(record).directory;
}

// A file or folder whose path takes more bytes in UTF-8 than the fields hold is refused, not
// cut into the path of another: the fields keep what they held. (In UTF-16 the paths are
// short enough for the pickers; under Wine the file picker reports the file as chosen, its
// path without an end.)
TEST_F(AliasEditorTest, PathsTooLongForTheFieldsAreRefused) {
    MakeReturningUser();
    TestFolder folder("long");
    std::string name;
    for (int i = 0; i < 80; ++i) {
        name += "\xE6\x96\x87";  // 80 times U+6587: 240 bytes
    }
    const std::string deep = folder / name;
    ASSERT_GT(deep.size(), 260u);
    ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr));
    ASSERT_TRUE(WriteFile(deep + "\\tool.exe", "not really a program"));
    Start();
    OpenSettings();
    OpenEditor(settings_id::kNew, "New Alias");
    const std::string startPath = ControlText(Field(kStartPath));

    Click(Field(kBrowseCommand));
    HWND picker = WaitForDialog(app.Pid(), "Browse", editor);
    ASSERT_NE(nullptr, picker) << "no open picker";
    TypeIntoFilePicker(picker, deep + "\\tool.exe");
    ASSERT_TRUE(WaitGone(picker));
    ExpectMessage(editor, kTooLong, "warning", IDOK);
    EXPECT_EQ("", ControlText(Field(kCommand)));

    HWND browser = BrowseToFolder(app.Pid(), editor, deep);
    ASSERT_NE(nullptr, browser);
    Close(browser, IDOK);
    ExpectMessage(editor, kTooLong, "warning", IDOK);
    EXPECT_EQ(startPath, ControlText(Field(kStartPath)));
}

}  // namespace
