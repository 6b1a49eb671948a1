// The alias exchange file: a CR LF text file that carries aliases from one installation to
// another. Layout:
//
//   Zantrel Alias Data
//   Version 1.23
//   [Alias 0]          then, for each alias in list order, five lines:
//   name                 a marker, the name, the command, the start path
//   command              and the window state in unsigned decimal
//   start path
//   window state
//
// Every line break is CR LF and the last line has none. The reader takes the file as text
// (CR LF reads as LF, a byte 1A hex ends the data) over raw bytes, so it behaves the same on
// every platform. Texts are written as the program holds them, so a UTF-8 program writes
// UTF-8 without a byte-order mark (ASCII as ever). A UTF-8 program passes over the mark of a
// UTF-8 file that an editor saved with one, and reads a file whose bytes are not UTF-8 as one
// written in the legacy ANSI code page and converts it. Portable: no
// Windows headers.
#pragma once

#include <cstddef>
#include <cstdint>

#include "state/alias_list.h"

// The first line of every exchange file, compared exactly (letter case included).
constexpr char kExchangeHeader[] = "Zantrel Alias Data";
// The second line as written; the reader does not look at it. It tags the file's format,
// not the program: it stays as it is when the program's version (project() in
// CMakeLists.txt) changes, so that files written by any version look alike.
constexpr char kExchangeVersion[] = "Version 1.23";

// Writes every alias of `list` in list order to the file at `path`, created or replaced.
// The aliases are written to a new file in the same folder, which then takes the place of
// the old one in one step; a file replaced on Windows keeps its attributes, security and
// named streams. False when the old file may not be written (read-only, or held by
// another program), no new file can be created in the folder, a write, the flush or the
// close fails, or the old file cannot be replaced: the old file then stays as it was, and no
// other file is left behind.
bool ExportAliases(const AliasList& list, const char* path);

// Adds the aliases of the file at `path` after those already in `list`, in file order.
// Names already used and session command names (both without regard to letter case) are
// skipped silently, and a record cut short by the end of the data is not added. False, with nothing
// added, when the file cannot be opened, is larger than 4 MiB (more than 7,000 aliases of
// the longest texts) or its first line is not exactly the header; true otherwise.
bool ImportAliases(AliasList& list, const char* path);

// The same import over `size` bytes in memory: the file version reads the whole file and
// goes through this code.
bool ImportAliasesFromMemory(AliasList& list, const void* data, std::size_t size);

// The window-state line as a number: leading white space skipped, one optional sign, then
// decimal digits up to the first other character, accumulated modulo 2^32 and negated
// modulo 2^32 after '-'. A line without digits gives 0.
std::uint32_t ParseWindowState(const char* text);
