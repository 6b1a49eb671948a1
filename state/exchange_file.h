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
// every platform. Portable: no Windows headers.
#pragma once

#include <cstddef>
#include <cstdint>

#include "state/alias_list.h"

// The first line of every exchange file, compared exactly (letter case included).
constexpr char kExchangeHeader[] = "Zantrel Alias Data";
// The second line as written; the reader does not look at it.
constexpr char kExchangeVersion[] = "Version 1.23";

// Writes every alias of `list` in list order to the file at `path` (created, or emptied when
// it exists). False only when the file cannot be opened for writing; once it is open the
// result is true, even if a later write fails.
bool ExportAliases(const AliasList& list, const char* path);

// Adds the aliases of the file at `path` after those already in `list`, in file order.
// Names already used and session command names (both without regard to letter case) are
// skipped silently, and a record cut short by the end of the data is not added. False, with nothing
// added, when the file cannot be opened or its first line is not exactly the header; true
// otherwise.
bool ImportAliases(AliasList& list, const char* path);

// The same import over `size` bytes in memory: the file version reads through this code.
bool ImportAliasesFromMemory(AliasList& list, const void* data, std::size_t size);

// The window-state line as a number: leading white space skipped, one optional sign, then
// decimal digits up to the first other character, accumulated modulo 2^32 and negated
// modulo 2^32 after '-'. A line without digits gives 0.
std::uint32_t ParseWindowState(const char* text);
