// The alias list: aliases in the order they were added, as a doubly linked chain that
// starts at a sentinel record. Names are unique without regard to letter case.
#pragma once

#include <cstdint>

#include "state/session_commands.h"
#include "state/text.h"

// The texts have room for what the registry holds (kStoredNameBuffer, kStoredTextBuffer):
// an alias loaded from an earlier version's registry keeps its texts whole.
struct AliasRecord {
    char Name[kStoredNameBuffer];
    char Command[kStoredTextBuffer];
    char StartPath[kStoredTextBuffer];
    std::uint32_t WindowState;  // 0 Normal, 1 Maximized, 2 Minimized; others kept as they are
    AliasRecord* Next;          // owning: a record owns its successor
    AliasRecord* Prev;          // the previous record, or the sentinel for the first alias
};

constexpr std::uint32_t kStateNormal = 0;
constexpr std::uint32_t kStateMaximized = 1;
constexpr std::uint32_t kStateMinimized = 2;

struct AliasList {
    AliasRecord Sentinel{};  // its texts are never used; Sentinel.Next is the first alias
    AliasList() = default;
    AliasList(const AliasList&) = delete;
    AliasList& operator=(const AliasList&) = delete;
    ~AliasList();
};

// Appends an alias, the texts cut to 16, 260 and 260 characters. False, with the list
// unchanged, when an alias of that name (compared without regard to letter case, before
// the cut) already exists or no memory is left.
bool AddAlias(AliasList& list, const char* name, const char* command, const char* startPath,
              std::uint32_t windowState);

// Many adds in a row, as the registry load and the import make them: each Add has exactly
// the result of AddAlias, but the duplicate test looks the name up in an index of the
// list's names (by NoCaseKey, each match confirmed by the full comparison) instead of
// walking the whole list. The index exists only as long as this object; meanwhile the list
// must not change in any other way. Without memory for the index it walks, as AddAlias does.
// `whole` (the registry load) keeps the texts as they come, up to the record's room, instead
// of cutting them to 16, 260 and 260 characters.
class AliasAdder {
  public:
    explicit AliasAdder(AliasList& list, bool whole = false);
    ~AliasAdder();
    AliasAdder(const AliasAdder&) = delete;
    AliasAdder& operator=(const AliasAdder&) = delete;

    bool Add(const char* name, const char* command, const char* startPath,
             std::uint32_t windowState);

    // Cleared, adders walk the list for every add: what the index saves, measured by the
    // benchmarks and compared by the tests.
    static bool useIndex;

  private:
    struct Slot {
        AliasRecord* record;  // null: free
        std::uint32_t hash;
    };
    bool Indexed(const AliasRecord* record);
    bool Grow();
    void Drop();

    AliasList& list_;
    bool whole_;
    AliasRecord* last_;
    Slot* slots_;
    std::size_t capacity_;  // a power of two, or 0 when there is no index
    std::size_t used_;
};

// The first alias whose whole name matches without regard to letter case, or null. The
// record itself is returned: callers may change its fields in place within their limits.
AliasRecord* FindAlias(const AliasList& list, const char* name);

// Unlinks and frees the first alias whose name matches exactly, letter case included.
void RemoveAlias(AliasList& list, const char* name);

// The walk in list order: FirstAlias, then each record's Next until null.
inline AliasRecord* FirstAlias(const AliasList& list) {
    return list.Sentinel.Next;
}

// Frees every alias; the list is empty afterwards and can be used again.
void ReleaseAliasList(AliasList& list);
