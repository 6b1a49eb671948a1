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

#include "state/exchange_file.h"

namespace {

void Fail(const char* what) {
    std::fprintf(stderr, "exchange_file_fuzz: %s\n", what);
    std::abort();
}

bool Terminated(const char* text, std::size_t capacity) {
    return std::memchr(text, '\0', capacity) != nullptr;
}

// Checks the chain and the records; returns the number of aliases.
std::size_t CheckList(const AliasList& list) {
    if (list.Sentinel.Prev != nullptr) {
        Fail("the sentinel has a predecessor");
    }
    std::size_t count = 0;
    const AliasRecord* previous = &list.Sentinel;
    for (const AliasRecord* r = FirstAlias(list); r != nullptr; r = r->Next) {
        if (r->Prev != previous) {
            Fail("Prev does not point back to the record before");
        }
        if (!Terminated(r->Name, sizeof(r->Name)) || std::strlen(r->Name) > 16) {
            Fail("name longer than 16 characters");
        }
        if (!Terminated(r->Command, sizeof(r->Command)) || std::strlen(r->Command) > 260) {
            Fail("command longer than 260 characters");
        }
        if (!Terminated(r->StartPath, sizeof(r->StartPath)) || std::strlen(r->StartPath) > 260) {
            Fail("start path longer than 260 characters");
        }
        if (FindAlias(list, r->Name) != r) {
            Fail("a name is used twice");
        }
        previous = r;
        ++count;
    }
    std::size_t back = 0;
    for (const AliasRecord* r = previous; r != &list.Sentinel; r = r->Prev) {
        if (r == nullptr || r->Prev == nullptr || r->Prev->Next != r) {
            Fail("the backward walk does not reach the sentinel");
        }
        ++back;
    }
    if (back != count) {
        Fail("forward and backward walks differ in length");
    }
    return count;
}

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
    std::size_t count = CheckList(list);
    if (!ok && count != 1) {
        Fail("a failed import added aliases");
    }

    // What the export writes reads back as the same aliases. A text holding a byte 1A cannot
    // travel (the reader takes it as the end of the data), so such lists are left out.
    if (!HoldsCtrlZ(list)) {
        if (!ExportAliases(list, ScratchPath())) {
            Fail("export failed");
        }
        AliasList again;
        if (!ImportAliases(again, ScratchPath())) {
            Fail("the exported file does not import");
        }
        const AliasRecord* b = FirstAlias(again);
        for (const AliasRecord* a = FirstAlias(list); a != nullptr; a = a->Next, b = b->Next) {
            if (b == nullptr || std::strcmp(a->Name, b->Name) != 0 ||
                std::strcmp(a->Command, b->Command) != 0 ||
                std::strcmp(a->StartPath, b->StartPath) != 0 || a->WindowState != b->WindowState) {
                Fail("export then import changed the aliases");
            }
        }
        if (b != nullptr) {
            Fail("export then import added aliases");
        }
        CheckList(again);
        unlink(ScratchPath());
    }
    return 0;
}
