// Small helpers of the Wine benchmarks.
#pragma once

#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace bench {

// The folder of the benchmark program; the programs it starts lie beside it.
inline std::string ExeDir() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path, n);
    return dir.substr(0, dir.find_last_of('\\'));
}

// Starts zantrel.exe from the benchmark's folder and waits until its command window is
// `ready` (at most ten seconds). Null when it did not start; the caller closes the handles.
inline HWND StartZantrel(PROCESS_INFORMATION* zantrel, const std::function<bool(HWND)>& ready) {
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof(si));
    si.cb = sizeof(si);
    const std::string exe = ExeDir() + "\\zantrel.exe";
    if (!CreateProcessA(exe.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, ExeDir().c_str(),
                        &si, zantrel)) {
        return nullptr;
    }
    WaitForInputIdle(zantrel->hProcess, 10000);
    HWND window = nullptr;
    for (int i = 0; i < 1000 && (window == nullptr || !ready(window)); ++i) {
        Sleep(10);
        window = FindWindowA("Zantrel", nullptr);
    }
    return window;
}

// Seconds on the performance counter.
inline double Now() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Runs each of `bodies` once per round, `rounds` times, starting each round with the next
// one in turn, so that the machine's load falls on all of them alike. Returns the seconds of
// every run, by body.
inline std::vector<std::vector<double>> Alternate(
    int rounds, const std::vector<std::function<void()>>& bodies) {
    std::vector<std::vector<double>> times(bodies.size());
    for (int r = 0; r < rounds; ++r) {
        for (size_t k = 0; k < bodies.size(); ++k) {
            const size_t which = (r + k) % bodies.size();
            const double start = Now();
            bodies[which]();
            times[which].push_back(Now() - start);
        }
    }
    return times;
}

// The median over the rounds of one body's time divided by another's in the same round.
inline double MedianRatio(const std::vector<double>& times, const std::vector<double>& base) {
    std::vector<double> ratios;
    for (size_t i = 0; i < times.size() && i < base.size(); ++i) {
        ratios.push_back(times[i] / base[i]);
    }
    return Median(ratios);
}

}  // namespace bench
