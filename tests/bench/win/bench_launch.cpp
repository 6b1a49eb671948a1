// Launch cost: Launcher (the shell's attempt, then process creation) against a direct
// CreateProcessA of the same line, alternating, each timed until the child has started
// (the recorder sets a named event once it runs). Also the runner's own work per command,
// with the launch itself left out.
//
//   bench_launch.exe [pairs]      (default 30; run under Wine beside recorder.exe)
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "run/launcher.h"
#include "run/runner.h"
#include "state/alias_list.h"
#include "state/settings.h"
#include "bench_util.h"
#include "fake_environment.h"

namespace {

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

double Quantile(std::vector<double> values, double q) {
    std::sort(values.begin(), values.end());
    const double at = q * static_cast<double>(values.size() - 1);
    const size_t low = static_cast<size_t>(at);
    const size_t high = std::min(low + 1, values.size() - 1);
    return values[low] + (values[high] - values[low]) * (at - static_cast<double>(low));
}

double Median(const std::vector<double>& values) {
    return Quantile(values, 0.5);
}

// The recorder's pid from its record, so that the next run starts after it has ended.
void WaitForRecordedChild(const std::string& record) {
    FILE* file = std::fopen(record.c_str(), "rb");
    if (file == nullptr) {
        return;
    }
    char line[512];
    unsigned long pid = 0;
    while (std::fgets(line, sizeof line, file) != nullptr) {
        if (std::strncmp(line, "pid=", 4) == 0) {
            pid = std::strtoul(line + 4, nullptr, 10);
        }
    }
    std::fclose(file);
    HANDLE child = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
    if (child != NULL) {
        WaitForSingleObject(child, 10000);
        CloseHandle(child);
    }
    DeleteFileA(record.c_str());
}

bool TimeLaunch(bool throughLauncher, const std::string& line, const char* dir, HANDLE started,
                double* seconds) {
    ResetEvent(started);
    LARGE_INTEGER t0;
    LARGE_INTEGER t1;
    QueryPerformanceCounter(&t0);
    if (throughLauncher) {
        if (Launcher(line.c_str(), dir, SW_SHOWNORMAL).status != LaunchStatus::kStarted) {
            return false;
        }
    } else {
        std::vector<char> copy(line.begin(), line.end());
        copy.push_back('\0');
        STARTUPINFOA startup;
        ZeroMemory(&startup, sizeof startup);
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOWNORMAL;
        PROCESS_INFORMATION process;
        ZeroMemory(&process, sizeof process);
        if (!CreateProcessA(NULL, copy.data(), NULL, NULL, FALSE, NORMAL_PRIORITY_CLASS, NULL, dir,
                            &startup, &process)) {
            return false;
        }
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    if (WaitForSingleObject(started, 20000) != WAIT_OBJECT_0) {
        return false;
    }
    QueryPerformanceCounter(&t1);
    *seconds = Seconds(t0, t1);
    return true;
}

// A host that does nothing but answer, in an environment without files or variables: what
// is left is the runner's own work.
class NullHost final : public RunnerHost {
  public:
    const char* text = "";
    int launches = 0;
    void ReadCommandText(char* buffer, int capacity) override { lstrcpynA(buffer, text, capacity); }
    void SetCommandText(const char*) override {}
    void Beep() override {}
    void ShowWaitCursor() override {}
    void RestoreCursor() override {}
    LaunchResult Launch(const char*, const char*, int, bool) override {
        ++launches;
        return LaunchResult{LaunchStatus::kStarted, 0, 0};
    }
    LaunchResult LaunchElevated(const char*, const char*, const char*, int, bool) override {
        ++launches;
        return LaunchResult{LaunchStatus::kStarted, 0, 0};
    }
    LaunchResult LaunchProgram(const char*, bool, bool) override {
        ++launches;
        return LaunchResult{LaunchStatus::kStarted, 0, 0};
    }
    void ReportLaunchFailure(int, int) override {}
    bool EndSession(std::uint32_t) override { return true; }
    void AddToHistory(const char*) override {}
    void FillHistoryList() override {}
    void SaveState() override {}
    void HideWindow() override {}
    void DestroyWindow() override {}
    bool WindowExists() override { return true; }
    void ShowError(const char*, bool) override {}
    void ShowWarning(const char*) override {}
};

double RunnerMicroseconds(const char* text, const AliasList& aliases, const Settings& settings) {
    NullHost host;
    FakeEnvironment environment;
    host.text = text;
    const int rounds = 200000;
    LARGE_INTEGER t0;
    LARGE_INTEGER t1;
    QueryPerformanceCounter(&t0);
    for (int i = 0; i < rounds; ++i) {
        RunCommandBox(host, environment, aliases, settings);
    }
    QueryPerformanceCounter(&t1);
    return Seconds(t0, t1) * 1e6 / rounds;
}

}  // namespace

int main(int argc, char** argv) {
    const int pairs = argc > 1 ? std::max(20, std::atoi(argv[1])) : 30;
    CoInitializeEx(NULL, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(NULL, path, sizeof path);
    std::string exeDir(path, n);
    exeDir = exeDir.substr(0, exeDir.find_last_of('\\'));
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string dir = std::string(temp) + "zantrel-bench-launch";
    CreateDirectoryA(dir.c_str(), NULL);
    const std::string record = dir + "\\bench.rec";
    const std::string eventName = "ZantrelBenchStarted" + std::to_string(GetCurrentProcessId());
    HANDLE started = CreateEventA(NULL, TRUE, FALSE, eventName.c_str());
    const std::string line =
        "\"" + exeDir + "\\recorder.exe\" \"" + record + "\" event:" + eventName;

    // One of each first, so that neither side pays for loading the shell or the child.
    double warm = 0;
    if (!TimeLaunch(true, line, dir.c_str(), started, &warm) ||
        (WaitForRecordedChild(record), !TimeLaunch(false, line, dir.c_str(), started, &warm))) {
        std::fprintf(stderr, "launch failed (is recorder.exe beside this program?)\n");
        return 1;
    }
    WaitForRecordedChild(record);

    std::vector<double> viaLauncher;
    std::vector<double> direct;
    std::vector<double> ratios;
    for (int i = 0; i < pairs; ++i) {
        double a = 0;
        double b = 0;
        const bool launcherFirst = i % 2 == 0;
        bool ok = TimeLaunch(launcherFirst, line, dir.c_str(), started, launcherFirst ? &a : &b);
        WaitForRecordedChild(record);
        ok = ok && TimeLaunch(!launcherFirst, line, dir.c_str(), started, launcherFirst ? &b : &a);
        WaitForRecordedChild(record);
        if (!ok) {
            std::fprintf(stderr, "launch failed in pair %d\n", i);
            return 1;
        }
        viaLauncher.push_back(a);
        direct.push_back(b);
        ratios.push_back(a / b);
    }

    // The runner's work for a plain line, a three-piece line and an alias among 50.
    Settings settings{};
    lstrcpynA(settings.StartPath, "C:\\", sizeof settings.StartPath);
    settings.AfterCommand = kAfterStay;
    AliasList aliases;
    for (int i = 0; i < 50; ++i) {
        char name[kNameBuffer];
        wsprintfA(name, "alias%d", i);
        AddAlias(aliases, name, "notepad.exe readme.txt", "C:\\", kStateNormal);
    }
    const double plainUs = RunnerMicroseconds("notepad readme.txt", aliases, settings);
    const double piecesUs = RunnerMicroseconds("calc*notepad*cmd /c dir *.txt", aliases, settings);
    const double aliasUs = RunnerMicroseconds("ALIAS49", aliases, settings);

    std::vector<double> shellAttempts;
    for (int i = 0; i < pairs; ++i) {
        // The shell's refusal of the line alone: the part of Launcher's cost that process
        // creation does not have.
        shellAttempts.push_back(bench::ShellRefusalSeconds(line, dir));
    }

    const double launcherMs = Median(viaLauncher) * 1e3;
    const double directMs = Median(direct) * 1e3;
    std::printf("launch to started child, %d alternating pairs\n", pairs);
    std::printf("  Launcher (shell attempt, then CreateProcessA): median %.2f ms\n", launcherMs);
    std::printf("  direct CreateProcessA:                         median %.2f ms\n", directMs);
    std::printf("  ratio Launcher / direct per pair: median %.2f, quartiles %.2f .. %.2f\n",
                Median(ratios), Quantile(ratios, 0.25), Quantile(ratios, 0.75));
    std::printf("  quartiles: Launcher %.2f .. %.2f ms, direct %.2f .. %.2f ms\n",
                Quantile(viaLauncher, 0.25) * 1e3, Quantile(viaLauncher, 0.75) * 1e3,
                Quantile(direct, 0.25) * 1e3, Quantile(direct, 0.75) * 1e3);
    std::printf("  the shell's refusal alone: median %.3f ms\n", Median(shellAttempts) * 1e3);
    std::printf("runner's own work per command (launches not made)\n");
    std::printf("  plain line:                 %.3f us\n", plainUs);
    std::printf("  three pieces:               %.3f us\n", piecesUs);
    std::printf("  alias, last of 50:          %.3f us\n", aliasUs);
    std::printf("  share of a launch:          %.4f %%\n", aliasUs / 1e3 / launcherMs * 100);

    CloseHandle(started);
    RemoveDirectoryA(dir.c_str());
    CoUninitialize();
    return 0;
}
