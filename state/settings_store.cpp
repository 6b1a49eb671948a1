#include "state/settings_store.h"

#include <cstring>

const char kMainKeyPath[] = "Software\\Corvath Software\\Zantrel";
const char kAliasKeyPath[] = "Software\\Corvath Software\\Zantrel\\Alias";
const char kHistoryKeyPath[] = "Software\\Corvath Software\\Zantrel\\History";
const char kPicksKeyPath[] = "Software\\Corvath Software\\Zantrel\\Picks";
const char kRunKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kRunValueName[] = "Zantrel";
const char kMakerAddress[] = "https://corvath.example/zantrel";

namespace {

const char kProgramFile[] = "\\zantrel.exe";
const char kHelpFile[] = "\\zantrel.hlp";

// Room for a quote, the longest install path, the program file, a quote and the terminator.
constexpr int kLongTextBuffer = kTextBuffer + sizeof(kProgramFile) + 2;

// "A17", "W3", "12": a letter (or none) and the decimal index without leading zeros.
void ValueName(char* out, char prefix, int index) {
    char digits[12];
    int count = 0;
    unsigned value = static_cast<unsigned>(index);
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    if (prefix != '\0') {
        *out++ = prefix;
    }
    while (count > 0) {
        *out++ = digits[--count];
    }
    *out = '\0';
}

// Reads a text value of any type into `target` (`room` bytes), for a field of `capacity`
// bytes (terminator included). The value must fit the field; it ends at its first NUL or at
// its size, and a value that fills the whole field without a NUL loses its last byte to the
// terminator. The program's texts are UTF-8 where Windows allows it, and two cases keep
// what was stored before:
// - A value of more bytes fits when it has no more characters than the field holds bytes
//   (the terminator not counted): a text stored in a legacy code page, one byte a
//   character, takes more bytes when it reads back as UTF-8. It is kept whole where `room`
//   has space for it (the aliases and the history, so that no two names become one and no
//   command is cut), else cut between characters to `room`.
// - A value whose bytes are not UTF-8 (data of another type) holds bytes of the legacy
//   code page, one a character, and is converted, so that no text the program holds is
//   ever invalid.
// On failure `target` is left as it was.
bool ReadText(Registry& registry, RegKey key, const char* name, char* target,
              std::uint32_t capacity, std::uint32_t room) {
    char buffer[kMaxCharBytes * kTextChars + 2];  // room for a terminator after the longest
    if (capacity > kTextBuffer) {
        capacity = kTextBuffer;
    }
    std::uint32_t size = kMaxCharBytes * (capacity - 1) + 1;
    if (!registry.ReadValue(key, name, buffer, &size) || size >= sizeof(buffer)) {
        return false;
    }
    const std::size_t stored = size > 0 && buffer[size - 1] == '\0' ? size - 1 : size;
    const bool legacy = TextIsUtf8() && !IsUtf8(buffer, stored);
    if (size > capacity && (legacy || TextCharCount(buffer, stored) > capacity - 1)) {
        return false;
    }
    if (size == capacity) {
        size = capacity - 1;
    }
    buffer[size] = '\0';
    if (legacy) {
        LegacyToUtf8(buffer, std::strlen(buffer), target, room);
    } else {
        CopyText(target, buffer, room);
    }
    return true;
}

// A field read to its own size.
bool ReadText(Registry& registry, RegKey key, const char* name, char* target,
              std::uint32_t capacity) {
    return ReadText(registry, key, name, target, capacity, capacity);
}

// Reads a little-endian number of at most `width` bytes (1, 2 or 4). A shorter value is
// taken with its missing high bytes as zero; an empty, missing or longer one leaves
// `value` as it was.
bool ReadNumber(Registry& registry, RegKey key, const char* name, std::uint32_t width,
                std::uint32_t* value) {
    unsigned char bytes[4] = {0, 0, 0, 0};
    std::uint32_t size = width;
    if (!registry.ReadValue(key, name, bytes, &size) || size == 0 || size > width) {
        return false;
    }
    *value = static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
             static_cast<std::uint32_t>(bytes[2]) << 16 |
             static_cast<std::uint32_t>(bytes[3]) << 24;
    return true;
}

bool WriteNumber(Registry& registry, RegKey key, const char* name, RegType type,
                 std::uint32_t width, std::uint32_t value) {
    const unsigned char bytes[4] = {
        static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
        static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
    return registry.WriteValue(key, name, type, bytes, width);
}

// Writes the text with its terminator, cut to capacity - 1 characters.
bool WriteText(Registry& registry, RegKey key, const char* name, const char* text,
               std::uint32_t capacity) {
    char buffer[kStoredTextBuffer];
    if (capacity > sizeof(buffer)) {
        capacity = sizeof(buffer);
    }
    CopyText(buffer, text, capacity);
    return registry.WriteValue(key, name, RegType::String, buffer,
                               static_cast<std::uint32_t>(std::strlen(buffer) + 1));
}

void LoadSettings(Registry& registry, RegKey key, Settings& settings) {
    std::uint32_t number = settings.Startup;
    if (ReadNumber(registry, key, "Startup", 1, &number)) {
        settings.Startup = static_cast<std::uint8_t>(number);
    }
    number = settings.Hide;
    if (ReadNumber(registry, key, "Hide", 1, &number)) {
        settings.Hide = static_cast<std::uint8_t>(number);
    }
    if (ReadNumber(registry, key, "AfterCommand", 4, &number)) {
        settings.AfterCommand = static_cast<std::int32_t>(number);
    }
    if (ReadNumber(registry, key, "LocX", 4, &number)) {
        settings.LocX = static_cast<std::int32_t>(number);
    }
    if (ReadNumber(registry, key, "LocY", 4, &number)) {
        settings.LocY = static_cast<std::int32_t>(number);
    }
    if (ReadNumber(registry, key, "HotKey", 2, &number)) {
        settings.HotKey = static_cast<std::uint16_t>(number);
    }
    ReadText(registry, key, "StartPath", settings.StartPath, sizeof(settings.StartPath));
}

// Aliases A0, A1, ... until the first name that is missing or does not fit. Their texts are
// taken whole, as they are stored.
void LoadAliases(Registry& registry, RegKey key, AliasList& aliases) {
    AliasAdder adder(aliases, true);
    for (int index = 0;; ++index) {
        char valueName[16];
        char name[kStoredNameBuffer];
        ValueName(valueName, 'A', index);
        if (!ReadText(registry, key, valueName, name, kNameBuffer, sizeof(name))) {
            return;
        }
        // Each alias starts from empty texts and Normal: a value that is missing or too
        // long leaves that field empty, never another alias's text.
        char command[kStoredTextBuffer] = "";
        char startPath[kStoredTextBuffer] = "";
        std::uint32_t windowState = kStateNormal;
        ValueName(valueName, 'C', index);
        ReadText(registry, key, valueName, command, kTextBuffer, sizeof(command));
        ValueName(valueName, 'P', index);
        ReadText(registry, key, valueName, startPath, kTextBuffer, sizeof(startPath));
        ValueName(valueName, 'W', index);
        ReadNumber(registry, key, valueName, 4, &windowState);
        // A name already loaded is skipped.
        adder.Add(name, command, startPath, windowState);
    }
}

void LoadHistory(Registry& registry, RegKey key, CommandHistory& history) {
    for (int slot = 0; slot < kHistorySlots; ++slot) {
        char valueName[16];
        ValueName(valueName, '\0', slot);
        if (!ReadText(registry, key, valueName, history.Slots[slot], kTextBuffer,
                      sizeof(history.Slots[slot]))) {
            return;
        }
    }
}

// The bytes of one stored pick: the typed text, its NUL, the entry, its NUL, the list's NUL.
constexpr std::uint32_t kPickBytes = 2 * kTextBuffer + 1;

// True for `length` bytes that a pick may hold: 1 to kTextChars, valid in the program's code
// page (in a double-byte one no lead byte without its second byte).
bool IsPickText(const char* text, std::size_t length) {
    return length > 0 && length <= kTextChars &&
           (TextIsUtf8() ? IsUtf8(text, length) : TextCutLength(text, length) == length);
}

// Reads one pick: a REG_MULTI_SZ of exactly two texts, each with its NUL; the list's closing
// NUL may be missing. Anything else is no pick and leaves `pick` as it was.
bool ReadPick(Registry& registry, RegKey key, const char* name, Pick& pick) {
    // Room for the UTF-16 size that the ANSI read may ask for the longest pick, so that a pick
    // that fits is never refused for the size of its stored form.
    char buffer[2 * kPickBytes];
    std::uint32_t size = sizeof(buffer);
    if (!registry.ReadTypedValue(key, name, RegType::MultiString, buffer, &size) ||
        size > kPickBytes) {
        return false;
    }
    const char* texts[2];
    std::size_t at = 0;
    for (const char*& text : texts) {
        const void* end = at < size ? std::memchr(buffer + at, '\0', size - at) : nullptr;
        if (end == nullptr) {
            return false;
        }
        text = buffer + at;
        const std::size_t length = static_cast<std::size_t>(static_cast<const char*>(end) - text);
        if (!IsPickText(text, length)) {
            return false;
        }
        at += length + 1;
    }
    if (at < size && (at + 1 < size || buffer[at] != '\0')) {
        return false;  // a third text
    }
    CopyText(pick.typed, texts[0], sizeof(pick.typed));
    CopyText(pick.entry, texts[1], sizeof(pick.entry));
    return true;
}

// Picks "0" to "99" in order, in place of those held; the values that are missing or are no
// pick are skipped.
void LoadPicks(Registry& registry, RegKey key, Picks& picks) {
    ClearPicks(picks);
    for (int index = 0; index < kMaxPicks; ++index) {
        char valueName[16];
        ValueName(valueName, '\0', index);
        if (ReadPick(registry, key, valueName, picks.items[picks.count])) {
            ++picks.count;
        }
    }
}

// True when every pick was written and the values beyond them are gone.
bool SavePicks(Registry& registry, RegKey key, const Picks& picks) {
    const int count = picks.count < 0 ? 0 : picks.count > kMaxPicks ? kMaxPicks : picks.count;
    bool saved = true;
    char valueName[16];
    for (int index = 0; index < count; ++index) {
        const Pick& pick = picks.items[index];
        char data[kPickBytes];
        CopyText(data, pick.typed, kTextBuffer);
        std::size_t size = std::strlen(data) + 1;
        CopyText(data + size, pick.entry, kTextBuffer);
        size += std::strlen(data + size) + 1;
        data[size++] = '\0';
        ValueName(valueName, '\0', index);
        saved &= registry.WriteValue(key, valueName, RegType::MultiString, data,
                                     static_cast<std::uint32_t>(size));
    }
    // After a save of fewer picks the old ones beyond them would load again.
    std::uint32_t values = 0;
    if (saved && registry.ValueCount(key, &values) && values == static_cast<std::uint32_t>(count)) {
        return true;  // exactly the picks written
    }
    for (int index = count; index < kMaxPicks; ++index) {
        ValueName(valueName, '\0', index);
        saved &= registry.DeleteValue(key, valueName);
    }
    return saved;
}

// True when every value was written.
bool SaveSettings(Registry& registry, RegKey key, const Settings& settings) {
    bool saved = WriteNumber(registry, key, "Startup", RegType::Binary, 1, settings.Startup);
    saved &= WriteNumber(registry, key, "Hide", RegType::Binary, 1, settings.Hide);
    saved &= WriteNumber(registry, key, "AfterCommand", RegType::Dword, 4,
                         static_cast<std::uint32_t>(settings.AfterCommand));
    saved &= WriteNumber(registry, key, "LocX", RegType::Dword, 4,
                         static_cast<std::uint32_t>(settings.LocX));
    saved &= WriteNumber(registry, key, "LocY", RegType::Dword, 4,
                         static_cast<std::uint32_t>(settings.LocY));
    saved &= WriteNumber(registry, key, "HotKey", RegType::Binary, 2, settings.HotKey);
    saved &= WriteText(registry, key, "StartPath", settings.StartPath, kTextBuffer);
    return saved;
}

// What writing the aliases over the old values achieved.
struct AliasesWritten {
    int count;    // aliases written, so values A0 ... A<count - 1> and so on
    bool names;   // every alias's A%d was written
    bool fields;  // every C%d, P%d and W%d was written
};

// Writes each alias in list order over whatever the key holds at its index: C%d, P%d and
// W%d first, A%d last. Until its name is written, the index still loads under its old name,
// which is either an alias that is no longer in the list or a name already written before
// it (the load skips it then), so no alias of the list ever loads with another's fields.
// A name that cannot be written ends the writing: the aliases after it keep their old
// values, where those of the list that were there before still load.
AliasesWritten SaveAliases(Registry& registry, RegKey key, const AliasList& aliases) {
    AliasesWritten written = {0, true, true};
    for (const AliasRecord* record = FirstAlias(aliases); record != nullptr;
         record = record->Next, ++written.count) {
        char valueName[16];
        ValueName(valueName, 'C', written.count);
        written.fields &=
            WriteText(registry, key, valueName, record->Command, sizeof(record->Command));
        ValueName(valueName, 'P', written.count);
        written.fields &=
            WriteText(registry, key, valueName, record->StartPath, sizeof(record->StartPath));
        ValueName(valueName, 'W', written.count);
        written.fields &=
            WriteNumber(registry, key, valueName, RegType::Dword, 4, record->WindowState);
        ValueName(valueName, 'A', written.count);
        if (!WriteText(registry, key, valueName, record->Name, sizeof(record->Name))) {
            written.names = false;
            break;
        }
    }
    return written;
}

// True for the value names that a list of `count` aliases stores: A, C, P or W in either
// case and an index below `count` in decimal without leading zeros.
bool IsAliasValueName(const char* name, int count) {
    const char kind = static_cast<char>(name[0] | 0x20);
    if (kind != 'a' && kind != 'c' && kind != 'p' && kind != 'w') {
        return false;
    }
    const char* digits = name + 1;
    if (digits[0] < '0' || digits[0] > '9' || (digits[0] == '0' && digits[1] != '\0')) {
        return false;
    }
    long long index = 0;
    for (const char* p = digits; *p != '\0'; ++p) {
        if (*p < '0' || *p > '9' || p - digits >= 10) {
            return false;
        }
        index = index * 10 + (*p - '0');
    }
    return index < count;
}

// Deletes, in one walk over the key's values, every value that is not one of the
// `count` aliases'. Returns how many were deleted; `*failed` is set when a deletion failed.
std::uint32_t DeleteOtherValues(Registry& registry, RegKey key, int count, std::uint32_t values,
                                bool* failed) {
    // Value names may be up to 16,383 characters long.
    char name[16384];
    std::uint32_t deleted = 0;
    std::uint32_t index = 0;
    // Every step either moves on or deletes one value, so this many steps see them all.
    for (std::uint32_t steps = 0; steps < 2 * values + 2; ++steps) {
        std::uint32_t size = sizeof(name);
        if (!registry.ValueNameAt(key, index, name, &size)) {
            break;
        }
        if (IsAliasValueName(name, count)) {
            ++index;
        } else if (registry.DeleteValue(key, name)) {
            ++deleted;  // the next value has moved down to `index`
        } else {
            *failed = true;
            ++index;
        }
    }
    return deleted;
}

// After the aliases were written over the old values: removes the values of aliases past
// the new end and anything else the key holds, so that it keeps exactly four values per
// alias. "A<count>" goes first: once it is gone no load reads past the new end, and a save
// that stops after that leaves only values that nothing reads.
//
// When a name could not be written, the old values stay: those further on may be the only
// copy of aliases that are still in the list.
//
// True when no registry call failed here.
bool RemoveOtherAliasValues(Registry& registry, RegKey key, const AliasesWritten& written) {
    if (!written.names) {
        return true;  // nothing tried
    }
    const std::uint32_t expected = 4u * static_cast<std::uint32_t>(written.count);
    std::uint32_t values = 0;
    if (!registry.ValueCount(key, &values)) {
        return false;
    }
    if (written.fields && values == expected) {
        return true;  // nothing else there
    }
    char end[16];
    ValueName(end, 'A', written.count);
    bool failed = !registry.DeleteValue(key, end);
    char name[kStoredNameBuffer];
    if (failed && ReadText(registry, key, end, name, kNameBuffer, sizeof(name))) {
        return false;  // the old alias there still loads: keep its fields with it
    }
    for (int walk = 0; walk < 3; ++walk) {
        if (DeleteOtherValues(registry, key, written.count, values, &failed) == 0) {
            break;
        }
        if (!registry.ValueCount(key, &values)) {
            return false;
        }
        if (values <= expected) {
            break;
        }
    }
    return !failed;
}

// True when every slot was written.
bool SaveHistory(Registry& registry, RegKey key, const CommandHistory& history) {
    bool saved = true;
    for (int slot = 0; slot < kHistorySlots; ++slot) {
        char valueName[16];
        ValueName(valueName, '\0', slot);
        saved &=
            WriteText(registry, key, valueName, history.Slots[slot], sizeof(history.Slots[slot]));
    }
    return saved;
}

// Writes the Run value while `Startup` is set and deletes it otherwise. True when that
// worked (a value that is already absent counts as deleted).
bool SaveRunValue(Registry& registry, RegKey key, const Settings& settings) {
    if (settings.Startup == 0) {
        return registry.DeleteValue(key, kRunValueName);
    }
    char runText[kLongTextBuffer] = "\"";
    AppendText(runText, settings.InstallPath, sizeof(runText));
    AppendText(runText, kProgramFile, sizeof(runText));
    AppendText(runText, "\"", sizeof(runText));
    return registry.WriteValue(key, kRunValueName, RegType::String, runText,
                               static_cast<std::uint32_t>(std::strlen(runText) + 1));
}

}  // namespace

void ResetState(AppState& state, const char* windowsDirectory) {
    std::memset(&state.settings, 0, sizeof(state.settings));
    EmptyHistory(state.history);
    ClearPicks(state.picks);
    ReleaseAliasList(state.aliases);
    state.firstRun = false;

    Settings& settings = state.settings;
    settings.Hide = 0;
    settings.Startup = 1;
    settings.AfterCommand = kAfterHide;
    settings.HotKey = 0;
    settings.LocX = 300;
    settings.LocY = 200;
    settings.InstallPath[0] = '\0';
    // The drive of the Windows directory; drive C when it is not known.
    const char drive =
        (windowsDirectory != nullptr && windowsDirectory[0] != '\0') ? windowsDirectory[0] : 'C';
    settings.StartPath[0] = drive;
    settings.StartPath[1] = ':';
    settings.StartPath[2] = '\\';
    settings.StartPath[3] = '\0';
}

bool LoadState(Registry& registry, AppState& state, const char* exeFolder) {
    Settings& settings = state.settings;
    RegKey key = nullptr;

    // The install folder: written by the installation, only ever read here.
    bool haveInstallPath = false;
    if (registry.OpenKey(RegRoot::LocalMachine, kMainKeyPath, RegAccess::Read, &key)) {
        haveInstallPath =
            ReadText(registry, key, "Path", settings.InstallPath, sizeof(settings.InstallPath));
        registry.CloseKey(key);
    }
    if (!haveInstallPath) {
        CopyText(settings.InstallPath, exeFolder != nullptr ? exeFolder : "",
                 sizeof(settings.InstallPath));
    }

    if (!registry.OpenKey(RegRoot::CurrentUser, kMainKeyPath, RegAccess::All, &key)) {
        return false;
    }
    LoadSettings(registry, key, settings);
    registry.CloseKey(key);

    if (!registry.OpenKey(RegRoot::CurrentUser, kAliasKeyPath, RegAccess::All, &key)) {
        return false;
    }
    LoadAliases(registry, key, state.aliases);
    registry.CloseKey(key);

    if (!registry.OpenKey(RegRoot::CurrentUser, kHistoryKeyPath, RegAccess::All, &key)) {
        return false;
    }
    LoadHistory(registry, key, state.history);
    registry.CloseKey(key);

    // Missing in the registry of an earlier version: no picks, and no first start either.
    if (registry.OpenKey(RegRoot::CurrentUser, kPicksKeyPath, RegAccess::All, &key)) {
        LoadPicks(registry, key, state.picks);
        registry.CloseKey(key);
    }
    return true;
}

bool SaveState(Registry& registry, const AppState& state) {
    RegKey key = nullptr;
    if (!registry.CreateKey(RegRoot::CurrentUser, kMainKeyPath, &key)) {
        return false;
    }
    // From here on a failed call is remembered and the save goes on, so that it still
    // stores all it can.
    bool saved = SaveSettings(registry, key, state.settings);
    registry.CloseKey(key);

    // The alias key is never deleted: the aliases are written over the old values, and
    // only then is what lies beyond them removed, so that a save that fails or stops part
    // of the way still leaves every alias loadable.
    if (registry.CreateKey(RegRoot::CurrentUser, kAliasKeyPath, &key)) {
        const AliasesWritten written = SaveAliases(registry, key, state.aliases);
        saved &= written.names && written.fields;
        saved &= RemoveOtherAliasValues(registry, key, written);
        registry.CloseKey(key);
    } else {
        saved = false;
    }

    if (registry.CreateKey(RegRoot::CurrentUser, kHistoryKeyPath, &key)) {
        saved &= SaveHistory(registry, key, state.history);
        registry.CloseKey(key);
    } else {
        saved = false;
    }

    if (registry.CreateKey(RegRoot::CurrentUser, kPicksKeyPath, &key)) {
        saved &= SavePicks(registry, key, state.picks);
        registry.CloseKey(key);
    } else {
        saved = false;
    }

    if (registry.CreateKey(RegRoot::CurrentUser, kRunKeyPath, &key)) {
        saved &= SaveRunValue(registry, key, state.settings);
        registry.CloseKey(key);
    } else {
        saved = false;
    }
    return saved;
}

void ResetAndLoad(Registry& registry, AppState& state, const char* windowsDirectory,
                  const char* exeFolder) {
    ResetState(state, windowsDirectory);
    const bool loaded = LoadState(registry, state, exeFolder);
    if (!loaded) {
        char helpCommand[kLongTextBuffer] = "";
        AppendText(helpCommand, state.settings.InstallPath, sizeof(helpCommand));
        AppendText(helpCommand, kHelpFile, sizeof(helpCommand));
        // Names already loaded are kept; the defaults are then left out.
        AddAlias(state.aliases, "corvath software", kMakerAddress, state.settings.StartPath,
                 kStateNormal);
        AddAlias(state.aliases, "help", helpCommand, state.settings.StartPath, kStateNormal);
    }
    state.firstRun = !loaded;
}

unsigned HotKeyModifiers(std::uint8_t flags) {
    constexpr unsigned kModAlt = 0x0001;
    constexpr unsigned kModControl = 0x0002;
    constexpr unsigned kModShift = 0x0004;
    unsigned modifiers = 0;
    if ((flags & kHotKeyShift) != 0) {
        modifiers |= kModShift;
    }
    if ((flags & kHotKeyControl) != 0) {
        modifiers |= kModControl;
    }
    if ((flags & kHotKeyAlt) != 0) {
        modifiers |= kModAlt;
    }
    return modifiers;
}
