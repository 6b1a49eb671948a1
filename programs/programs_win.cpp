// The index's thread: it builds the index, publishes it for the window's thread, and sleeps
// on change notifications until something it read changes. Under Wine (8) a watch of a whole
// tree misses changes inside the subfolders that existed when it began; Windows sees them.
#include "programs/programs_win.h"

#include <cstdlib>

struct Published {
    ProgramIndex* index;
    volatile LONG holders;  // the service while it is the latest, and each snapshot
};

namespace {

// After a change, the build waits for this long a quiet moment (an installer writes many
// files), but never longer than kLongestWait in all.
constexpr DWORD kQuietWait = 300;
constexpr DWORD kLongestWait = 2000;

const DWORD kFolderChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                             FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_LAST_WRITE;
// Where the system keeps the user's installed packages, one subkey each: the Store apps change
// with its subkeys.
const char kPackages[] =
    "Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\CurrentVersion\\AppModel\\"
    "Repository\\Packages";

struct Service {
    SRWLOCK lock;
    Published* latest;
    HANDLE thread;
    HANDLE stop;
    std::atomic<bool> cancel;
    ProgramPlaces places;
    bool defaultPlaces;
};
Service g_programs = {SRWLOCK_INIT, nullptr, nullptr, nullptr, {false}, {}, false};

void Release(Published* published) {
    if (published != nullptr && InterlockedDecrement(&published->holders) == 0) {
        FreeProgramIndex(published->index);
        std::free(published);
    }
}

void Publish(ProgramIndex* index) {
    Published* published = static_cast<Published*>(std::malloc(sizeof(Published)));
    if (published == nullptr) {
        FreeProgramIndex(index);
        return;
    }
    published->index = index;
    published->holders = 1;
    AcquireSRWLockExclusive(&g_programs.lock);
    Published* old = g_programs.latest;
    g_programs.latest = published;
    ReleaseSRWLockExclusive(&g_programs.lock);
    Release(old);
}

// A registry key's watch. A key that is not there yet is waited for on its parent, whose
// subkeys are watched instead (not the whole busy tree above it).
struct KeyWatch {
    HKEY root;
    const char* path;
    HKEY key;
    bool onParent;
    HANDLE event;

    void Close() {
        if (key != nullptr) {
            RegCloseKey(key);
            key = nullptr;
        }
    }

    // (Re)starts the watch; false when neither the key nor its parent is there.
    bool Arm() {
        for (int attempt = 0; attempt < 2; ++attempt) {
            if (key == nullptr && !Open()) {
                return false;
            }
            // The key's whole tree, or only the names of the parent's subkeys.
            const DWORD filter = onParent ? REG_NOTIFY_CHANGE_NAME
                                          : REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET;
            if (RegNotifyChangeKeyValue(key, onParent ? FALSE : TRUE, filter, event, TRUE) ==
                ERROR_SUCCESS) {
                return true;
            }
            Close();  // deleted meanwhile: once more, from the top
        }
        return false;
    }

    // After its event: a watch on the parent looks for the key itself again.
    bool Rearm() {
        if (onParent) {
            Close();
        }
        return Arm();
    }

  private:
    bool Open() {
        WCHAR wide[kTextBuffer];
        onParent = false;
        if (path[0] == '\0' || !TextToWide(path, wide, kTextBuffer)) {
            return false;
        }
        if (RegOpenKeyExW(root, wide, 0, KEY_NOTIFY, &key) == ERROR_SUCCESS) {
            return true;
        }
        WCHAR* slash = nullptr;
        for (WCHAR* p = wide; *p != L'\0'; ++p) {
            slash = *p == L'\\' ? p : slash;
        }
        if (slash == nullptr) {
            key = nullptr;
            return false;
        }
        *slash = L'\0';
        onParent = RegOpenKeyExW(root, wide, 0, KEY_NOTIFY, &key) == ERROR_SUCCESS;
        key = onParent ? key : nullptr;
        return onParent;
    }
};

// Every watch of the thread; handles[0] is the stop event.
struct Watches {
    static constexpr int kFolders = 2;
    static constexpr int kKeys = 3;
    HANDLE folders[kFolders];
    KeyWatch keys[kKeys];
    HANDLE handles[1 + kFolders + kKeys];
    int owners[1 + kFolders + kKeys];  // by handle: -1 stop, 0.. folders, kFolders.. keys
    DWORD count;

    void Start(const ProgramPlaces& places, HANDLE stop) {
        const char* roots[kFolders] = {places.userPrograms, places.commonPrograms};
        for (int i = 0; i < kFolders; ++i) {
            WCHAR wide[kTextBuffer];
            folders[i] = roots[i][0] != '\0' && TextToWide(roots[i], wide, kTextBuffer)
                             ? FindFirstChangeNotificationW(wide, TRUE, kFolderChanges)
                             : INVALID_HANDLE_VALUE;
        }
        keys[0] = {places.userAppPathsRoot, places.userAppPaths, nullptr, false, nullptr};
        keys[1] = {places.machineAppPathsRoot, places.machineAppPaths, nullptr, false, nullptr};
        keys[2] = {HKEY_CURRENT_USER, places.storeApps ? kPackages : "", nullptr, false, nullptr};
        for (KeyWatch& watch : keys) {
            watch.event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
            if (watch.event != nullptr && !watch.Arm()) {
                CloseHandle(watch.event);
                watch.event = nullptr;
            }
        }
        List(stop);
    }

    // The handles to wait on, those that still watch.
    void List(HANDLE stop) {
        count = 0;
        handles[count] = stop;
        owners[count++] = -1;
        for (int i = 0; i < kFolders; ++i) {
            if (folders[i] != INVALID_HANDLE_VALUE) {
                handles[count] = folders[i];
                owners[count++] = i;
            }
        }
        for (int i = 0; i < kKeys; ++i) {
            if (keys[i].event != nullptr) {
                handles[count] = keys[i].event;
                owners[count++] = kFolders + i;
            }
        }
    }

    // Restarts the watch whose handle `signalled` is; one that cannot go on is dropped.
    void Rearm(DWORD signalled, HANDLE stop) {
        const int owner = owners[signalled];
        if (owner >= 0 && owner < kFolders && !FindNextChangeNotification(folders[owner])) {
            FindCloseChangeNotification(folders[owner]);
            folders[owner] = INVALID_HANDLE_VALUE;
        } else if (owner >= kFolders && !keys[owner - kFolders].Rearm()) {
            CloseHandle(keys[owner - kFolders].event);
            keys[owner - kFolders].event = nullptr;
        }
        List(stop);
    }

    void End() {
        for (HANDLE& folder : folders) {
            if (folder != INVALID_HANDLE_VALUE) {
                FindCloseChangeNotification(folder);
            }
        }
        for (KeyWatch& watch : keys) {
            watch.Close();
            if (watch.event != nullptr) {
                CloseHandle(watch.event);
            }
        }
    }
};

// Waits for a change; false when the thread is to end instead.
bool AwaitChange(Watches& watches, HANDLE stop) {
    DWORD signalled = WaitForMultipleObjects(watches.count, watches.handles, FALSE, INFINITE);
    const DWORD start = GetTickCount();
    while (signalled > WAIT_OBJECT_0 && signalled < WAIT_OBJECT_0 + watches.count) {
        watches.Rearm(signalled - WAIT_OBJECT_0, stop);
        const DWORD waited = GetTickCount() - start;
        if (waited >= kLongestWait) {
            return true;
        }
        const DWORD wait = kLongestWait - waited < kQuietWait ? kLongestWait - waited : kQuietWait;
        signalled = WaitForMultipleObjects(watches.count, watches.handles, FALSE, wait);
    }
    return signalled == WAIT_TIMEOUT;
}

DWORD WINAPI IndexThread(void*) {
    ProgramPlaces& places = g_programs.places;
    if (g_programs.defaultPlaces) {
        DefaultProgramPlaces(&places);
    }
    // Watching begins before the first build, so that no change made during it is missed.
    Watches watches;
    watches.Start(places, g_programs.stop);
    do {
        ProgramIndex* index = BuildProgramIndexAt(places, &g_programs.cancel);
        if (index != nullptr) {
            Publish(index);  // without memory for it there are no programs until the next change
        }
    } while (!g_programs.cancel.load() && AwaitChange(watches, g_programs.stop));
    watches.End();
    return 0;
}

void Start(const ProgramPlaces* places) {
    if (g_programs.thread != nullptr) {
        return;
    }
    g_programs.defaultPlaces = places == nullptr;
    if (places != nullptr) {
        g_programs.places = *places;
    }
    g_programs.cancel.store(false);
    g_programs.stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (g_programs.stop == nullptr) {
        return;
    }
    g_programs.thread = CreateThread(nullptr, 0, IndexThread, nullptr, CREATE_SUSPENDED, nullptr);
    if (g_programs.thread == nullptr) {
        CloseHandle(g_programs.stop);
        g_programs.stop = nullptr;
        return;
    }
    SetThreadPriority(g_programs.thread, THREAD_PRIORITY_BELOW_NORMAL);
    ResumeThread(g_programs.thread);
}

}  // namespace

void StartProgramIndex() {
    Start(nullptr);
}

void StartProgramIndexAt(const ProgramPlaces& places) {
    Start(&places);
}

void StopProgramIndex() {
    if (g_programs.thread == nullptr) {
        return;
    }
    g_programs.cancel.store(true);
    SetEvent(g_programs.stop);
    WaitForSingleObject(g_programs.thread, INFINITE);
    CloseHandle(g_programs.thread);
    CloseHandle(g_programs.stop);
    g_programs.thread = nullptr;
    g_programs.stop = nullptr;
    AcquireSRWLockExclusive(&g_programs.lock);
    Published* last = g_programs.latest;
    g_programs.latest = nullptr;
    ReleaseSRWLockExclusive(&g_programs.lock);
    Release(last);
}

ProgramSnapshot::ProgramSnapshot() : published_(nullptr), index_(nullptr) {
    Refresh();
}

void ProgramSnapshot::Refresh() {
    Release(published_);
    AcquireSRWLockShared(&g_programs.lock);
    published_ = g_programs.latest;
    if (published_ != nullptr) {
        InterlockedIncrement(&published_->holders);
    }
    ReleaseSRWLockShared(&g_programs.lock);
    index_ = published_ != nullptr ? published_->index : nullptr;
}

ProgramSnapshot::~ProgramSnapshot() {
    Release(published_);
}
