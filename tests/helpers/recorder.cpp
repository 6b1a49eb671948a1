// Stands in for a launched program: records how it was started into the file named by
// its first argument (with none, "recorded.txt" in its current folder), as lines "cmdline=", "cwd="
// (both in UTF-8, whatever this program's code page), "show=" (-1 without STARTF_USESHOWWINDOW) and
// "pid=". The record appears whole (written beside, then moved into place). Further arguments:
//   sleep:MS     stay alive MS milliseconds after recording
//   wait:NAME    stay alive until the named event is set (at most 60 seconds)
//   event:NAME   set the named event once the record is in place
// Anything else is only recorded.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    const char* record = argc >= 2 ? argv[1] : "recorded.txt";
    WCHAR wideCwd[MAX_PATH + 1] = L"";
    GetCurrentDirectoryW(MAX_PATH + 1, wideCwd);
    char cwd[4 * MAX_PATH] = "";
    WideCharToMultiByte(CP_UTF8, 0, wideCwd, -1, cwd, sizeof cwd, NULL, NULL);
    static char commandLine[4 * 32768] = "";
    WideCharToMultiByte(CP_UTF8, 0, GetCommandLineW(), -1, commandLine, sizeof commandLine, NULL,
                        NULL);
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    const int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;

    char temp[MAX_PATH + 8];
    std::snprintf(temp, sizeof temp, "%s.tmp", record);
    FILE* file = std::fopen(temp, "wb");
    if (file == NULL) {
        return 3;
    }
    std::fprintf(file, "cmdline=%s\r\ncwd=%s\r\nshow=%d\r\npid=%lu\r\n", commandLine, cwd, show,
                 static_cast<unsigned long>(GetCurrentProcessId()));
    std::fclose(file);
    if (!MoveFileExA(temp, record, MOVEFILE_REPLACE_EXISTING)) {
        return 4;
    }

    for (int i = 2; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strncmp(arg, "event:", 6) == 0) {
            HANDLE event = OpenEventA(EVENT_MODIFY_STATE, FALSE, arg + 6);
            if (event != NULL) {
                SetEvent(event);
                CloseHandle(event);
            }
        } else if (std::strncmp(arg, "sleep:", 6) == 0) {
            Sleep(static_cast<DWORD>(std::atol(arg + 6)));
        } else if (std::strncmp(arg, "wait:", 5) == 0) {
            HANDLE event = OpenEventA(SYNCHRONIZE, FALSE, arg + 5);
            if (event != NULL) {
                WaitForSingleObject(event, 60000);
                CloseHandle(event);
            }
        }
    }
    return 0;
}
