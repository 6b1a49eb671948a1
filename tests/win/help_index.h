// Reads the keyword index of a WinHelp file (.hlp) and the titles of its topics, so that
// tests can tell which topic a keyword leads to without a help viewer.
//
// The file holds a small file system: a header naming the offset of a directory B-tree,
// whose leaves map internal file names to offsets. "|KWBTREE" maps each keyword to a
// count and an offset into "|KWDATA", which lists the topic offsets of the keyword;
// "|TTLBTREE" maps topic offsets to topic titles.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace wintest {

struct HelpIndex {
    std::map<std::string, std::vector<uint32_t>> keywords;  // keyword -> topic offsets
    std::map<uint32_t, std::string> titles;                 // topic offset -> title
};

// False, with the reason in `error`, when the file cannot be read or is no help file.
bool ReadHelpIndex(const std::string& path, HelpIndex* out, std::string* error);

}  // namespace wintest
