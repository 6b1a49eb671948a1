// What every fuzz target checks of an alias list, whatever its input: each text terminated
// within its field, names unique without regard to letter case, the chain's links the same
// both ways. A failed check prints what failed and aborts, so the fuzzer keeps the input.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include "state/alias_list.h"

inline void Fail(const char* target, const char* what) {
    std::fprintf(stderr, "%s: %s\n", target, what);
    std::abort();
}

inline bool Terminated(const char* text, std::size_t capacity) {
    return std::memchr(text, '\0', capacity) != nullptr;
}

// A name with its ASCII letters in lower case: what the native build's comparison without
// regard to letter case sees of it.
inline std::string FoldedName(const char* name) {
    std::string folded = name;
    for (char& c : folded) {
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return folded;
}

// Checks the chain and the records; returns the number of aliases.
inline std::size_t CheckList(const char* target, const AliasList& list) {
    if (list.Sentinel.Prev != nullptr) {
        Fail(target, "the sentinel has a predecessor");
    }
    std::set<std::string> names;  // sorted, so that hundreds of aliases cost no quadratic walk
    std::size_t count = 0;
    const AliasRecord* previous = &list.Sentinel;
    for (const AliasRecord* r = FirstAlias(list); r != nullptr; r = r->Next) {
        if (r->Prev != previous) {
            Fail(target, "Prev does not point back to the record before");
        }
        if (!Terminated(r->Name, sizeof(r->Name))) {
            Fail(target, "name not terminated within its 17 bytes");
        }
        if (!Terminated(r->Command, sizeof(r->Command))) {
            Fail(target, "command not terminated within its 261 bytes");
        }
        if (!Terminated(r->StartPath, sizeof(r->StartPath))) {
            Fail(target, "start path not terminated within its 261 bytes");
        }
        if (!names.insert(FoldedName(r->Name)).second) {
            Fail(target, "a name is used twice");
        }
        previous = r;
        ++count;
    }
    // The lookup by name walks past every other name to find the last one.
    if (previous != &list.Sentinel && FindAlias(list, previous->Name) != previous) {
        Fail(target, "the last alias is not found by its name");
    }
    std::size_t back = 0;
    for (const AliasRecord* r = previous; r != &list.Sentinel; r = r->Prev) {
        if (r == nullptr || r->Prev == nullptr || r->Prev->Next != r) {
            Fail(target, "the backward walk does not reach the sentinel");
        }
        ++back;
    }
    if (back != count) {
        Fail(target, "forward and backward walks differ in length");
    }
    return count;
}

// The same aliases with the same fields in the same order.
inline bool SameAliases(const AliasList& one, const AliasList& other) {
    const AliasRecord* b = FirstAlias(other);
    for (const AliasRecord* a = FirstAlias(one); a != nullptr; a = a->Next, b = b->Next) {
        if (b == nullptr || std::strcmp(a->Name, b->Name) != 0 ||
            std::strcmp(a->Command, b->Command) != 0 ||
            std::strcmp(a->StartPath, b->StartPath) != 0 || a->WindowState != b->WindowState) {
            return false;
        }
    }
    return b == nullptr;
}
