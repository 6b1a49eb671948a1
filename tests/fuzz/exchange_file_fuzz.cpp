// Feeds arbitrary bytes to the alias import. Whatever the input: no crash, no access out of
// bounds (the sanitizers watch), every added alias within its field lengths, names unique
// without regard to letter case, the chain's links consistent both ways, and a file written
// by the export imports as the same aliases again.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fuzz/checks.h"
#include "state/exchange_file.h"

namespace {

const char kTarget[] = "exchange_file_fuzz";

bool HoldsCtrlZ(const AliasList& list) {
    for (const AliasRecord* r = FirstAlias(list); r != nullptr; r = r->Next) {
        if (std::strchr(r->Name, 0x1A) || std::strchr(r->Command, 0x1A) ||
            std::strchr(r->StartPath, 0x1A)) {
            return true;
        }
    }
    return false;
}

char scratch[80] = "";

// The export needs a real file: kept in memory-backed /dev/shm where there is one, which
// makes the round trip about ten times faster than on disk. Removed after each use.
const char* ScratchPath() {
    if (scratch[0] == '\0') {
        const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::snprintf(scratch, sizeof(scratch), "%s/zantrel-fuzz-%ld.dat", dir,
                      static_cast<long>(getpid()));
    }
    return scratch;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    AliasList list;
    AddAlias(list, "ed", "notepad.exe", "C:\\", 1);  // so that duplicates are met as well
    bool ok = ImportAliasesFromMemory(list, data, size);
    std::size_t count = CheckList(kTarget, list);
    if (!ok && count != 1) {
        Fail(kTarget, "a failed import added aliases");
    }

    // What the export writes reads back as the same aliases. A text holding a byte 1A cannot
    // travel (the reader takes it as the end of the data), so such lists are left out.
    if (!HoldsCtrlZ(list)) {
        if (!ExportAliases(list, ScratchPath())) {
            Fail(kTarget, "export failed");
        }
        AliasList again;
        if (!ImportAliases(again, ScratchPath())) {
            Fail(kTarget, "the exported file does not import");
        }
        if (!SameAliases(list, again)) {
            Fail(kTarget, "export then import changed the aliases");
        }
        CheckList(kTarget, again);
        unlink(ScratchPath());
    }
    return 0;
}
