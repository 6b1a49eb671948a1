// What the runner asks of the system it runs on, and nothing that it does to it: whether a
// file exists, what the environment variables say, what the suggestion list would offer. The Win32
// runner answers from Windows; the tests and the benchmarks answer from one fake
// (tests/fake_environment.h).
#pragma once

class RunnerEnvironment {
  public:
    // True when `path` names an existing file, not a folder.
    virtual bool FileExists(const char* path) = 0;
    // Writes `text` with its %NAME% environment variables expanded into `buffer`; a name
    // that is not defined stays as it is. False, and `buffer` undefined, when the result
    // needs more than `capacity` - 1 bytes.
    virtual bool ExpandVariables(const char* text, char* buffer, int capacity) = 0;
    // The text of the best entry of the suggestion list for `typed` (what the list would show
    // first) into `entry` (kTextBuffer bytes), never a session command, and whether it is the
    // name of an installed program (`*isProgram`); false when there is none.
    virtual bool FirstSuggestion(const char* typed, char* entry, bool* isProgram) = 0;

  protected:
    ~RunnerEnvironment() = default;
};
