// Names, commands and folders in scripts other than Latin, driven from outside as a user
// would: typed with real key presses (characters, whatever the keyboard layout), run, kept
// in the history, exported and imported back; an export that an older program wrote in
// Windows-1252; and a name typed longer than its 16 bytes. The test program's own code page
// is UTF-8 (tests/e2e/utf8.manifest), so the texts below are UTF-8 on both sides.
#include <gtest/gtest.h>

#include "dialog_fixture.h"
#include "stored_values.h"

using namespace e2e;

namespace {

class ScriptsTest : public DialogTest {
  protected:
    // Started, with the command window in the foreground, ready for typing.
    void StartReady() {
        Start();
        ASSERT_TRUE(WaitUntil([&] { return IsShown(window) && GetForegroundWindow() == window; }))
            << "the command window is not ready for typing";
    }

    // Import or Export through the real file picker.
    void Exchange(int button, const char* caption, const std::string& path) {
        Click(Item(button));
        HWND picker = WaitForDialog(app.Pid(), caption, settings);
        ASSERT_NE(nullptr, picker) << caption;
        TypeIntoFilePicker(picker, path);
        ASSERT_TRUE(WaitGone(picker)) << caption;
    }
};

TEST_F(ScriptsTest, GreekAliasRunsInACjkFolderStaysInTheHistoryAndTravelsThroughAFile) {
    MakeReturningUser();
    TestFolder folder("scripts");
    const std::string cjk = folder / "文档 資料";
    ASSERT_TRUE(CreateDirectoryA(cjk.c_str(), nullptr));
    const std::string record = folder / "run.txt";
    const std::string command = "\"" + ExeDir() + "\\recorder.exe\" " + record + " Ωμέγα";
    ASSERT_TRUE(SetStoredAlias(0, "Ωμέγα", command, cjk, 0));
    StartReady();

    // Typed in capitals: the alias is found without regard to case. (Under Wine an ANSI
    // message loop would pass the characters through the keyboard's code page, "O??G?";
    // the program's wide loop hands them to the box intact.)
    TypeText("ΩΜΈΓΑ");
    ASSERT_TRUE(WaitUntil([&] { return ComboText(window) == "ΩΜΈΓΑ"; })) << ComboText(window);
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return FileExists(record); })) << "the alias started nothing";
    const Record seen = ReadRecord(record);
    EXPECT_EQ(cjk, seen.directory);
    EXPECT_NE(std::string::npos, seen.commandLine.find(" Ωμέγα")) << seen.commandLine;

    CloseAndWait();
    EXPECT_EQ("ΩΜΈΓΑ", StoredHistory()[0]);
    Start();
    EXPECT_EQ(std::vector<std::string>{"ΩΜΈΓΑ"}, ComboItems(window)) << "after a restart";

    // Exported into the CJK folder as UTF-8, deleted, and imported back the same.
    OpenSettings();
    Exchange(settings_id::kExport, "Export Aliases", cjk + "\\aliases");
    const std::string exported = "Zantrel Alias Data\r\nVersion 1.23\r\n[Alias 0]\r\nΩμέγα\r\n" +
                                 command + "\r\n" + cjk + "\r\n0";
    EXPECT_TRUE(WaitUntil([&] { return ReadFile(cjk + "\\aliases.dat") == exported; }))
        << ReadFile(cjk + "\\aliases.dat");
    ASSERT_TRUE(SelectListItem(Item(settings_id::kList), "Ωμέγα"));
    Click(Item(settings_id::kDelete));
    ExpectMessage(settings, "Are you sure you want to delete the alias \"Ωμέγα\" ?", "warning",
                  IDYES, {IDYES, IDNO});
    EXPECT_TRUE(WaitUntil([&] { return StoredAliasNames().empty(); })) << "deleted and saved";
    Exchange(settings_id::kImport, "Import Aliases", cjk + "\\aliases.dat");
    EXPECT_TRUE(WaitUntil(
        [&] { return ListItems(Item(settings_id::kList)) == std::vector<std::string>{"Ωμέγα"}; }));
    Close(settings, IDOK);
    EXPECT_EQ(std::vector<std::string>{"Ωμέγα"}, StoredAliasNames());
    ExpectValue(kAliasKey, "C0", REG_SZ, Sz(command));
    ExpectValue(kAliasKey, "P0", REG_SZ, Sz(cjk));
}

TEST_F(ScriptsTest, ExportWrittenInWindows1252ImportsWithTheRightCharacters) {
    DWORD legacy = 0;
    GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                   reinterpret_cast<LPWSTR>(&legacy), sizeof(legacy) / sizeof(WCHAR));
    if (legacy != 1252) {
        GTEST_SKIP() << "the machine's legacy code page is " << legacy << ", not Windows-1252";
    }
    MakeReturningUser();
    TestFolder folder("legacy");
    // "Café €", "notepad Été.txt", "C:\Données": the euro sign (80 hex) is where
    // Windows-1252 and ISO 8859-1 part.
    ASSERT_TRUE(WriteFile(folder / "old.dat",
                          "Zantrel Alias Data\r\nVersion 1.23\r\n[Alias 0]\r\nCaf\xE9 \x80\r\n"
                          "notepad \xC9t\xE9.txt\r\nC:\\Donn\xE9"
                          "es\r\n2"));
    Start();
    OpenSettings();
    Exchange(settings_id::kImport, "Import Aliases", folder / "old.dat");
    EXPECT_TRUE(WaitUntil(
        [&] { return ListItems(Item(settings_id::kList)) == std::vector<std::string>{"Café €"}; }));
    Close(settings, IDOK);
    ExpectValue(kAliasKey, "A0", REG_SZ, Sz("Café €"));
    ExpectValue(kAliasKey, "C0", REG_SZ, Sz("notepad Été.txt"));
    ExpectValue(kAliasKey, "P0", REG_SZ, Sz("C:\\Données"));
}

TEST_F(ScriptsTest, SixteenCharacterNameTypedIntoNewAliasIsCutOnACharacter) {
    MakeReturningUser();
    Start();
    OpenSettings();
    Click(Item(settings_id::kNew));
    HWND editor = WaitForDialog(app.Pid(), "New Alias", settings);
    ASSERT_NE(nullptr, editor) << "New Alias did not open";
    HWND name = GetDlgItem(editor, editor_id::kName);
    PostMessageA(editor, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(name), TRUE);
    ASSERT_TRUE(WaitUntil([&] { return FocusOf(editor) == name; }));
    // Typed inside the dialog's own modal loop. One letter and fifteen Greek ones take 31
    // bytes: a cut at 16 bytes would end inside the eighth Greek letter.
    const std::string typed = "xαβγδεζηθικλμνξο";
    TypeText(typed);
    ASSERT_TRUE(WaitUntil([&] { return ControlText(name) == typed; })) << ControlText(name);
    SetControlText(GetDlgItem(editor, editor_id::kCommand), "notepad.exe");
    Close(editor, IDOK);
    EXPECT_EQ(std::vector<std::string>{"xαβγδεζη"}, StoredAliasNames());
    EXPECT_TRUE(WaitUntil([&] {
        return ListItems(Item(settings_id::kList)) == std::vector<std::string>{"xαβγδεζη"};
    }));
}

}  // namespace
