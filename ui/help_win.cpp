// Help: zantrel.chm in the HTML Help viewer when it lies in the install folder, otherwise
// zantrel.hlp through WinHelp.
#include "ui/dialogs.h"

#include <htmlhelp.h>

#include "run/environment_win.h"
#include "state/process_win.h"
#include "ui/system_library_win.h"

namespace {

typedef HWND(WINAPI* HtmlHelpFunction)(HWND, LPCSTR, UINT, DWORD_PTR);

SystemFunction<HtmlHelpFunction> g_htmlHelp("hhctrl.ocx", "HtmlHelpA");

// InstallPath (at most 260 characters) followed by `name`, "\zantrel.chm" or
// "\zantrel.hlp", into `path` of kHelpPathBuffer characters.
constexpr int kHelpPathBuffer = kTextBuffer + 12;

bool HelpFilePath(char* path, const char* name) {
    path[0] = '\0';
    return AppendText(path, g_state.settings.InstallPath, kHelpPathBuffer) &&
           AppendText(path, name, kHelpPathBuffer);
}

// "Contents" is the file's first topic; any other keyword is looked up in its index. Where
// the lookup opens nothing (Wine's viewer answers no keyword lookup), the first topic is
// shown instead: while the file opens at all, the user sees no error.
bool OpenHtmlHelp(HWND owner, const char* path, const char* keyword) {
    HtmlHelpFunction htmlHelp = g_htmlHelp.Get();
    if (htmlHelp == nullptr) {
        return false;
    }
    HWND viewer = nullptr;
    if (lstrcmpA(keyword, "Contents") != 0) {
        HH_AKLINK link;
        ZeroMemory(&link, sizeof(link));
        link.cbStruct = sizeof(link);
        link.pszKeywords = keyword;
        link.fIndexOnFail = FALSE;
        viewer = htmlHelp(owner, path, HH_KEYWORD_LOOKUP, reinterpret_cast<DWORD_PTR>(&link));
    }
    if (viewer == nullptr) {
        viewer = htmlHelp(owner, path, HH_DISPLAY_TOPIC, 0);
    }
    return viewer != nullptr;
}

}  // namespace

bool OpenHelp(const char* keyword) {
    char path[kHelpPathBuffer];
    if (HelpFilePath(path, "\\zantrel.chm") && IsExistingFile(path)) {
        return OpenHtmlHelp(g_app.window, path, keyword);
    }
    return HelpFilePath(path, "\\zantrel.hlp") &&
           WinHelpA(g_app.window, path, HELP_KEY, reinterpret_cast<ULONG_PTR>(keyword)) != FALSE;
}

void CloseHelp() {
    if (HtmlHelpFunction htmlHelp = g_htmlHelp.Found()) {
        htmlHelp(nullptr, nullptr, HH_CLOSE_ALL, 0);
    }
}
