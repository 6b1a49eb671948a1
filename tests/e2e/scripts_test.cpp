// Names and folders in scripts other than Latin, typed with real key presses (characters,
// whatever the keyboard layout), run, kept, exported and imported; an export written in
// Windows-1252; a name typed longer than its 16 bytes. This test program's code page is
// UTF-8 too (utf8.manifest), so the texts below are the same on both sides.
#include <gtest/gtest.h>

#include "dialog_fixture.h"
#include "stored_values.h"

using namespace e2e;

namespace {

class ScriptsTest : public DialogTest {
  protected:
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
    const std::string command =
        "\"" + ExeDir() + "\\recorder.exe\" " + (folder / "r.txt") + " Ωμέγα";
    ASSERT_TRUE(SetStoredAlias(0, "Ωμέγα", command, cjk, 0));
    Start();
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == window; }));
    // Under Wine an ANSI message loop would pass these through the keyboard's code page
    // ("O??G?"); the program's wide loop hands them to the box intact.
    TypeText("ΩΜΈΓΑ");
    ASSERT_TRUE(WaitUntil([&] { return ComboText(window) == "ΩΜΈΓΑ"; })) << ComboText(window);
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return FileExists(folder / "r.txt"); })) << "nothing started";
    const Record seen = ReadRecord(folder / "r.txt");
    EXPECT_EQ(cjk, seen.directory);
    EXPECT_NE(std::string::npos, seen.commandLine.find(" Ωμέγα")) << seen.commandLine;
    CloseAndWait();
    Start();
    EXPECT_EQ(std::vector<std::string>{"ΩΜΈΓΑ"}, ComboItems(window)) << "after a restart";

    OpenSettings();
    Exchange(settings_id::kExport, "Export Aliases", cjk + "\\aliases");
    const std::string exported = "Zantrel Alias Data\r\nVersion 1.23\r\n[Alias 0]\r\nΩμέγα\r\n" +
                                 command + "\r\n" + cjk + "\r\n0";
    EXPECT_TRUE(WaitUntil([&] { return ReadFile(cjk + "\\aliases.dat") == exported; }));
    ASSERT_TRUE(SelectListItem(Item(settings_id::kList), "Ωμέγα"));
    Click(Item(settings_id::kDelete));
    ExpectMessage(settings, "Are you sure you want to delete the alias \"Ωμέγα\" ?", "warning",
                  IDYES, {IDYES, IDNO});
    Exchange(settings_id::kImport, "Import Aliases", cjk + "\\aliases.dat");
    Close(settings, IDOK);
    EXPECT_EQ(std::vector<std::string>{"Ωμέγα"}, StoredAliasNames());
    ExpectValue(kAliasKey, "C0", REG_SZ, Sz(command));
    ExpectValue(kAliasKey, "P0", REG_SZ, Sz(cjk));
}

TEST_F(ScriptsTest, Windows1252ExportImportsAndALongTypedNameIsCutOnACharacter) {
    DWORD legacy = 0;
    GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                   reinterpret_cast<LPWSTR>(&legacy), sizeof(legacy) / sizeof(WCHAR));
    if (legacy != 1252) {
        GTEST_SKIP() << "the machine's legacy code page is " << legacy << ", not Windows-1252";
    }
    MakeReturningUser();
    TestFolder folder("legacy");
    // "Café €" and "C:\Données"; the euro sign (80 hex) is not ISO 8859-1.
    ASSERT_TRUE(WriteFile(folder / "old.dat",
                          "Zantrel Alias Data\r\nVersion 1.23\r\n[Alias 0]\r\nCaf\xE9 \x80\r\n"
                          "notepad.exe\r\nC:\\Donn\xE9"
                          "es\r\n2"));
    Start();
    OpenSettings();
    Exchange(settings_id::kImport, "Import Aliases", folder / "old.dat");

    // Typed inside the New Alias dialog's own modal loop: one letter and fifteen Greek ones
    // take 31 bytes, and a cut at 16 bytes would end inside the eighth Greek letter.
    Click(Item(settings_id::kNew));
    HWND editor = WaitForDialog(app.Pid(), "New Alias", settings);
    ASSERT_NE(nullptr, editor);
    HWND name = GetDlgItem(editor, editor_id::kName);
    PostMessageA(editor, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(name), TRUE);
    ASSERT_TRUE(WaitUntil([&] { return FocusOf(editor) == name; }));
    TypeText("xαβγδεζηθικλμνξο");
    ASSERT_TRUE(WaitUntil([&] { return ControlText(name) == "xαβγδεζηθικλμνξο"; }));
    SetControlText(GetDlgItem(editor, editor_id::kCommand), "notepad.exe");
    Close(editor, IDOK);
    EXPECT_EQ((std::vector<std::string>{"Café €", "xαβγδεζη"}), StoredAliasNames());
    ExpectValue(kAliasKey, "P0", REG_SZ, Sz("C:\\Données"));
}

}  // namespace
