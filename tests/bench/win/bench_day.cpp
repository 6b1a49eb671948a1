// A day of use of the suggestion list, under Wine: 10,000 key presses that open, change and
// close the list (names, then a folder that is listed on the list's thread, each typed and
// taken back) and 1,000 call-ups of the window (hidden, then opened as the hot key opens it)
// must leave zantrel.exe's handle count and its GDI and USER object counts where they were
// after a warm-up. A count that the system does not report reads 0 before and after; the
// handles are then counted in the system's handle table, and the process's windows are
// counted too.
//
//   bench_day.exe [keys] [call-ups]      (default 10000 and 1000; beside zantrel.exe)
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_util.h"

using namespace bench;

namespace {

struct Counts {
    DWORD handles;  // GetProcessHandleCount's, or else counted in the system's handle table
    DWORD gdi;
    DWORD user;
    DWORD windows;  // the process's windows, top-level and child
    SIZE_T privateBytes;
};

// The system's handle table as NtQuerySystemInformation gives it (SystemHandleInformation).
struct HandleEntry {
    ULONG ownerPid;
    BYTE objectType;
    BYTE flags;
    USHORT handle;
    PVOID object;
    ACCESS_MASK access;
};
struct HandleTable {
    ULONG count;
    HandleEntry handles[1];
};
typedef LONG(WINAPI* QuerySystemInformation)(ULONG, PVOID, ULONG, PULONG);

DWORD HandlesInTable(DWORD pid) {
    const auto query = reinterpret_cast<QuerySystemInformation>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    std::vector<BYTE> buffer(1 << 20);
    ULONG size = 0;
    if (query == nullptr ||
        query(16, buffer.data(), static_cast<ULONG>(buffer.size()), &size) != 0) {
        return 0;
    }
    const HandleTable* table = reinterpret_cast<const HandleTable*>(buffer.data());
    DWORD count = 0;
    for (ULONG i = 0; i < table->count; ++i) {
        count += table->handles[i].ownerPid == pid ? 1 : 0;
    }
    return count;
}

BOOL CALLBACK CountChild(HWND, LPARAM count) {
    ++*reinterpret_cast<DWORD*>(count);
    return TRUE;
}
struct WindowCount {
    DWORD pid;
    DWORD count;
};
BOOL CALLBACK CountTop(HWND w, LPARAM param) {
    WindowCount* windows = reinterpret_cast<WindowCount*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == windows->pid) {
        ++windows->count;
        EnumChildWindows(w, CountChild, reinterpret_cast<LPARAM>(&windows->count));
    }
    return TRUE;
}

Counts CountsOf(const PROCESS_INFORMATION& process) {
    Counts counts = {0, 0, 0, 0, 0};
    if (!GetProcessHandleCount(process.hProcess, &counts.handles) || counts.handles == 0) {
        counts.handles = HandlesInTable(process.dwProcessId);
    }
    counts.gdi = GetGuiResources(process.hProcess, GR_GDIOBJECTS);
    counts.user = GetGuiResources(process.hProcess, GR_USEROBJECTS);
    WindowCount windows = {process.dwProcessId, 0};
    EnumWindows(CountTop, reinterpret_cast<LPARAM>(&windows));
    counts.windows = windows.count;
    PROCESS_MEMORY_COUNTERS_EX memory;
    ZeroMemory(&memory, sizeof memory);
    if (GetProcessMemoryInfo(process.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                             sizeof memory)) {
        counts.privateBytes = memory.PrivateUsage != 0 ? memory.PrivateUsage : memory.PagefileUsage;
    }
    return counts;
}

const char* const kTexts[] = {"c:\\w", "note"};

}  // namespace

int main(int argc, char** argv) {
    const int keys = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int callUps = argc > 2 ? std::atoi(argv[2]) : 1000;
    ReturningUser({"notes", "notepad", "nightly"});
    SetUserString(std::string(kMainKey) + "\\History", "0", "notepad C:\\notes\\todo.txt");
    PROCESS_INFORMATION zantrel;
    HWND window = StartForTyping(&zantrel);
    if (window == nullptr) {
        return 1;
    }
    HWND box = GetDlgItem(window, 1000);
    bool ok = true;  // every key echoed
    int pressed = 0;
    int calledUp = 0;
    // Types one of the texts key by key and takes it back with Backspace, each key echoed.
    auto typeAndTakeBack = [&](const char* text) {
        std::string typed;
        for (const char* c = text; *c != '\0'; ++c) {
            TypeChar(*c);
            typed += *c;
            ok = ok && WaitForText(box, typed);
            if (!ok) {
                std::printf("typed [%s] box [%s]\n", typed.c_str(), BoxText(box).c_str());
                return;
            }
        }
        while (!typed.empty()) {
            PressKey(VK_BACK);
            typed.pop_back();
            ok = ok && WaitForText(box, typed);
        }
        pressed += 2 * static_cast<int>(std::string(text).size());
    };
    auto callUp = [&] {
        PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
        while (IsWindowVisible(window)) {
            Sleep(1);
        }
        PostMessageA(window, WM_COMMAND, 2001, 0);  // ID_OPEN, what the hot key posts
        GUITHREADINFO info;
        ZeroMemory(&info, sizeof info);
        info.cbSize = sizeof info;
        const DWORD thread = GetWindowThreadProcessId(window, nullptr);
        while (GetForegroundWindow() != window || !GetGUIThreadInfo(thread, &info) ||
               GetParent(info.hwndFocus) != box) {
            Sleep(1);
        }
        Sleep(30);  // under Wine the first key may be lost until the display has moved its focus
        ++calledUp;
    };
    for (int i = 0; i < 10; ++i) {  // warm-up: the list, its thread and its icons are made
        typeAndTakeBack(kTexts[i % 2]);
        callUp();
    }
    Sleep(500);
    const Counts before = CountsOf(zantrel);
    const double start = Now();
    pressed = calledUp = 0;
    for (int i = 0; ok && (pressed < keys || calledUp < callUps); ++i) {
        if (pressed < keys) {
            typeAndTakeBack(kTexts[i % 2]);
        }
        if (calledUp < callUps && (pressed >= keys || i % 5 != 4)) {
            callUp();
        }
    }
    Sleep(500);
    const Counts after = CountsOf(zantrel);
    CloseZantrel(window, zantrel);
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Corvath Software");
    std::printf("a day of use: %d key presses and %d call-ups in %.1f s\n", pressed, calledUp,
                Now() - start);
    std::printf("  handles       %lu before, %lu after\n", before.handles, after.handles);
    std::printf("  GDI objects   %lu before, %lu after\n", before.gdi, after.gdi);
    std::printf("  USER objects  %lu before, %lu after\n", before.user, after.user);
    std::printf("  windows       %lu before, %lu after\n", before.windows, after.windows);
    std::printf("  private bytes %lu KiB before, %lu KiB after (shown, not judged)\n",
                static_cast<unsigned long>(before.privateBytes / 1024),
                static_cast<unsigned long>(after.privateBytes / 1024));
    if (before.gdi == 0 && before.user == 0) {
        std::printf("  (the system reports no GDI or USER objects: the windows stand for them)\n");
    }
    if (!ok) {
        std::printf("  a key was not echoed\n");
    }
    const bool kept = ok && after.handles <= before.handles && after.gdi <= before.gdi &&
                      after.user <= before.user;
    return kept ? 0 : 1;
}
