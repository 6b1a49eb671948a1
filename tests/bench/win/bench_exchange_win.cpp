// The alias import under Wine with 10, 1,000 and 10,000 aliases, from a file the export
// wrote, beside the bare reading of the same file into one buffer and the import as it
// was before the name index (every add walking the list), alternating in the same rounds.
// Prints medians in milliseconds and the median ratios of the rounds.
//   wine bench_exchange_win.exe
#include <windows.h>

#include <cstdio>
#include <string>

#include "bench_util.h"
#include "state/exchange_file.h"

namespace {

std::string FilePath(int aliases) {
    char temp[MAX_PATH];
    GetTempPathA(sizeof(temp), temp);
    return std::string(temp) + "zantrel-bench-" + std::to_string(aliases) + ".dat";
}

// What the import must read at the least: the whole file into one buffer, as it does.
void ReadBare(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return;
    }
    static unsigned char whole[(4 << 20) + 1];
    volatile std::size_t total = std::fread(whole, 1, sizeof(whole), file);
    (void)total;
    std::fclose(file);
}

int Count(const AliasList& list) {
    int count = 0;
    for (const AliasRecord* r = FirstAlias(list); r != nullptr; r = r->Next) {
        ++count;
    }
    return count;
}

}  // namespace

int main() {
    std::printf("%-34s %10s %12s %8s\n", "operation", "median ms", "baseline ms", "ratio");
    for (int aliases : {10, 1000, 10000}) {
        const int rounds = aliases >= 10000 ? 3 : aliases >= 1000 ? 7 : 15;
        const std::string path = FilePath(aliases);
        {
            AliasList source;
            AliasAdder adder(source);
            for (int i = 0; i < aliases; ++i) {
                const std::string id = std::to_string(i);
                adder.Add(("alias" + id).c_str(),
                          ("C:\\Program Files\\Tool " + id + "\\tool.exe /open *.txt").c_str(),
                          ("C:\\Users\\me\\Documents\\" + id).c_str(), i % 3);
            }
            ExportAliases(source, path.c_str());
        }
        int imported = 0, walked = 0;
        const auto times = bench::Alternate(rounds, {[&] {
                                                         AliasList list;
                                                         ImportAliases(list, path.c_str());
                                                         imported = Count(list);
                                                     },
                                                     [&] {
                                                         AliasAdder::useIndex = false;
                                                         AliasList list;
                                                         ImportAliases(list, path.c_str());
                                                         AliasAdder::useIndex = true;
                                                         walked = Count(list);
                                                     },
                                                     [&] { ReadBare(path); }});
        DeleteFileA(path.c_str());
        if (imported != aliases || walked != aliases) {
            std::printf("import gave %d and %d aliases of %d\n", imported, walked, aliases);
            return 1;
        }
        const char* labels[] = {"ImportAliases", "ImportAliases, walking the list"};
        for (int k : {0, 1}) {
            char label[80];
            wsprintfA(label, "%s, %d aliases", labels[k], aliases);
            std::printf("%-34s %10.3f %12.3f %8.2f\n", label, bench::Median(times[k]) * 1000,
                        bench::Median(times[2]) * 1000, bench::MedianRatio(times[k], times[2]));
        }
        std::fflush(stdout);
    }
    return 0;
}
