// Feeds arbitrary registry contents to the start-up load over the in-memory registry: values
// of every type and size (empty, up to past their buffers, without terminator, with NULs
// inside), numbered names with gaps and in either case, runs of many aliases, picks of two
// or three texts with and without their NULs, stray names, keys missing. Whatever the input:
// no crash and no access out of bounds (the sanitizers watch), every text terminated within
// its buffer, names unique without regard to letter case, the chain's links consistent, no
// pick with an empty, overlong or invalid text, the same aliases with and without the name
// index, and saving what was loaded, then loading again, gives the same state, an alias key
// with exactly four values per alias and picks "0" up to their count and no more.
//
// The input is read as a list of values: a byte of which keys exist, then for each value
// the key, the kind of name, its index, the type, the size and the data (see ReadValue).
#include <cstdint>
#include <cstring>
#include <memory_resource>
#include <string>
#include <vector>

#include "fuzz/checks.h"
#include "state/settings_store.h"
#include "unit/memory_registry.h"

namespace {

const char kTarget[] = "state_load_fuzz";
const RegRoot HKCU = RegRoot::CurrentUser;

class Input {
  public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool Empty() const { return at_ >= size_; }
    unsigned Byte() { return at_ < size_ ? data_[at_++] : 0; }
    std::vector<unsigned char> Bytes(std::size_t n) {
        std::vector<unsigned char> out;
        for (; n > 0 && at_ < size_; --n) {
            out.push_back(data_[at_++]);
        }
        return out;
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

const char* const kSettingsNames[] = {"Startup", "Hide",   "AfterCommand", "LocX",
                                      "LocY",    "HotKey", "StartPath",    "Path"};

// Sizes around the buffers the load reads into: 0, 1, 2, 4, 5, 16, 17, 18, 260, 261, 262.
std::size_t Size(unsigned selector, Input& in) {
    static const std::size_t kSizes[] = {0, 1, 2, 4, 5, 16, 17, 18, 260, 261, 262};
    if (selector < 11) {
        return kSizes[selector];
    }
    return in.Byte() * 2;  // anything up to 510
}

// A pick's data: two texts or three, each of one byte repeated, with or without its NUL,
// and the list's closing NUL or not.
std::vector<unsigned char> Pick(Input& in) {
    const unsigned form = in.Byte();
    std::vector<unsigned char> data;
    const unsigned texts = 2 + (form >> 3 & 1);
    for (unsigned t = 0; t < texts; ++t) {
        const std::size_t size = Size(in.Byte() % 12, in);
        data.insert(data.end(), size, static_cast<unsigned char>(in.Byte()));
        if ((form >> t & 1) == 0) {
            data.push_back(0);
        }
    }
    if ((form & 0x10) == 0) {
        data.push_back(0);
    }
    return data;
}

// The value's data: given bytes, or a text of the given size with or without terminator.
std::vector<unsigned char> Data(std::size_t size, Input& in) {
    const unsigned form = in.Byte() % 3;
    if (form == 0) {
        std::vector<unsigned char> bytes = in.Bytes(size);
        bytes.resize(size, 'z');
        return bytes;
    }
    std::vector<unsigned char> text(size, static_cast<unsigned char>('a' + in.Byte() % 26));
    if (form == 1 && size > 0) {
        text[size - 1] = 0;
    }
    return text;
}

std::string Numbered(char prefix, unsigned index, bool lower) {
    std::string name = prefix == '\0' ? "" : std::string(1, lower ? prefix | 0x20 : prefix);
    return name + std::to_string(index);
}

// Runs of aliases together stay below this, so that each input runs quickly.
constexpr unsigned kMostInRuns = 512;

void ReadValue(Input& in, MemoryRegistry& reg, unsigned* inRuns) {
    const char* paths[] = {kMainKeyPath, kAliasKeyPath, kHistoryKeyPath, kMainKeyPath,
                           kPicksKeyPath};
    const unsigned where = in.Byte() % 5;
    const RegRoot root = where == 3 ? RegRoot::LocalMachine : HKCU;
    const unsigned kind = in.Byte();
    const unsigned index = in.Byte() % (where == 4 ? 112 : 48);  // picks up to past "99"
    const RegType type = static_cast<RegType>(in.Byte() % 12);
    const std::size_t size = Size(in.Byte() % 12, in);
    switch (kind % 8) {
        case 0:
        case 1:
        case 2:
        case 3: {
            const char prefix = "ACPW"[kind % 4];
            reg.PutValue(root, paths[where], Numbered(prefix, index, kind & 0x80), type,
                         Data(size, in));
            break;
        }
        case 4:
            reg.PutValue(root, paths[where], Numbered('\0', index, false), type,
                         kind & 0x80 ? Pick(in) : Data(size, in));
            break;
        case 5:
            reg.PutValue(root, paths[where], kSettingsNames[index % 8], type, Data(size, in));
            break;
        case 6: {
            // A run of aliases from `index` on, names repeating in other cases now and then.
            unsigned count = in.Byte();
            count = count < kMostInRuns - *inRuns ? count : kMostInRuns - *inRuns;
            *inRuns += count;
            const unsigned period = 1 + in.Byte();
            for (unsigned i = 0; i < count; ++i) {
                const unsigned n = index + i;
                std::string name =
                    ((i / period) % 2 ? "ALIAS" : "alias") + std::to_string(i % period);
                reg.PutString(HKCU, kAliasKeyPath, Numbered('A', n, false), name);
                reg.PutString(HKCU, kAliasKeyPath, Numbered('C', n, false), "c" + name);
                reg.PutString(HKCU, kAliasKeyPath, Numbered('P', n, false), "p");
                reg.PutDword(HKCU, kAliasKeyPath, Numbered('W', n, false), n);
            }
            break;
        }
        default: {
            // Any other name, NULs left out (no name in the registry holds one).
            std::string name;
            for (unsigned char c : in.Bytes(index % 24)) {
                if (c != 0) {
                    name += static_cast<char>(c);
                }
            }
            reg.PutValue(root, paths[where], name, type, Data(size, in));
            break;
        }
    }
}

void CheckTexts(const AppState& state) {
    CheckList(kTarget, state.aliases);
    if (!Terminated(state.settings.InstallPath, sizeof(state.settings.InstallPath)) ||
        !Terminated(state.settings.StartPath, sizeof(state.settings.StartPath))) {
        Fail(kTarget, "a settings text not terminated within its buffer");
    }
    for (const auto& slot : state.history.Slots) {
        if (!Terminated(slot, sizeof(slot))) {
            Fail(kTarget, "a history slot not terminated within its buffer");
        }
    }
    if (state.picks.count < 0 || state.picks.count > kMaxPicks) {
        Fail(kTarget, "more picks than there is room for");
    }
    for (int i = 0; i < state.picks.count; ++i) {
        for (const char* text : {state.picks.items[i].typed, state.picks.items[i].entry}) {
            if (!Terminated(text, kTextBuffer) || text[0] == '\0' ||
                !IsUtf8(text, std::strlen(text))) {
                Fail(kTarget, "a pick's text empty, not terminated or not UTF-8");
            }
        }
    }
}

bool SameState(const AppState& a, const AppState& b) {
    const Settings& x = a.settings;
    const Settings& y = b.settings;
    if (x.Startup != y.Startup || x.Hide != y.Hide || x.AfterCommand != y.AfterCommand ||
        x.LocX != y.LocX || x.LocY != y.LocY || x.HotKey != y.HotKey ||
        std::strcmp(x.InstallPath, y.InstallPath) != 0 ||
        std::strcmp(x.StartPath, y.StartPath) != 0 || !SameAliases(a.aliases, b.aliases)) {
        return false;
    }
    for (int i = 0; i < kHistorySlots; ++i) {
        if (std::strcmp(a.history.Slots[i], b.history.Slots[i]) != 0) {
            return false;
        }
    }
    if (a.picks.count != b.picks.count) {
        return false;
    }
    for (int i = 0; i < a.picks.count; ++i) {
        if (std::strcmp(a.picks.items[i].typed, b.picks.items[i].typed) != 0 ||
            std::strcmp(a.picks.items[i].entry, b.picks.items[i].entry) != 0) {
            return false;
        }
    }
    return true;
}

}  // namespace

// Freed memory waits in the sanitizer's quarantine before it is used again, so that a use
// after free is caught. An input frees a few hundred kilobytes at most and keeps nothing for
// the next one, so 16 MB catch every such use as surely as the default 256 MB; with these,
// new memory is met less often, and each input takes fewer page faults.
extern "C" const char* __asan_default_options() {
    return "quarantine_size_mb=16";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    static std::pmr::unsynchronized_pool_resource memory;
    MemoryRegistry reg(&memory);
    reg.keepLog = false;
    const unsigned keys = in.Byte();
    const char* paths[] = {kMainKeyPath, kAliasKeyPath, kHistoryKeyPath};
    for (int i = 0; i < 3; ++i) {
        if (keys & (1u << i)) {
            reg.PutKey(HKCU, paths[i]);
        }
    }
    if (keys & 8) {
        reg.PutKey(RegRoot::LocalMachine, kMainKeyPath);
    }
    unsigned inRuns = 0;
    for (int values = 0; !in.Empty() && values < 64; ++values) {
        ReadValue(in, reg, &inRuns);
    }
    // Values may have made keys that the first byte left out; it decides last.
    for (int i = 2; i >= 0; --i) {
        if ((keys & (0x10u << i)) != 0) {
            reg.RemoveKey(HKCU, paths[i]);
        }
    }

    AppState loaded;
    ResetAndLoad(reg, loaded, "C:\\WINDOWS", "C:\\Program Files\\Zantrel");
    if (reg.OpenHandles() != 0) {
        Fail(kTarget, "the load left a key open");
    }
    CheckTexts(loaded);
    std::size_t aliases = 0;
    for (const AliasRecord* r = FirstAlias(loaded.aliases); r != nullptr; r = r->Next) {
        ++aliases;
    }

    // The walk that the index replaces finds the same duplicates.
    if (aliases <= 300) {
        AliasAdder::useIndex = false;
        AppState walked;
        ResetAndLoad(reg, walked, "C:\\WINDOWS", "C:\\Program Files\\Zantrel");
        AliasAdder::useIndex = true;
        if (!SameState(loaded, walked) || walked.firstRun != loaded.firstRun) {
            Fail(kTarget, "the load with the name index differs from the one without");
        }
    }

    if (!SaveState(reg, loaded)) {
        Fail(kTarget, "the save failed");
    }
    if (reg.ValueNames(HKCU, kAliasKeyPath).size() != 4 * aliases) {
        Fail(kTarget, "the saved alias key holds other values than four per alias");
    }
    for (int i = 0; i < kMaxPicks; ++i) {
        if ((reg.GetValue(HKCU, kPicksKeyPath, std::to_string(i)) != nullptr) !=
            (i < loaded.picks.count)) {
            Fail(kTarget, "the saved picks are not the values 0 up to their count");
        }
    }
    AppState again;
    ResetAndLoad(reg, again, "C:\\WINDOWS", "C:\\Program Files\\Zantrel");
    CheckTexts(again);
    if (again.firstRun || !SameState(loaded, again)) {
        Fail(kTarget, "saving what was loaded and loading it again changed the state");
    }
    if (reg.OpenHandles() != 0) {
        Fail(kTarget, "a key was left open");
    }
    return 0;
}
