// The program index, each part against a baseline in the same run:
// - building the index of 1,000 shortcuts in 60 folders against a bare recursive
//   FindFirstFileExW walk of the same folders, alternating (limit 1.5);
// - the private memory that the index of those 1,000 adds to a process against an empty Start
//   menu, each in a process of its own (limit 256 KiB);
// - the context switches of an idle process that holds the index's watches against the idle
//   floor program and against this program idle without the index (Wine reports none of its
//   own: the threads' counts come from the Linux side, /proc through drive Z:, where each
//   child is found by a mark on its command line).
//
//   bench_programs.exe [idle seconds]     (default 60; run beside floor_startup.exe)
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench_util.h"
#include "programs/programs_win.h"

namespace {

// The 1,000 shortcuts (empty files: the index opens none) in a tree of 60 folders.
std::string MakeStartMenu(const std::string& root) {
    std::vector<std::string> folders = {root};
    for (int i = 1; i < 60; ++i) {
        folders.push_back(folders[(i - 1) / 5] + "\\Folder " + std::to_string(i));
    }
    for (const std::string& folder : folders) {
        std::filesystem::create_directories(folder);
    }
    for (int i = 0; i < 1000; ++i) {
        std::ofstream(folders[i % 60] + "\\Program " + std::to_string(i) + ".lnk");
    }
    return root;
}

int BareWalk(const std::wstring& folder) {
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &entry,
                                   FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    int count = 0;
    if (find == INVALID_HANDLE_VALUE) {
        return 0;
    }
    do {
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            ++count;
        } else if (entry.cFileName[0] != L'.') {
            count += BareWalk(folder + L"\\" + entry.cFileName);
        }
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    return count;
}

ProgramPlaces StartMenuOnly(const std::string& root) {
    ProgramPlaces places{};
    lstrcpynA(places.userPrograms, root.c_str(), kTextBuffer);
    return places;
}

// The process's private memory. Wine leaves PrivateUsage unset but fills PagefileUsage,
// which Windows too counts as the private bytes committed.
SIZE_T PrivateBytes() {
    PROCESS_MEMORY_COUNTERS counters;
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;
}

// Child: the private memory that the index of `root` adds, in KiB (+ 1,000,000) as exit code.
int MeasureMemory(const std::string& root) {
    const SIZE_T before = PrivateBytes();
    StartProgramIndexAt(StartMenuOnly(root));
    for (;;) {
        ProgramSnapshot programs;
        if (programs.Index() != nullptr) {
            break;
        }
        Sleep(10);
    }
    Sleep(200);  // the thread's own work done, asleep on its watches
    return static_cast<int>(
               (static_cast<long long>(PrivateBytes()) - static_cast<long long>(before)) / 1024) +
           1000000;
}

// Child: an idle program with a window and a message loop, holding the index when asked.
int Idle(bool withIndex) {
    CreateWindowExA(0, "STATIC", "idle", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr, nullptr,
                    nullptr);
    if (withIndex) {
        StartProgramIndex();
    }
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        DispatchMessageA(&msg);
    }
    return 0;
}

// Starts `command` with `mark` as its last argument, which the command line of its Linux
// process shows too.
PROCESS_INFORMATION Start(const std::string& command, const std::string& mark) {
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    ZeroMemory(&process, sizeof process);
    std::string line = command + " " + mark;
    CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                   &process);
    return process;
}

void End(PROCESS_INFORMATION& process) {
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The Linux process whose command line ends with the argument `mark`, "" when none.
std::string LinuxProcess(const std::string& mark) {
    const std::string wanted = '\0' + mark + '\0';
    for (const auto& entry : std::filesystem::directory_iterator("Z:\\proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") == std::string::npos &&
            ReadAll("Z:\\proc\\" + name + "\\cmdline").find(wanted) != std::string::npos) {
            return name;
        }
    }
    return "";
}

// The context switches of all threads of a Linux process so far.
long long ContextSwitches(const std::string& pid) {
    long long total = 0;
    std::error_code error;
    for (const auto& task :
         std::filesystem::directory_iterator("Z:\\proc\\" + pid + "\\task", error)) {
        const std::string status = ReadAll(task.path().string() + "\\status");
        for (const char* field : {"\nvoluntary_ctxt_switches:", "\nnonvoluntary_ctxt_switches:"}) {
            const size_t at = status.find(field);
            total +=
                at == std::string::npos ? 0 : std::atoll(status.c_str() + at + std::strlen(field));
        }
    }
    return total;
}

std::string Mark(const char* name) {
    return std::string("bench-programs-") + std::to_string(GetCurrentProcessId()) + "-" + name;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string self = bench::ExeDir() + "\\bench_programs.exe";
    if (argc >= 3 && std::string(argv[1]) == "--memory") {
        return MeasureMemory(argv[2]);
    }
    if (argc >= 2 && (std::string(argv[1]) == "--idle" || std::string(argv[1]) == "--idle-bare")) {
        return Idle(std::string(argv[1]) == "--idle");
    }
    const int idleSeconds = argc > 1 ? std::atoi(argv[1]) : 60;
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string dir =
        std::string(temp) + "bench programs " + std::to_string(GetCurrentProcessId());
    const std::string full = MakeStartMenu(dir + "\\Full");
    const std::string empty = dir + "\\Empty";
    std::filesystem::create_directories(empty);
    int failed = 0;

    // Building.
    const ProgramPlaces places = StartMenuOnly(full);
    const std::wstring wide = std::filesystem::path(full).wstring();
    int walked = 0, indexed = 0;
    const auto times = bench::Alternate(15, {[&] { walked = BareWalk(wide); },
                                             [&] {
                                                 ProgramIndex* index = BuildProgramIndexAt(places);
                                                 indexed = ProgramCount(index);
                                                 FreeProgramIndex(index);
                                             }});
    const double build = bench::MedianRatio(times[1], times[0]);
    std::printf(
        "build: %d shortcuts indexed in %.2f ms, bare walk of %d files %.2f ms: %.2fx (limit "
        "1.5)\n",
        indexed, 1000 * bench::Median(times[1]), walked, 1000 * bench::Median(times[0]), build);
    failed += build > 1.5 || indexed != 1000;
    ProgramPlaces system;
    DefaultProgramPlaces(&system);
    const auto sources =
        bench::Alternate(5, {[&] { FreeProgramIndex(BuildProgramIndexAt(system)); },
                             [&] {
                                 system.storeApps = false;
                                 FreeProgramIndex(BuildProgramIndexAt(system));
                                 system.storeApps = true;
                             }});
    std::printf("   this system's index: %.2f ms, %.2f ms of it the Store apps\n",
                1000 * bench::Median(sources[0]),
                1000 * (bench::Median(sources[0]) - bench::Median(sources[1])));

    // Memory, each measure in a process of its own, alternating.
    std::vector<double> fullKiB, emptyKiB;
    for (int round = 0; round < 3; ++round) {
        for (const std::string* root : {&full, &empty}) {
            PROCESS_INFORMATION child =
                Start("\"" + self + "\" --memory \"" + *root + "\"", "memory");
            WaitForSingleObject(child.hProcess, 60000);
            DWORD code = 0;
            GetExitCodeProcess(child.hProcess, &code);
            (root == &full ? fullKiB : emptyKiB).push_back(static_cast<double>(code) - 1000000);
            End(child);
        }
    }
    const double added = bench::Median(fullKiB) - bench::Median(emptyKiB);
    std::printf(
        "memory: the index of 1,000 adds %.0f KiB, of none %.0f KiB: %.0f KiB more (limit 256)\n",
        bench::Median(fullKiB), bench::Median(emptyKiB), added);
    failed += added > 256;

    // Idle: three programs side by side over the same seconds.
    struct Idler {
        const char* name;
        std::string command;
        PROCESS_INFORMATION process;
        std::string pid;
        long long start;
    } idlers[] = {{"index", "\"" + self + "\" --idle", {}, "", 0},
                  {"bare", "\"" + self + "\" --idle-bare", {}, "", 0},
                  {"floor", "\"" + bench::ExeDir() + "\\floor_startup.exe\"", {}, "", 0}};
    for (Idler& idler : idlers) {
        idler.process = Start(idler.command, Mark(idler.name));
    }
    Sleep(5000);  // started, the index built, nothing more to do
    for (Idler& idler : idlers) {
        idler.pid = LinuxProcess(Mark(idler.name));
        idler.start = idler.pid.empty() ? -1 : ContextSwitches(idler.pid);
    }
    Sleep(static_cast<DWORD>(idleSeconds) * 1000);
    long long switches[3];
    for (int i = 0; i < 3; ++i) {
        switches[i] = idlers[i].start < 0 ? -1 : ContextSwitches(idlers[i].pid) - idlers[i].start;
        End(idlers[i].process);
    }
    std::printf(
        "idle %d s: context switches with the index %lld, without %lld, floor program %lld\n",
        idleSeconds, switches[0], switches[1], switches[2]);
    if (switches[0] < 0 || switches[2] < 0) {
        std::printf("   (no /proc on drive Z: the switches could not be counted)\n");
    } else {
        failed += switches[0] > switches[2];
    }

    std::error_code error;
    std::filesystem::remove_all(dir, error);
    return failed == 0 ? 0 : 1;
}
