// Not a test: takes the README's pictures of the Settings dialog, the New Alias dialog and
// the suggestion list.
// scripts/screenshot.sh runs it with ZANTREL_SHOTS set to the folder for the pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <shlobj.h>

#include "dialog_fixture.h"
#include "shell_link.h"

using namespace e2e;

namespace {

// Writes what the screen shows in `area` (screen coordinates) as a 24-bit BMP file.
bool SaveScreenPicture(const RECT& area, const std::string& path) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    SelectObject(memory, old);

    BITMAPINFOHEADER info;
    ZeroMemory(&info, sizeof(info));
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const DWORD rowBytes = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    std::vector<unsigned char> pixels(rowBytes * height);
    GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info),
              DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    BITMAPFILEHEADER file;
    ZeroMemory(&file, sizeof(file));
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) {
        return false;
    }
    std::fwrite(&file, sizeof(file), 1, out);
    std::fwrite(&info, sizeof(info), 1, out);
    std::fwrite(pixels.data(), 1, pixels.size(), out);
    return std::fclose(out) == 0;
}

// The client area of `window`. (With no window manager on the virtual display, nobody draws
// the frame and caption.)
bool SaveWindowPicture(HWND window, const std::string& path) {
    RECT client;
    GetClientRect(window, &client);
    const POINT origin = ClientOrigin(window);
    const RECT area = {origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
    return SaveScreenPicture(area, path);
}

class Screenshot : public DialogTest {};

TEST_F(Screenshot, DISABLED_SettingsAndNewAlias) {
    const char* folder = std::getenv("ZANTREL_SHOTS");
    ASSERT_NE(nullptr, folder) << "ZANTREL_SHOTS names the folder for the pictures";
    MakeReturningUser();
    const char* names[] = {"notes", "calc", "mail", "help", "web"};
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(SetStoredAlias(i, names[i], std::string(names[i]) + ".exe", "C:\\", 0))
            << names[i];
    }
    const unsigned char hotKey[2] = {'Z', 0x02 | 0x04};  // Control+Alt+Z
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, kMainKey, "HotKey", REG_BINARY, hotKey, 2));
    SetByte("Hide", 1);
    Start();
    OpenSettings();
    Sleep(1000);  // painted
    ASSERT_TRUE(SaveWindowPicture(settings, std::string(folder) + "\\settings.bmp"));

    Click(Item(settings_id::kNew));
    HWND editor = WaitForDialog(app.Pid(), "New Alias", settings);
    ASSERT_NE(nullptr, editor);
    SetControlText(GetDlgItem(editor, editor_id::kName), "todo");
    SetControlText(GetDlgItem(editor, editor_id::kCommand), "notepad.exe C:\\notes\\todo.txt");
    SetControlText(GetDlgItem(editor, editor_id::kStartPath), "C:\\notes");
    ClickNow(GetDlgItem(editor, editor_id::kMaximized));
    Sleep(1000);
    ASSERT_TRUE(SaveWindowPicture(editor, std::string(folder) + "\\new-alias.bmp"));
}

// The command window with its suggestion list open below the box: aliases, installed programs
// (shortcuts in the Start menu to Wine's own programs) and the history.
TEST_F(Screenshot, DISABLED_Suggestions) {
    const char* folder = std::getenv("ZANTREL_SHOTS");
    ASSERT_NE(nullptr, folder) << "ZANTREL_SHOTS names the folder for the pictures";
    MakeReturningUser();
    CoInitialize(nullptr);
    WCHAR programs[MAX_PATH] = L"";
    ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_PROGRAMS, nullptr, 0, programs), S_OK);
    const std::wstring links[][2] = {{L"Notepad", L"notepad.exe"},
                                     {L"Control Panel", L"control.exe"},
                                     {L"Command Prompt", L"cmd.exe"}};
    for (const auto& link : links) {
        ASSERT_EQ(test_links::SaveShortcut(std::wstring(programs) + L"\\" + link[0] + L".lnk",
                                           L"C:\\windows\\system32\\" + link[1], L"", L""),
                  S_OK);
    }
    ASSERT_TRUE(SetStoredAlias(0, "notes", "notepad.exe C:\\notes\\todo.txt", "C:\\", 0));
    ASSERT_TRUE(SetStoredAlias(1, "nightly", "C:\\build\\nightly.cmd", "C:\\build", 2));
    ASSERT_TRUE(SetString(kHistoryKey, "0", "notepad C:\\notes\\todo.txt"));
    ASSERT_TRUE(SetString(kHistoryKey, "1", "https://corvath.example/zantrel"));
    ASSERT_TRUE(SetString(kHistoryKey, "2", "nslookup corvath.example"));
    Start();
    ASSERT_TRUE(WaitUntil([&] { return IsShown(window) && GetForegroundWindow() == window; }));
    // The programs are there once the index is built, a moment after the start.
    HWND list = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            SetComboText(window, "");
            TypeText("no");
            WaitUntil([&] { return SuggestionTexts(app.Pid()).size() > 4; }, 1000);
            const std::vector<std::string> texts = SuggestionTexts(app.Pid());
            list = FindTopWindow(app.Pid(), "ZantrelSuggestions", true);
            return list != nullptr &&
                   std::find(texts.begin(), texts.end(), "Notepad") != texts.end();
        },
        20000));
    Sleep(1000);  // painted
    RECT area = WindowRect(window);
    const RECT below = WindowRect(list);
    area.bottom = below.bottom + 1;
    area.right = area.right > below.right ? area.right : below.right;
    ASSERT_TRUE(SaveScreenPicture(area, std::string(folder) + "\\suggestions.bmp"));
    for (const auto& link : links) {
        DeleteFileW((std::wstring(programs) + L"\\" + link[0] + L".lnk").c_str());
    }
    CoUninitialize();
}

}  // namespace
