#include "state/alias_list.h"

#include <cstdlib>

AliasList::~AliasList() {
    ReleaseAliasList(*this);
}

bool AddAlias(AliasList& list, const char* name, const char* command, const char* startPath,
              std::uint32_t windowState) {
    // One walk does both: the duplicate test, which sees the whole name before it is cut
    // to 16 characters, and the search for the last record (the sentinel when empty).
    AliasRecord* last = &list.Sentinel;
    while (last->Next != nullptr) {
        last = last->Next;
        if (TextEqualNoCase(last->Name, name)) {
            return false;
        }
    }
    // calloc leaves both links empty.
    AliasRecord* record = static_cast<AliasRecord*>(std::calloc(1, sizeof(AliasRecord)));
    if (record == nullptr) {
        return false;
    }
    CopyText(record->Name, name, sizeof(record->Name));
    CopyText(record->Command, command, sizeof(record->Command));
    CopyText(record->StartPath, startPath, sizeof(record->StartPath));
    record->WindowState = windowState;
    record->Prev = last;
    last->Next = record;
    return true;
}

AliasRecord* FindAlias(const AliasList& list, const char* name) {
    for (AliasRecord* record = FirstAlias(list); record != nullptr; record = record->Next) {
        if (TextEqualNoCase(record->Name, name)) {
            return record;
        }
    }
    return nullptr;
}

void RemoveAlias(AliasList& list, const char* name) {
    AliasRecord* record = FirstAlias(list);
    while (record != nullptr && !TextEqual(record->Name, name)) {
        record = record->Next;
    }
    if (record == nullptr) {
        return;
    }
    if (record->Next != nullptr) {
        record->Next->Prev = record->Prev;
    }
    if (record->Prev != nullptr) {
        record->Prev->Next = record->Next;
    }
    record->Next = nullptr;
    record->Prev = nullptr;
    std::free(record);
}

void ReleaseAliasList(AliasList& list) {
    // Front to back in a loop: a long list must not nest one call per record.
    AliasRecord* record = list.Sentinel.Next;
    list.Sentinel.Next = nullptr;
    while (record != nullptr) {
        AliasRecord* next = record->Next;
        std::free(record);
        record = next;
    }
}
