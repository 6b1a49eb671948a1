#include "programs/program_index.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <new>

namespace {

// A growing array of plain values on the C heap: the program links no exception machinery,
// so no container of the standard library. A failed growth leaves it as it was.
template <typename T>
struct Growing {
    T* items = nullptr;
    std::size_t count = 0;
    std::size_t capacity = 0;

    bool Reserve(std::size_t wanted) {
        if (wanted <= capacity) {
            return true;
        }
        std::size_t grown = capacity == 0 ? 16 : capacity;
        while (grown < wanted) {
            grown *= 2;
        }
        T* moved = static_cast<T*>(std::realloc(items, grown * sizeof(T)));
        if (moved == nullptr) {
            return false;
        }
        items = moved;
        capacity = grown;
        return true;
    }
    bool Push(const T& item) {
        if (!Reserve(count + 1)) {
            return false;
        }
        items[count++] = item;
        return true;
    }
    // Gives back what is not used, once nothing more is added.
    void Fit() {
        if (count > 0 && count < capacity) {
            T* fitted = static_cast<T*>(std::realloc(items, count * sizeof(T)));
            if (fitted != nullptr) {
                items = fitted;
                capacity = count;
            }
        }
    }
    void Free() {
        std::free(items);
        *this = Growing();
    }
};

// Texts one after another, each terminated, found by their offset. Offset 0 is "".
struct TextPool {
    Growing<char> bytes;

    // The offset of a copy of the first `length` bytes of `text`, or 0 without memory (the
    // caller tells that apart through `failed`).
    std::uint32_t Add(const char* text, std::size_t length, bool* failed) {
        if (bytes.count == 0 && !bytes.Push('\0')) {
            *failed = true;
            return 0;
        }
        const std::size_t at = bytes.count;
        if (!bytes.Reserve(at + length + 1)) {
            *failed = true;
            return 0;
        }
        std::memcpy(bytes.items + at, text, length);
        bytes.items[at + length] = '\0';
        bytes.count += length + 1;
        return static_cast<std::uint32_t>(at);
    }
    const char* At(std::uint32_t offset) const { return offset == 0 ? "" : bytes.items + offset; }
};

// One program. Shortcuts keep their folder's path once for all the folder's programs.
struct ProgramRecord {
    std::uint32_t name;
    std::uint32_t target;  // shortcut: its file name; App Paths: the program; Store: the AUMID
    std::uint32_t folder;  // shortcut: its folder's path; App Paths: its start folder
    std::uint32_t hash;    // of the name, without regard to letter case
    ProgramSource source;
    bool uninstaller;
};

bool IsShortcutSource(ProgramSource source) {
    return source == ProgramSource::kUserShortcut || source == ProgramSource::kCommonShortcut;
}

std::uint32_t NameHash(const char* name) {
    // A name of at most 260 bytes has a far shorter sort key. A name without a key gets the
    // hash 0 and is compared in full like every other name whose hash matches.
    unsigned char key[4096];
    const std::size_t length = NoCaseKey(name, key, sizeof(key));
    std::uint32_t hash = 2166136261u;  // FNV-1a
    for (std::size_t i = 0; i < length; ++i) {
        hash = (hash ^ key[i]) * 16777619u;
    }
    return length == 0 ? 0 : hash;
}

bool EqualAsciiNoCase(const char* a, std::size_t length, const char* b) {
    for (std::size_t i = 0; i < length; ++i, ++b) {
        char c = a[i];
        char d = *b;
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        d = (d >= 'A' && d <= 'Z') ? static_cast<char>(d - 'A' + 'a') : d;
        if (c != d || d == '\0') {
            return false;
        }
    }
    return *b == '\0';
}

// The length of `text` without `ending` (compared without regard to ASCII letter case), or
// its whole length when it does not end so.
std::size_t WithoutEnding(const char* text, std::size_t length, const char* ending) {
    const std::size_t n = std::strlen(ending);
    return length >= n && EqualAsciiNoCase(text + length - n, n, ending) ? length - n : length;
}

// The length of a shortcut's file name without its ending, or 0 when it is no shortcut.
std::size_t ShortcutNameLength(const char* file, std::size_t length) {
    for (const char* ending : {".lnk", ".url", ".appref-ms"}) {
        const std::size_t stem = WithoutEnding(file, length, ending);
        if (stem != length) {
            return stem;
        }
    }
    return 0;
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t';
}

// `text` (length bytes) without the spaces around it and a pair of double quotes around that.
void TrimAndUnquote(const char** text, std::size_t* length) {
    const char* p = *text;
    std::size_t n = *length;
    while (n > 0 && IsSpace(*p)) {
        ++p;
        --n;
    }
    while (n > 0 && IsSpace(p[n - 1])) {
        --n;
    }
    if (n >= 2 && p[0] == '"' && p[n - 1] == '"') {
        ++p;
        n -= 2;
    }
    *text = p;
    *length = n;
}

// True for "PackageFamilyName!AppId": a package name, '_', the publisher's 13-character id,
// '!', an application id. Desktop programs in the Applications folder have other names.
bool IsStoreAppId(const char* id) {
    const char* bang = std::strchr(id, '!');
    if (bang == nullptr || bang[1] == '\0' || std::strpbrk(bang + 1, "!\\/ ") != nullptr) {
        return false;
    }
    const char* underscore = nullptr;
    for (const char* p = id; p < bang; ++p) {
        if (*p == '\\' || *p == '/' || *p == ' ' || *p == ':') {
            return false;
        }
        if (*p == '_') {
            underscore = p;
        }
    }
    if (underscore == nullptr || underscore == id || bang - underscore != 14) {
        return false;
    }
    for (const char* p = underscore + 1; p < bang; ++p) {
        if (!((*p >= '0' && *p <= '9') || (*p >= 'a' && *p <= 'z'))) {
            return false;
        }
    }
    return true;
}

constexpr char kAppsFolderPrefix[] = "shell:AppsFolder\\";
constexpr int kMaxLocalizedNames = 64;         // per desktop.ini
constexpr std::size_t kMaxDesktopIni = 65536;  // bytes read of it
constexpr std::size_t kMaxFolders = 16384;     // walked per Start menu

}  // namespace

class ProgramIndex {
  public:
    Growing<ProgramRecord> records;
    TextPool texts;
    Growing<std::int32_t> slots;  // by hash, the record's number; -1 free; a power of two

    const ProgramRecord* Record(int program) const {
        return program >= 0 && static_cast<std::size_t>(program) < records.count
                   ? &records.items[program]
                   : nullptr;
    }

    int Find(const char* name, std::uint32_t hash) const {
        if (slots.count == 0) {
            return -1;
        }
        const std::size_t mask = slots.count - 1;
        for (std::size_t at = hash & mask; slots.items[at] >= 0; at = (at + 1) & mask) {
            const ProgramRecord& record = records.items[slots.items[at]];
            if (record.hash == hash && TextEqualNoCase(texts.At(record.name), name)) {
                return slots.items[at];
            }
        }
        return -1;
    }

    // Enters record `program` into the slots, which it doubles to stay at most half full.
    bool Enter(std::int32_t program) {
        if (2 * records.count > slots.count) {
            Growing<std::int32_t> grown;
            const std::size_t size = slots.count == 0 ? 64 : 2 * slots.count;
            if (!grown.Reserve(size)) {
                return false;
            }
            grown.count = size;
            for (std::size_t i = 0; i < size; ++i) {
                grown.items[i] = -1;
            }
            slots.Free();
            slots = grown;
            for (std::int32_t i = 0; i < program; ++i) {
                Place(i);
            }
        }
        Place(program);
        return true;
    }

  private:
    void Place(std::int32_t program) {
        const std::size_t mask = slots.count - 1;
        std::size_t at = records.items[program].hash & mask;
        while (slots.items[at] >= 0) {
            at = (at + 1) & mask;
        }
        slots.items[at] = program;
    }
};

namespace {

// One index being built: what every source adds to.
class Builder {
  public:
    explicit Builder(ProgramIndex* index) : index_(index) {}

    bool Full() const { return failed_ || index_->records.count >= kMaxPrograms; }
    bool Failed() const { return failed_; }

    // Adds a program unless one of an equal name is there. `folder` is a pool offset (a
    // shortcut's folder) or 0; `startFolder` a text for App Paths, or null.
    void Add(const char* name, std::size_t nameLength, ProgramSource source, const char* target,
             std::size_t targetLength, std::uint32_t folder, const char* startFolder,
             std::size_t startFolderLength) {
        if (Full() || nameLength == 0 || nameLength > kTextChars) {
            return;
        }
        char shown[kTextBuffer];
        std::memcpy(shown, name, nameLength);
        shown[nameLength] = '\0';
        ProgramRecord record;
        record.hash = NameHash(shown);
        if (index_->Find(shown, record.hash) >= 0) {
            return;
        }
        record.name = index_->texts.Add(shown, nameLength, &failed_);
        record.target = index_->texts.Add(target, targetLength, &failed_);
        record.folder = startFolder != nullptr && startFolderLength > 0
                            ? index_->texts.Add(startFolder, startFolderLength, &failed_)
                            : folder;
        record.source = source;
        record.uninstaller = TextStartsWithNoCase(shown, "Uninstall");
        const std::int32_t number = static_cast<std::int32_t>(index_->records.count);
        failed_ = failed_ || !index_->records.Push(record) || !index_->Enter(number);
    }

    // The pool offset of a folder's path, added on the first call for that folder.
    std::uint32_t FolderOffset(const char* path, std::uint32_t* offset) {
        if (*offset == 0) {
            *offset = index_->texts.Add(path, std::strlen(path), &failed_);
        }
        return *offset;
    }

  private:
    ProgramIndex* index_;
    bool failed_ = false;
};

// One Start menu, folder by folder: each folder's shortcuts, then the folders it holds.
class StartMenuWalk final : public FolderVisitor {
  public:
    StartMenuWalk(ProgramSystem& system, const ProgramRoots& roots, Builder& builder)
        : system_(system), roots_(roots), builder_(builder) {}
    ~StartMenuWalk() {
        folders_.Free();
        paths_.bytes.Free();
        files_.Free();
        fileNames_.bytes.Free();
        std::free(desktopIni_);
        std::free(localized_);
    }
    StartMenuWalk(const StartMenuWalk&) = delete;
    StartMenuWalk& operator=(const StartMenuWalk&) = delete;

    bool Walk(const char* root, ProgramSource source);
    bool Visit(const FolderEntry& entry) override;

  private:
    struct Folder {
        std::uint32_t path;  // in paths_
        std::int32_t parent;
        bool reparsePoint;
        std::uint8_t identified;  // 0 not yet asked, 1 known, 2 cannot be told
        FolderIdentity identity;
    };

    bool Identify(Folder& folder);
    bool LeadsBackUp(std::int32_t number);
    void AddShortcuts(ProgramSource source);
    int ReadDesktopIni();
    bool FindLocalizedName(int count, const char* file, char* name);

    ProgramSystem& system_;
    const ProgramRoots& roots_;
    Builder& builder_;
    Growing<Folder> folders_;
    TextPool paths_;
    // The folder being listed, and what its listing found.
    std::int32_t current_ = 0;
    char currentPath_[kTextBuffer] = "";  // a copy: the path pool grows while it is listed
    std::size_t currentLength_ = 0;
    bool hasDesktopIni_ = false;
    Growing<std::uint32_t> files_;  // the shortcuts' file names, in fileNames_
    TextPool fileNames_;
    bool failed_ = false;
    unsigned char* desktopIni_ = nullptr;
    LocalizedName* localized_ = nullptr;
};

bool StartMenuWalk::Walk(const char* root, ProgramSource source) {
    const std::size_t rootLength = std::strlen(root);
    if (rootLength == 0 || rootLength > kTextChars) {
        return true;
    }
    folders_.count = 0;
    paths_.bytes.count = 0;
    failed_ =
        failed_ || !folders_.Push(Folder{paths_.Add(root, rootLength, &failed_), -1, false, 0, {}});
    // The folders form a queue in the order found; the parents stay behind for the loop test.
    for (std::size_t next = 0; next < folders_.count && !failed_; ++next) {
        if (builder_.Full() || system_.Cancelled()) {
            break;
        }
        current_ = static_cast<std::int32_t>(next);
        if (folders_.items[next].reparsePoint && LeadsBackUp(current_)) {
            continue;
        }
        CopyText(currentPath_, paths_.At(folders_.items[next].path), sizeof(currentPath_));
        currentLength_ = std::strlen(currentPath_);
        hasDesktopIni_ = false;
        files_.count = 0;
        fileNames_.bytes.count = 0;
        system_.ListFolder(currentPath_, *this);
        AddShortcuts(source);
    }
    return !failed_;
}

bool StartMenuWalk::Visit(const FolderEntry& entry) {
    const std::size_t length = std::strlen(entry.name);
    const bool isFolder = (entry.attributes & kEntryFolder) != 0;
    if (length == 0 || TextEqual(entry.name, ".") || TextEqual(entry.name, "..")) {
        return true;
    }
    if (!isFolder && EqualAsciiNoCase(entry.name, length, "desktop.ini")) {
        hasDesktopIni_ = true;
    }
    if ((entry.attributes & (kEntryHidden | kEntrySystem)) != 0 ||
        currentLength_ + 1 + length > kTextChars) {
        return true;
    }
    char path[kTextBuffer];
    std::memcpy(path, currentPath_, currentLength_);
    path[currentLength_] = '\\';
    std::memcpy(path + currentLength_ + 1, entry.name, length + 1);
    if (isFolder) {
        if (TextEqualNoCase(path, roots_.userStartup) ||
            TextEqualNoCase(path, roots_.commonStartup) || folders_.count >= kMaxFolders) {
            return true;
        }
        const std::uint32_t offset = paths_.Add(path, currentLength_ + 1 + length, &failed_);
        failed_ =
            failed_ || !folders_.Push(Folder{
                           offset, current_, (entry.attributes & kEntryReparsePoint) != 0, 0, {}});
    } else if (ShortcutNameLength(entry.name, length) > 0 && files_.count < kMaxPrograms) {
        failed_ = failed_ || !files_.Push(fileNames_.Add(entry.name, length, &failed_));
    }
    return !failed_ && !system_.Cancelled();
}

bool StartMenuWalk::Identify(Folder& folder) {
    if (folder.identified == 0) {
        folder.identified =
            system_.IdentifyFolder(paths_.At(folder.path), &folder.identity) ? 1 : 2;
    }
    return folder.identified == 1;
}

// True when the reparse point `number` leads to one of the folders above it, or cannot be
// told apart from them.
bool StartMenuWalk::LeadsBackUp(std::int32_t number) {
    if (!Identify(folders_.items[number])) {
        return true;
    }
    const FolderIdentity self = folders_.items[number].identity;
    for (std::int32_t up = folders_.items[number].parent; up >= 0; up = folders_.items[up].parent) {
        Folder& above = folders_.items[up];
        if (Identify(above) && above.identity.file == self.file &&
            above.identity.volume == self.volume) {
            return true;
        }
    }
    return false;
}

int StartMenuWalk::ReadDesktopIni() {
    if (desktopIni_ == nullptr) {
        desktopIni_ = static_cast<unsigned char*>(std::malloc(kMaxDesktopIni));
        localized_ =
            static_cast<LocalizedName*>(std::malloc(kMaxLocalizedNames * sizeof(LocalizedName)));
        if (desktopIni_ == nullptr || localized_ == nullptr) {
            return 0;  // the file names are shown
        }
    }
    if (currentLength_ + sizeof("\\desktop.ini") > kTextBuffer) {
        return 0;
    }
    char path[kTextBuffer];
    std::memcpy(path, currentPath_, currentLength_);
    std::memcpy(path + currentLength_, "\\desktop.ini", sizeof("\\desktop.ini"));
    const std::size_t size = system_.ReadFile(path, desktopIni_, kMaxDesktopIni);
    const int count = ReadLocalizedNames(desktopIni_, size, localized_, kMaxLocalizedNames);
    // The file names in the program's code page, to compare with the folder's; one that has
    // no form there matches none.
    for (int i = 0; i < count; ++i) {
        char file[kTextBuffer];
        const bool converted = system_.TextFromUtf8(localized_[i].file, file, sizeof(file));
        CopyText(localized_[i].file, converted ? file : "", kTextBuffer);
    }
    return count;
}

// The name that desktop.ini gives `file`, into `name` (kTextBuffer bytes). False when it
// gives none that can be shown.
bool StartMenuWalk::FindLocalizedName(int count, const char* file, char* name) {
    for (int i = 0; i < count; ++i) {
        if (localized_[i].file[0] == '\0' || !TextEqualNoCase(localized_[i].file, file)) {
            continue;
        }
        const char* given = localized_[i].name;
        if (given[0] == '@') {
            char reference[kTextBuffer];
            return system_.TextFromUtf8(given, reference, sizeof(reference)) &&
                   system_.LoadIndirectString(reference, name, kTextBuffer) && name[0] != '\0';
        }
        return given[0] != '\0' && system_.TextFromUtf8(given, name, kTextBuffer);
    }
    return false;
}

void StartMenuWalk::AddShortcuts(ProgramSource source) {
    const int localized = hasDesktopIni_ && files_.count > 0 ? ReadDesktopIni() : 0;
    std::uint32_t folderOffset = 0;
    for (std::size_t i = 0; i < files_.count && !builder_.Full(); ++i) {
        const char* file = fileNames_.At(files_.items[i]);
        const std::size_t length = std::strlen(file);
        char name[kTextBuffer];
        const char* shown = name;
        std::size_t shownLength = 0;
        if (localized > 0 && FindLocalizedName(localized, file, name)) {
            shownLength = std::strlen(name);
        } else {
            shown = file;
            shownLength = ShortcutNameLength(file, length);
        }
        builder_.Add(shown, shownLength, source, file, length,
                     builder_.FolderOffset(currentPath_, &folderOffset), nullptr, 0);
    }
}

class AppPathsReader final : public AppPathVisitor {
  public:
    AppPathsReader(ProgramSystem& system, Builder& builder, ProgramSource source)
        : system_(system), builder_(builder), source_(source) {}

    bool Visit(const AppPathKey& key) override {
        if (key.program.kind != RegTextKind::kText) {
            return !builder_.Full() && !system_.Cancelled();
        }
        const char* program = key.program.text;
        std::size_t programLength = std::strlen(program);
        TrimAndUnquote(&program, &programLength);
        const char* folder = "";
        std::size_t folderLength = 0;
        if (key.folder.kind == RegTextKind::kText) {
            folder = key.folder.text;
            folderLength = std::strlen(folder);
            TrimAndUnquote(&folder, &folderLength);
        }
        const std::size_t length = std::strlen(key.name);
        if (programLength > 0) {
            builder_.Add(key.name, WithoutEnding(key.name, length, ".exe"), source_, program,
                         programLength, 0, folder, folderLength);
        }
        return !builder_.Full() && !system_.Cancelled();
    }

  private:
    ProgramSystem& system_;
    Builder& builder_;
    ProgramSource source_;
};

class StoreAppsReader final : public StoreAppVisitor {
  public:
    StoreAppsReader(ProgramSystem& system, Builder& builder) : system_(system), builder_(builder) {}

    bool Visit(const StoreAppItem& item) override {
        const std::size_t length = std::strlen(item.parsingName);
        if (IsStoreAppId(item.parsingName) &&
            sizeof(kAppsFolderPrefix) - 1 + length <= kTextChars) {
            builder_.Add(item.displayName, std::strlen(item.displayName), ProgramSource::kStoreApp,
                         item.parsingName, length, 0, nullptr, 0);
        }
        return !builder_.Full() && !system_.Cancelled();
    }

  private:
    ProgramSystem& system_;
    Builder& builder_;
};

}  // namespace

ProgramIndex* BuildProgramIndex(ProgramSystem& system, const ProgramRoots& roots) {
    void* memory = std::malloc(sizeof(ProgramIndex));
    if (memory == nullptr) {
        return nullptr;
    }
    ProgramIndex* index = new (memory) ProgramIndex();
    Builder builder(index);
    {
        StartMenuWalk walk(system, roots, builder);
        if (!walk.Walk(roots.userPrograms, ProgramSource::kUserShortcut) ||
            !walk.Walk(roots.commonPrograms, ProgramSource::kCommonShortcut)) {
            FreeProgramIndex(index);
            return nullptr;
        }
    }
    AppPathsReader user(system, builder, ProgramSource::kUserAppPath);
    AppPathsReader machine(system, builder, ProgramSource::kMachineAppPath);
    StoreAppsReader store(system, builder);
    if (!builder.Full() && !system.Cancelled()) {
        system.ListAppPaths(false, user);
    }
    if (!builder.Full() && !system.Cancelled()) {
        system.ListAppPaths(true, machine);
    }
    if (!builder.Full() && !system.Cancelled()) {
        system.ListStoreApps(store);
    }
    if (builder.Failed() || system.Cancelled()) {
        FreeProgramIndex(index);
        return nullptr;
    }
    index->records.Fit();
    index->texts.bytes.Fit();
    return index;
}

void FreeProgramIndex(ProgramIndex* index) {
    if (index != nullptr) {
        index->records.Free();
        index->texts.bytes.Free();
        index->slots.Free();
        index->~ProgramIndex();
        std::free(index);
    }
}

int ProgramCount(const ProgramIndex* index) {
    return index == nullptr ? 0 : static_cast<int>(index->records.count);
}

const char* ProgramName(const ProgramIndex* index, int program) {
    const ProgramRecord* record = index == nullptr ? nullptr : index->Record(program);
    return record == nullptr ? "" : index->texts.At(record->name);
}

ProgramSource ProgramSourceOf(const ProgramIndex* index, int program) {
    const ProgramRecord* record = index == nullptr ? nullptr : index->Record(program);
    return record == nullptr ? ProgramSource::kUserShortcut : record->source;
}

bool ProgramIsUninstaller(const ProgramIndex* index, int program) {
    const ProgramRecord* record = index == nullptr ? nullptr : index->Record(program);
    return record != nullptr && record->uninstaller;
}

void ProgramTarget(const ProgramIndex* index, int program, char* text, std::size_t capacity) {
    const ProgramRecord* record = index == nullptr ? nullptr : index->Record(program);
    if (capacity == 0) {
        return;
    }
    text[0] = '\0';
    if (record == nullptr) {
        return;
    }
    const char* target = index->texts.At(record->target);
    if (!IsShortcutSource(record->source)) {
        CopyText(text, target, capacity);
        return;
    }
    // The walk kept only paths of at most 260 bytes.
    const char* folder = index->texts.At(record->folder);
    const std::size_t folderLength = std::strlen(folder);
    const std::size_t fileLength = std::strlen(target);
    if (folderLength + 1 + fileLength < capacity) {
        std::memcpy(text, folder, folderLength);
        text[folderLength] = '\\';
        std::memcpy(text + folderLength + 1, target, fileLength + 1);
    }
}

const char* ProgramStartFolder(const ProgramIndex* index, int program) {
    const ProgramRecord* record = index == nullptr ? nullptr : index->Record(program);
    return record == nullptr || IsShortcutSource(record->source) ? ""
                                                                 : index->texts.At(record->folder);
}

bool ProgramIconPath(const ProgramIndex* index, int program, char* path, std::size_t capacity) {
    ProgramTarget(index, program, path, capacity);
    if (ProgramSourceOf(index, program) == ProgramSource::kStoreApp && capacity > 0) {
        path[0] = '\0';
    }
    return capacity > 0 && path[0] != '\0';
}

int FindProgram(const ProgramIndex* index, const char* name) {
    return index == nullptr ? -1 : index->Find(name, NameHash(name));
}

namespace {

enum class IniEncoding { kUtf16, kUtf8, kLegacy };

constexpr std::size_t kMaxIniLine = 1024;  // bytes of a line; longer lines are passed over

// Appends code point `c` to `line` as UTF-8; false when it does not fit.
bool AppendUtf8(std::uint32_t c, char* line, std::size_t* length) {
    char bytes[4];
    std::size_t n = 0;
    if (c < 0x80) {
        bytes[n++] = static_cast<char>(c);
    } else if (c < 0x800) {
        bytes[n++] = static_cast<char>(0xC0 | c >> 6);
        bytes[n++] = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        bytes[n++] = static_cast<char>(0xE0 | c >> 12);
        bytes[n++] = static_cast<char>(0x80 | (c >> 6 & 0x3F));
        bytes[n++] = static_cast<char>(0x80 | (c & 0x3F));
    } else {
        bytes[n++] = static_cast<char>(0xF0 | c >> 18);
        bytes[n++] = static_cast<char>(0x80 | (c >> 12 & 0x3F));
        bytes[n++] = static_cast<char>(0x80 | (c >> 6 & 0x3F));
        bytes[n++] = static_cast<char>(0x80 | (c & 0x3F));
    }
    if (*length + n > kMaxIniLine) {
        return false;
    }
    std::memcpy(line + *length, bytes, n);
    *length += n;
    return true;
}

// The next line from `*at` on, without its line break, into `line` (kMaxIniLine bytes): as
// UTF-8 for UTF-16 text, byte for byte otherwise. Its length, or kMaxIniLine + 1 for a line
// too long to be read. False at the end.
bool NextIniLine(const unsigned char* bytes, std::size_t size, std::size_t* at,
                 IniEncoding encoding, char* line, std::size_t* length) {
    const std::size_t unit = encoding == IniEncoding::kUtf16 ? 2 : 1;
    if (*at + unit > size) {
        return false;
    }
    std::size_t n = 0;
    bool fits = true;
    while (*at + unit <= size) {
        std::uint32_t c = bytes[*at];
        if (unit == 2) {
            c |= static_cast<std::uint32_t>(bytes[*at + 1]) << 8;
        }
        *at += unit;
        if (c == '\r' || c == '\n') {
            break;
        }
        if (unit == 1) {
            fits = fits && n < kMaxIniLine;
            if (fits) {
                line[n++] = static_cast<char>(c);
            }
            continue;
        }
        // A surrogate pair is one character; a lone surrogate stands for U+FFFD.
        if (c >= 0xD800 && c <= 0xDBFF && *at + 2 <= size) {
            const std::uint32_t low = bytes[*at] | static_cast<std::uint32_t>(bytes[*at + 1]) << 8;
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                *at += 2;
            }
        }
        if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        fits = fits && AppendUtf8(c, line, &n);
    }
    *length = fits ? n : kMaxIniLine + 1;
    return true;
}

// `text` (length bytes, in `encoding`) as UTF-8 into `target` (kTextBuffer bytes). False when
// longer than 260 bytes.
bool IniTextToUtf8(const char* text, std::size_t length, IniEncoding encoding, char* target) {
    if (length > kTextChars) {
        return false;
    }
    if (encoding == IniEncoding::kLegacy) {
        char converted[kTextBuffer + kMaxCharBytes];
        const std::size_t n = LegacyToUtf8(text, length, converted, sizeof(converted));
        if (n > kTextChars) {
            return false;
        }
        std::memcpy(target, converted, n + 1);
        return true;
    }
    std::memcpy(target, text, length);
    target[length] = '\0';
    return true;
}

}  // namespace

int ReadLocalizedNames(const void* data, std::size_t size, LocalizedName* names, int capacity) {
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    std::size_t at = 0;
    IniEncoding encoding = IniEncoding::kLegacy;
    if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        encoding = IniEncoding::kUtf16;
        at = 2;
    } else if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        encoding = IniEncoding::kUtf8;
        at = 3;
    } else if (IsUtf8(reinterpret_cast<const char*>(bytes), size)) {
        encoding = IniEncoding::kUtf8;
    }
    int count = 0;
    bool inSection = false;
    char line[kMaxIniLine];
    std::size_t length = 0;
    while (count < capacity && NextIniLine(bytes, size, &at, encoding, line, &length)) {
        const char* text = line;
        if (length > kMaxIniLine) {
            continue;
        }
        while (length > 0 && IsSpace(*text)) {
            ++text;
            --length;
        }
        if (length == 0 || *text == ';') {
            continue;
        }
        if (*text == '[') {
            const char* end = static_cast<const char*>(std::memchr(text, ']', length));
            const char* name = text + 1;
            std::size_t nameLength = end == nullptr ? 0 : static_cast<std::size_t>(end - name);
            TrimAndUnquote(&name, &nameLength);
            inSection = EqualAsciiNoCase(name, nameLength, "localizedfilenames");
            continue;
        }
        const char* equals = static_cast<const char*>(std::memchr(text, '=', length));
        if (!inSection || equals == nullptr) {
            continue;
        }
        const char* file = text;
        std::size_t fileLength = static_cast<std::size_t>(equals - text);
        const char* name = equals + 1;
        std::size_t nameLength = length - fileLength - 1;
        TrimAndUnquote(&file, &fileLength);
        TrimAndUnquote(&name, &nameLength);
        if (fileLength == 0 || !IniTextToUtf8(file, fileLength, encoding, names[count].file)) {
            continue;
        }
        if (!IniTextToUtf8(name, nameLength, encoding, names[count].name)) {
            names[count].name[0] = '\0';
        }
        ++count;
    }
    return count;
}
