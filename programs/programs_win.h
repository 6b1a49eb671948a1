// The installed programs as the command window uses them: an index built and kept current on
// a thread of its own, read on the window's thread, and the start of a program from it.
//
//   StartProgramIndex()            once the command window is ready (after its first idle)
//   ProgramSnapshot programs;      on the window's thread, for one keystroke or one Enter:
//   ProgramCount(programs.Index()), ProgramName(...), ProgramIconPath(...),
//   ProgramIsUninstaller(...), FindProgram(programs.Index(), text)   (program_index.h)
//   LaunchProgram(programs.Index(), n, elevated, startDir)   for Enter on a program
//   StopProgramIndex()             at the end of the program
#pragma once

#include "programs/program_index.h"
#include "programs/program_system_win.h"

// Builds the index of this user's Start menus, App Paths and Store apps on a thread of its own
// at a priority below normal, then keeps it current: the thread sleeps on the system's change
// notifications of the Start-menu folders and App Paths keys (no timer, no polling) and
// builds the index again a moment after they change. Until the first index is there, there
// are no programs. Returns at once; a second call does nothing.
void StartProgramIndex();
// The same over places of the caller's own (tests, benchmarks).
void StartProgramIndexAt(const ProgramPlaces& places);

// Ends the thread and its watches and lets the index go once no snapshot holds it. Waits for
// a build under way to stop, which it does at the next folder it would read.
void StopProgramIndex();

// The latest index, held for as long as the snapshot lives or until Refresh (the thread may
// publish a newer one meanwhile), so that program numbers stay valid: a list that keeps them
// keeps its snapshot. Cheap: taking one is a short lock and a count. Index() is null until
// the first index is built, which the functions of program_index.h read as no programs.
class ProgramSnapshot {
  public:
    ProgramSnapshot();
    ~ProgramSnapshot();
    ProgramSnapshot(const ProgramSnapshot&) = delete;
    ProgramSnapshot& operator=(const ProgramSnapshot&) = delete;

    const ProgramIndex* Index() const { return index_; }
    // Lets the index held go and takes the latest.
    void Refresh();

  private:
    struct Published* published_;
    const ProgramIndex* index_;
};

// How starting a program ended.
enum class ProgramStart {
    kStarted,
    kFailed,     // nothing started: the caller shows the launcher's failure message with the codes
    kCancelled,  // nothing started, nothing to show: the user declined the elevation, or the
                 // shell has shown its own message (a shortcut whose target is gone)
};
struct ProgramLaunch {
    ProgramStart outcome;
    int shellCode;   // the shell's error code, for kFailed
    int createCode;  // process creation's, or 0 where it was not tried
};

// Starts program `program` of `index` as Start would, showing nothing of its own:
// - a shortcut (.lnk, .url, .appref-ms) through the shell's "open" on the shortcut file itself,
//   so that its arguments, start folder, window state and "run as administrator" apply;
//   `elevated` uses "runas" for a .lnk (a web link or click-once shortcut opens as usual);
// - an App Paths program by its path, in its Path folder or else in `startDir` (may be ""),
//   through the shell ("runas" when `elevated`), else by process creation;
// - a Store app through shell:AppsFolder\<AppUserModelID> (never elevated).
// The shell's own dialogs are owned by the command window. `programEnds`: the program ends
// right after this start, so the shell finishes its work before it returns.
ProgramLaunch LaunchProgram(const ProgramIndex* index, int program, bool elevated,
                            const char* startDir, bool programEnds = false);
