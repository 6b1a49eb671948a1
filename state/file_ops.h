// The file operations that the C library does not do alike on every platform: creating a
// file only where none exists, making written data reach the disk, and renaming a file over
// another. Used to replace a file only once its new contents are complete. Portable
// interface; file_ops_posix.cpp and file_ops_win.cpp implement it.
#pragma once

#include <cstdint>
#include <cstdio>

// Creates the file at `path`, which must not exist yet, and opens it for writing in binary
// mode with no sharing restrictions. Null when a file of that name exists or none can be
// created there.
std::FILE* CreateNewFile(const char* path);

// Writes out what is buffered, has the system put it on the disk and closes the file (also
// when something before failed). False when any of that failed.
bool CommitAndClose(std::FILE* file);

// Gives the file `from` the name `to` in one step, replacing the file of that name if there
// is one. On Windows the file replaced passes its attributes, security and named streams on
// to the new one. All three names lie in the same folder; `aside` is one that no file has,
// which the old file may take on the way: nothing is left under it. False, with both files
// as they were, when that cannot be done.
bool RenameOver(const char* from, const char* to, const char* aside);

// A number to start the name of a new file from: it differs between processes and changes
// with the time, so that the names one run tries are rarely those that another left.
std::uint32_t NameSeed();
