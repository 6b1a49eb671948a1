// Files dropped from the shell onto the real alias editors, run modally in this process:
// the drop is built here as the shell builds it (a DROPFILES block in global memory) and
// sent to the dialog while it runs.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "res/resource.h"
#include "state/process_win.h"
#include "ui/dialogs.h"

namespace {

HDROP MakeDrop(const std::vector<std::string>& paths) {
    SIZE_T size = sizeof(DROPFILES) + 1;  // the list ends with an empty name
    for (const std::string& path : paths) {
        size += path.size() + 1;
    }
    HGLOBAL memory = GlobalAlloc(GHND, size);
    DROPFILES* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = FALSE;
    char* names = reinterpret_cast<char*>(drop + 1);
    for (const std::string& path : paths) {
        lstrcpyA(names, path.c_str());
        names += path.size() + 1;
    }
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

struct DropCase {
    const char* label;
    std::vector<std::string> dropped;
    std::string command;  // what the command field then holds
};

const std::string kLong = "C:\\" + std::string(297, 'd');

const DropCase kDrops[] = {
    {"ThreeFiles", {"C:\\tools\\first.exe", "C:\\second.txt", "D:\\third"}, "C:\\tools\\first.exe"},
    {"Folder", {"C:\\users\\some folder"}, "C:\\users\\some folder"},
    {"LongPathCutTo260", {kLong}, kLong.substr(0, 260)},
};

struct Seen {
    std::string name, command, startPath;
    bool released;
};

std::vector<Seen> g_seen;
const char* g_caption = nullptr;

std::string Text(HWND dialog, int id) {
    char text[512] = "";
    GetDlgItemTextA(dialog, id, text, sizeof(text));
    return text;
}

// Runs inside the dialog's modal loop once the dialog exists: drops every case, then
// cancels the dialog.
void CALLBACK DropWhenOpen(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = FindWindowA("#32770", g_caption);
    if (dialog == nullptr) {
        return;
    }
    KillTimer(nullptr, timer);
    for (const DropCase& drop : kDrops) {
        SetDlgItemTextA(dialog, IDC_ALIAS_NAME, "kept name");
        SetDlgItemTextA(dialog, IDC_ALIAS_COMMAND, "old command");
        SetDlgItemTextA(dialog, IDC_START_PATH, "C:\\kept");
        HDROP handle = MakeDrop(drop.dropped);
        SendMessageA(dialog, WM_DROPFILES, reinterpret_cast<WPARAM>(handle), 0);
        g_seen.push_back({Text(dialog, IDC_ALIAS_NAME), Text(dialog, IDC_ALIAS_COMMAND),
                          Text(dialog, IDC_START_PATH),
                          GlobalFlags(handle) == GMEM_INVALID_HANDLE});
    }
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

struct EditorCase {
    const char* label;
    const char* caption;
    INT_PTR (*show)(HWND owner, AliasRecord& edited);
};

void PrintTo(const EditorCase& editor, std::ostream* out) {
    *out << editor.label;
}

class AliasDropTest : public ::testing::TestWithParam<EditorCase> {};

TEST_P(AliasDropTest, FirstDroppedPathBecomesTheCommand) {
    g_app.instance = GetModuleHandleA(nullptr);
    ASSERT_TRUE(AddAlias(g_state.aliases, "edited", "edited.exe", "C:\\", 0));
    AliasRecord* edited = FindAlias(g_state.aliases, "edited");
    g_seen.clear();
    g_caption = GetParam().caption;
    SetTimer(nullptr, 0, 20, DropWhenOpen);
    EXPECT_EQ(0, GetParam().show(nullptr, *edited));
    ReleaseAliasList(g_state.aliases);

    ASSERT_EQ(std::size(kDrops), g_seen.size()) << "the dialog did not open";
    for (size_t i = 0; i < g_seen.size(); ++i) {
        SCOPED_TRACE(kDrops[i].label);
        EXPECT_EQ(kDrops[i].command, g_seen[i].command);
        EXPECT_EQ("kept name", g_seen[i].name);
        EXPECT_EQ("C:\\kept", g_seen[i].startPath);
        EXPECT_TRUE(g_seen[i].released) << "the drop was not finished";
    }
}

const EditorCase kEditors[] = {
    {"NewAlias", "New Alias", [](HWND owner, AliasRecord&) { return ShowNewAliasDialog(owner); }},
    {"EditAlias", "Edit Alias", ShowEditAliasDialog},
};

INSTANTIATE_TEST_SUITE_P(Editors, AliasDropTest, ::testing::ValuesIn(kEditors),
                         [](const ::testing::TestParamInfo<EditorCase>& info) {
                             return std::string(info.param.label);
                         });

}  // namespace
