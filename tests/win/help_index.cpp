#include "help_index.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>

namespace wintest {
namespace {

using Bytes = std::vector<uint8_t>;

// A part of the file; every read stays inside it and a read past its end fails for good.
class Cursor {
  public:
    Cursor(const Bytes& bytes, size_t begin, size_t end)
        : bytes_(bytes), at_(begin), end_(end <= bytes.size() ? end : bytes.size()) {}

    bool ok() const { return ok_; }
    size_t at() const { return at_; }

    uint32_t Little(size_t width) {
        if (at_ > end_ || end_ - at_ < width) {
            ok_ = false;
            return 0;
        }
        uint32_t value = 0;
        for (size_t i = 0; i < width; ++i) {
            value |= static_cast<uint32_t>(bytes_[at_ + i]) << (8 * i);
        }
        at_ += width;
        return value;
    }
    uint16_t Word() { return static_cast<uint16_t>(Little(2)); }
    uint32_t Dword() { return Little(4); }

    std::string String() {
        std::string text;
        while (ok_ && at_ < end_ && bytes_[at_] != 0) {
            text += static_cast<char>(bytes_[at_++]);
        }
        if (at_ >= end_) {
            ok_ = false;
            return text;
        }
        ++at_;  // the terminator
        return text;
    }

    void Skip(size_t count) {
        if (at_ > end_ || end_ - at_ < count) {
            ok_ = false;
            return;
        }
        at_ += count;
    }

  private:
    const Bytes& bytes_;
    size_t at_;
    size_t end_;
    bool ok_ = true;
};

struct Span {
    size_t begin = 0;
    size_t end = 0;
};

constexpr uint32_t kHelpMagic = 0x00035F3F;
constexpr uint16_t kTreeMagic = 0x293B;
constexpr size_t kFileHeader = 9;   // reserved space, used space, flags
constexpr size_t kTreeHeader = 38;  // magic ... total entries
constexpr size_t kIndexPageHeader = 6;
constexpr size_t kLeafPageHeader = 8;

// The content of the internal file whose header starts at `offset`.
bool InternalFile(const Bytes& bytes, size_t offset, Span* span) {
    Cursor in(bytes, offset, bytes.size());
    in.Dword();  // reserved space
    const uint32_t used = in.Dword();
    in.Skip(1);  // flags
    if (!in.ok() || used > bytes.size() - in.at()) {
        return false;
    }
    *span = {offset + kFileHeader, offset + kFileHeader + used};
    return true;
}

// Calls `entry` for every leaf entry of the B-tree stored in `file`, in key order.
bool WalkTree(const Bytes& bytes, Span file, const std::function<bool(Cursor&)>& entry,
              std::string* error) {
    Cursor header(bytes, file.begin, file.end);
    const uint16_t magic = header.Word();
    header.Word();  // flags
    const uint16_t pageSize = header.Word();
    header.Skip(16 + 2 + 2);  // structure, must be zero, page splits
    int16_t page = static_cast<int16_t>(header.Word());
    header.Word();  // must be -1
    const uint16_t totalPages = header.Word();
    const uint16_t levels = header.Word();
    if (!header.ok() || magic != kTreeMagic || pageSize == 0) {
        *error = "not a B-tree";
        return false;
    }
    const size_t pages = file.begin + kTreeHeader;
    auto pageStart = [&](int16_t n) { return pages + static_cast<size_t>(n) * pageSize; };
    for (uint16_t level = 1; level < levels; ++level) {  // down the first child each time
        if (page < 0 || page >= totalPages) {
            *error = "index page out of range";
            return false;
        }
        Cursor index(bytes, pageStart(page), pageStart(page) + kIndexPageHeader);
        index.Skip(4);  // unused bytes, entries
        page = static_cast<int16_t>(index.Word());
        if (!index.ok()) {
            *error = "index page cut short";
            return false;
        }
    }
    for (int visited = 0; page != -1; ++visited) {  // along the leaves
        if (page < 0 || page >= totalPages || visited >= totalPages) {
            *error = "leaf page out of range";
            return false;
        }
        Cursor leaf(bytes, pageStart(page), std::min(pageStart(page) + pageSize, file.end));
        leaf.Word();  // unused bytes
        const uint16_t entries = leaf.Word();
        leaf.Word();  // previous page
        const int16_t next = static_cast<int16_t>(leaf.Word());
        for (uint16_t i = 0; i < entries && leaf.ok(); ++i) {
            if (!entry(leaf)) {
                *error = "bad entry";
                return false;
            }
        }
        if (!leaf.ok()) {
            *error = "leaf page cut short";
            return false;
        }
        page = next;
    }
    return true;
}

}  // namespace

bool ReadHelpIndex(const std::string& path, HelpIndex* out, std::string* error) {
    Bytes bytes;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        uint8_t chunk[4096];
        for (size_t n; (n = std::fread(chunk, 1, sizeof(chunk), file)) > 0;) {
            bytes.insert(bytes.end(), chunk, chunk + n);
        }
        std::fclose(file);
    } else {
        *error = "cannot open " + path;
        return false;
    }
    Cursor header(bytes, 0, bytes.size());
    const uint32_t magic = header.Dword();
    const uint32_t directoryStart = header.Dword();
    Span directory;
    if (!header.ok() || magic != kHelpMagic || !InternalFile(bytes, directoryStart, &directory)) {
        *error = "not a help file";
        return false;
    }

    std::map<std::string, Span> files;
    bool ok = WalkTree(
        bytes, directory,
        [&](Cursor& in) {
            const std::string name = in.String();
            Span span;
            if (!in.ok() || !InternalFile(bytes, in.Dword(), &span)) {
                return false;
            }
            files[name] = span;
            return in.ok();
        },
        error);
    for (const char* name : {"|KWBTREE", "|KWDATA", "|TTLBTREE"}) {
        if (ok && files.count(name) == 0) {
            *error = std::string("no ") + name;
            ok = false;
        }
    }
    if (!ok) {
        return false;
    }

    const Span data = files["|KWDATA"];
    *out = HelpIndex();
    ok = WalkTree(
        bytes, files["|KWBTREE"],
        [&](Cursor& in) {
            const std::string keyword = in.String();
            const uint16_t count = in.Word();
            const uint32_t offset = in.Dword();
            Cursor topics(bytes, data.begin + offset, data.end);
            std::vector<uint32_t>& list = out->keywords[keyword];
            for (uint16_t i = 0; i < count; ++i) {
                list.push_back(topics.Dword());
            }
            return in.ok() && topics.ok() && offset <= data.end - data.begin;
        },
        error);
    return ok && WalkTree(
                     bytes, files["|TTLBTREE"],
                     [&](Cursor& in) {
                         const uint32_t topic = in.Dword();
                         out->titles[topic] = in.String();
                         return in.ok();
                     },
                     error);
}

}  // namespace wintest
