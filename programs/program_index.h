// The installed programs that the command box can start by name: the shortcuts of the Start
// menu (the user's and all users'), the App Paths entries of the registry (the names the Run
// box accepts) and the Store apps, each under the name that Start shows. The index is built
// from what a ProgramSystem reads (the real system on Windows, a fake in the tests), names
// only: no shortcut is opened. Once built it does not change; a change of the Start menu
// makes a new one. Portable: no Windows headers.
#pragma once

#include <cstddef>
#include <cstdint>

#include "state/text.h"

// Where a program was found, in the order in which the sources are read. Of two programs
// whose names are equal without regard to letter case, the one read first is kept.
enum class ProgramSource : std::uint8_t {
    kUserShortcut,    // the user's Start-menu programs folder
    kCommonShortcut,  // all users' Start-menu programs folder
    kUserAppPath,     // App Paths of HKEY_CURRENT_USER
    kMachineAppPath,  // App Paths of HKEY_LOCAL_MACHINE
    kStoreApp,        // the shell's Applications folder
};

// At most this many programs are kept: the first found.
constexpr int kMaxPrograms = 4096;

// The attributes of a folder entry that the walk looks at (the values of FILE_ATTRIBUTE_...).
constexpr std::uint32_t kEntryHidden = 0x2;
constexpr std::uint32_t kEntrySystem = 0x4;
constexpr std::uint32_t kEntryFolder = 0x10;
constexpr std::uint32_t kEntryReparsePoint = 0x400;

struct FolderEntry {
    const char* name;  // the entry's name in its folder, in the program's code page
    std::uint32_t attributes;
};

// What a folder points to: equal for two paths that reach the same folder.
struct FolderIdentity {
    std::uint64_t file;
    std::uint32_t volume;
};

// A registry value as the index sees it: only a string that fits in 260 bytes is a text.
enum class RegTextKind : std::uint8_t { kMissing, kNotString, kTooLong, kText };
struct RegText {
    RegTextKind kind;
    const char* text;  // the string, its variables expanded, for kText; else null
};

// One subkey of App Paths: its name ("chrome.exe"), its default value (the program's path)
// and its Path value (the folder to start it in).
struct AppPathKey {
    const char* name;
    RegText program;
    RegText folder;
};

// One item of the shell's Applications folder.
struct StoreAppItem {
    const char* displayName;
    const char* parsingName;  // its name relative to the folder; for a Store app its AppUserModelID
};

// Visitors of the listings: each returns false to end the listing early.
class FolderVisitor {
  public:
    virtual bool Visit(const FolderEntry& entry) = 0;

  protected:
    ~FolderVisitor() = default;
};
class AppPathVisitor {
  public:
    virtual bool Visit(const AppPathKey& key) = 0;

  protected:
    ~AppPathVisitor() = default;
};
class StoreAppVisitor {
  public:
    virtual bool Visit(const StoreAppItem& item) = 0;

  protected:
    ~StoreAppVisitor() = default;
};

// What the index reads. All texts are in the program's code page.
class ProgramSystem {
  public:
    // Every entry of the folder at `path` (no '\' at its end) in the folder's own order, "."
    // and ".." perhaps among them. A folder that cannot be read lists nothing; one that goes
    // away while it is read ends early.
    virtual void ListFolder(const char* path, FolderVisitor& visitor) = 0;
    // The identity of the folder that `path` leads to, through any reparse point. False when
    // it cannot be told.
    virtual bool IdentifyFolder(const char* path, FolderIdentity* identity) = 0;
    // Reads at most `capacity` bytes of the file at `path`; returns how many (0 when none).
    virtual std::size_t ReadFile(const char* path, void* bytes, std::size_t capacity) = 0;
    // The text that an indirect string ("@file,-id") stands for, into `text` (capacity bytes,
    // terminated). False when it names nothing that can be loaded or does not fit.
    virtual bool LoadIndirectString(const char* reference, char* text, std::size_t capacity) = 0;
    // Converts UTF-8 into the program's code page. False when it does not fit or a character
    // has no form there.
    virtual bool TextFromUtf8(const char* utf8, char* text, std::size_t capacity) = 0;
    // The subkeys of App Paths of the user (`machine` false) or of the machine.
    virtual void ListAppPaths(bool machine, AppPathVisitor& visitor) = 0;
    // The items of the shell's Applications folder; nothing where there is none.
    virtual void ListStoreApps(StoreAppVisitor& visitor) = 0;
    // True once the index being built is no longer wanted: the build then stops.
    virtual bool Cancelled() = 0;

  protected:
    ~ProgramSystem() = default;
};

// The Start-menu folders to walk and the two Startup folders that are left out wherever they
// lie. Full paths without a '\' at their end; an empty one is not there.
struct ProgramRoots {
    const char* userPrograms;
    const char* commonPrograms;
    const char* userStartup;
    const char* commonStartup;
};

class ProgramIndex;

// Walks the user's Start menu, then all users', then reads App Paths of the user and of the
// machine, then the Store apps:
// - a shortcut is a file ending in ".lnk", ".url" or ".appref-ms" (any letter case), named by
//   its file name without that ending, or by the name that its folder's desktop.ini gives it
//   ([LocalizedFileNames]; an "@file,-id" reference through LoadIndirectString) when that
//   name is there, loads and fits in 260 bytes;
// - hidden and system files and folders, with all they hold, the Startup folders, files and
//   folders whose path would be longer than 260 bytes and reparse points that lead back to a
//   folder above them are passed over;
// - an App Paths subkey is named without ".exe"; one whose default value is missing, empty
//   or no string is passed over;
// - a Store app is an item whose parsing name has the form PackageFamilyName!AppId;
// - a name equal to an earlier one without regard to letter case is passed over, and after
//   kMaxPrograms programs the rest.
// Null when memory ran out or the system cancelled the build.
ProgramIndex* BuildProgramIndex(ProgramSystem& system, const ProgramRoots& roots);

void FreeProgramIndex(ProgramIndex* index);

// Reading an index; a null index holds no programs. `program` is from 0 to the count - 1,
// in the order in which they were found.
int ProgramCount(const ProgramIndex* index);
// The name shown for it.
const char* ProgramName(const ProgramIndex* index, int program);
ProgramSource ProgramSourceOf(const ProgramIndex* index, int program);
// True when its name begins with "Uninstall" (any letter case): such programs rank after the
// others of an equal score.
bool ProgramIsUninstaller(const ProgramIndex* index, int program);
// What starts it, into `text` (kTextBuffer bytes will do): the shortcut file's full path, the
// App Paths program's path, or the Store app's AppUserModelID.
void ProgramTarget(const ProgramIndex* index, int program, char* text, std::size_t capacity);
// The App Paths program's start folder (its Path value); "" when it has none, and for the
// other kinds.
const char* ProgramStartFolder(const ProgramIndex* index, int program);
// The file whose icon stands for it (the shortcut file or the App Paths program), into `path`.
// False for a Store app, which has no such file.
bool ProgramIconPath(const ProgramIndex* index, int program, char* path, std::size_t capacity);
// The program whose name is `name` without regard to letter case, or -1.
int FindProgram(const ProgramIndex* index, const char* name);

// One [LocalizedFileNames] entry of a desktop.ini, in UTF-8: the file name and the name
// shown for it, "" when the name given is longer than 260 bytes (the file name is then shown).
struct LocalizedName {
    char file[kTextBuffer];
    char name[kTextBuffer];
};

// The entries of the [LocalizedFileNames] section of desktop.ini's `bytes`, as stored: UTF-16
// with its byte-order mark, UTF-8 with or without one, or else the legacy ANSI code page.
// Lines are "file=name", spaces around both and a pair of quotes around the name dropped,
// lines beginning with ';' and lines without '=' ignored, the first entry of a file kept.
// Writes at most `capacity` entries and returns how many.
int ReadLocalizedNames(const void* bytes, std::size_t size, LocalizedName* names, int capacity);
