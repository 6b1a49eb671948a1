#include "state/alias_list.h"

#include <cstdlib>

AliasList::~AliasList() {
    ReleaseAliasList(*this);
}

namespace {

// The room that the texts of an alias may take: the limits, or the whole record.
struct Room {
    std::size_t name, text;
};
constexpr Room kLimits = {kNameBuffer, kTextBuffer};
constexpr Room kWhole = {kStoredNameBuffer, kStoredTextBuffer};

// A new record after `last`, the texts cut to `room`; null without memory.
AliasRecord* Append(AliasRecord* last, const char* name, const char* command, const char* startPath,
                    std::uint32_t windowState, Room room) {
    // calloc leaves both links empty.
    AliasRecord* record = static_cast<AliasRecord*>(std::calloc(1, sizeof(AliasRecord)));
    if (record == nullptr) {
        return nullptr;
    }
    CopyText(record->Name, name, room.name);
    CopyText(record->Command, command, room.text);
    CopyText(record->StartPath, startPath, room.text);
    record->WindowState = windowState;
    record->Prev = last;
    last->Next = record;
    return record;
}

// The hash of a name's NoCaseKey; false when no key could be made.
bool NameHash(const char* name, std::uint32_t* hash) {
    // Sort keys take a few bytes per character; a name longer than this gets no key.
    unsigned char key[1024];
    const std::size_t length = NoCaseKey(name, key, sizeof(key));
    if (length == 0) {
        return false;
    }
    std::uint32_t h = 2166136261u;  // FNV-1a
    for (std::size_t i = 0; i < length; ++i) {
        h = (h ^ key[i]) * 16777619u;
    }
    *hash = h;
    return true;
}

bool AddWalking(AliasList& list, const char* name, const char* command, const char* startPath,
                std::uint32_t windowState, Room room) {
    // One walk does both: the duplicate test, which sees the whole name before it is cut
    // to 16 characters, and the search for the last record (the sentinel when empty).
    AliasRecord* last = &list.Sentinel;
    while (last->Next != nullptr) {
        last = last->Next;
        if (TextEqualNoCase(last->Name, name)) {
            return false;
        }
    }
    return Append(last, name, command, startPath, windowState, room) != nullptr;
}

}  // namespace

bool AddAlias(AliasList& list, const char* name, const char* command, const char* startPath,
              std::uint32_t windowState) {
    return AddWalking(list, name, command, startPath, windowState, kLimits);
}

bool AliasAdder::useIndex = true;

AliasAdder::AliasAdder(AliasList& list, bool whole)
    : list_(list), whole_(whole), last_(&list.Sentinel), slots_(nullptr), capacity_(0), used_(0) {
    bool indexed = useIndex && Grow();
    while (last_->Next != nullptr) {
        last_ = last_->Next;
        indexed = indexed && Indexed(last_);
    }
    if (!indexed) {
        Drop();
    }
}

AliasAdder::~AliasAdder() {
    Drop();
}

void AliasAdder::Drop() {
    std::free(slots_);
    slots_ = nullptr;
    capacity_ = 0;
    used_ = 0;
}

// Enters `record` into the index, growing it to stay at most half full. False when that
// takes memory that is not there, or the name has no key: the index is then incomplete.
bool AliasAdder::Indexed(const AliasRecord* record) {
    std::uint32_t hash = 0;
    if (!NameHash(record->Name, &hash) || (2 * (used_ + 1) > capacity_ && !Grow())) {
        return false;
    }
    std::size_t at = hash & (capacity_ - 1);
    while (slots_[at].record != nullptr) {
        at = (at + 1) & (capacity_ - 1);
    }
    slots_[at] = Slot{const_cast<AliasRecord*>(record), hash};
    ++used_;
    return true;
}

bool AliasAdder::Grow() {
    const std::size_t capacity = capacity_ == 0 ? 64 : 2 * capacity_;
    Slot* slots = static_cast<Slot*>(std::calloc(capacity, sizeof(Slot)));
    if (slots == nullptr) {
        return false;
    }
    for (std::size_t i = 0; i < capacity_; ++i) {
        if (slots_[i].record != nullptr) {
            std::size_t at = slots_[i].hash & (capacity - 1);
            while (slots[at].record != nullptr) {
                at = (at + 1) & (capacity - 1);
            }
            slots[at] = slots_[i];
        }
    }
    std::free(slots_);
    slots_ = slots;
    capacity_ = capacity;
    return true;
}

bool AliasAdder::Add(const char* name, const char* command, const char* startPath,
                     std::uint32_t windowState) {
    std::uint32_t hash = 0;
    if (capacity_ == 0 || !NameHash(name, &hash)) {
        // No index, or a name without a key: the walk of AddAlias, from the known end on.
        if (!AddWalking(list_, name, command, startPath, windowState, whole_ ? kWhole : kLimits)) {
            return false;
        }
        while (last_->Next != nullptr) {
            last_ = last_->Next;
        }
        if (capacity_ != 0 && !Indexed(last_)) {
            Drop();
        }
        return true;
    }
    // Equal names have equal keys, so only the records of the same hash can be equal.
    for (std::size_t at = hash & (capacity_ - 1); slots_[at].record != nullptr;
         at = (at + 1) & (capacity_ - 1)) {
        if (slots_[at].hash == hash && TextEqualNoCase(slots_[at].record->Name, name)) {
            return false;
        }
    }
    AliasRecord* record =
        Append(last_, name, command, startPath, windowState, whole_ ? kWhole : kLimits);
    if (record == nullptr) {
        return false;
    }
    last_ = record;
    if (!Indexed(record)) {
        Drop();  // from here on every add walks the list
    }
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
