// Export and import of the alias exchange file with 10, 1,000 and 10,000 aliases, against
// baselines in the same run: writing and reading the same bytes with plain stdio, and the
// import as it was before the name index (every add walking the whole list, so n aliases
// cost time in n squared).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "state/exchange_file.h"

namespace {

struct Sample {
    std::string name, command, startPath;
};

std::vector<Sample> Samples(int n) {
    std::vector<Sample> samples;
    for (int i = 0; i < n; ++i) {
        std::string id = std::to_string(i);
        samples.push_back({"alias" + id, "C:\\Program Files\\Tool " + id + "\\tool.exe /open *.txt",
                           "C:\\Users\\me\\Documents\\" + id});
    }
    return samples;
}

void Fill(AliasList& list, const std::vector<Sample>& samples) {
    AliasAdder adder(list);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        adder.Add(samples[i].name.c_str(), samples[i].command.c_str(), samples[i].startPath.c_str(),
                  static_cast<std::uint32_t>(i % 3));
    }
}

std::string ScratchPath(const char* what) {
    return "/tmp/zantrel-bench-" + std::to_string(getpid()) + "-" + what + ".dat";
}

std::string ReadAll(const std::string& path) {
    std::string bytes;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    char block[4096];
    std::size_t n;
    while (f != nullptr && (n = std::fread(block, 1, sizeof(block), f)) > 0) {
        bytes.append(block, n);
    }
    if (f != nullptr) {
        std::fclose(f);
    }
    return bytes;
}

// A file exported from n aliases, written once per size.
std::string ExportedFile(int n) {
    std::string path = ScratchPath(("source" + std::to_string(n)).c_str());
    AliasList list;
    Fill(list, Samples(n));
    ExportAliases(list, path.c_str());
    return path;
}

void BM_ExportAliases(benchmark::State& state) {
    AliasList list;
    Fill(list, Samples(static_cast<int>(state.range(0))));
    std::string path = ScratchPath("export");
    for (auto _ : state) {
        benchmark::DoNotOptimize(ExportAliases(list, path.c_str()));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<long long>(ReadAll(path).size()));
    std::remove(path.c_str());
}

// Baseline: the same bytes written with one fwrite.
void BM_WriteSameBytes(benchmark::State& state) {
    std::string source = ExportedFile(static_cast<int>(state.range(0)));
    std::string bytes = ReadAll(source);
    std::string path = ScratchPath("write");
    for (auto _ : state) {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        benchmark::DoNotOptimize(std::fwrite(bytes.data(), 1, bytes.size(), f));
        std::fclose(f);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<long long>(bytes.size()));
    std::remove(path.c_str());
    std::remove(source.c_str());
}

void BM_ImportAliases(benchmark::State& state) {
    int n = static_cast<int>(state.range(0));
    std::string path = ExportedFile(n);
    for (auto _ : state) {
        AliasList list;
        benchmark::DoNotOptimize(ImportAliases(list, path.c_str()));
    }
    std::remove(path.c_str());
}

void BM_ImportFromMemory(benchmark::State& state) {
    int n = static_cast<int>(state.range(0));
    std::string path = ExportedFile(n);
    std::string bytes = ReadAll(path);
    for (auto _ : state) {
        AliasList list;
        benchmark::DoNotOptimize(ImportAliasesFromMemory(list, bytes.data(), bytes.size()));
    }
    std::remove(path.c_str());
}

// The import as it was before the name index.
void BM_ImportWalkingTheList(benchmark::State& state) {
    AliasAdder::useIndex = false;
    BM_ImportAliases(state);
    AliasAdder::useIndex = true;
}

// Baseline: the file's bytes read with plain stdio.
void BM_ReadSameBytes(benchmark::State& state) {
    std::string path = ExportedFile(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(ReadAll(path));
    }
    std::remove(path.c_str());
}

}  // namespace

BENCHMARK(BM_ExportAliases)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteSameBytes)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportAliases)->Arg(10)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ImportWalkingTheList)->Arg(10)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadSameBytes)->Arg(10)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ImportFromMemory)->Arg(10000)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
