#include "state/exchange_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "state/file_ops.h"

namespace {

// Longest text kept from each kind of line. The rest of a longer line is read and dropped,
// so that one over-long line never shifts the lines after it into the wrong fields.
constexpr std::size_t kNameLimit = kNameChars;
constexpr std::size_t kTextLimit = kTextChars;
constexpr std::size_t kOtherLimit = 99;  // header, version, marker and window-state lines

constexpr int kEndOfData = -1;
constexpr int kCtrlZ = 0x1A;

// The largest file the import reads; a larger one is refused. An alias takes at most 574
// bytes in the file (a marker of up to 18, a name of 16 and two texts of 260 bytes, a
// window state of 10 digits and five line breaks), so 4 MiB hold more than 7,000 aliases of
// the longest texts and some 40,000 of usual ones. Aliases are made one at a time in the
// alias editor, and no list made that way comes near it.
constexpr std::size_t kFileLimit = 4u << 20;

// What the lines of a file are, as text of the program.
enum class LineText {
    AsStored,  // the program's code page is a legacy one: the bytes are taken as they are
    Utf8,      // a UTF-8 file for a UTF-8 program: lines are cut between characters
    Legacy     // a file that is not UTF-8, for a UTF-8 program: converted from the legacy
               // ANSI code page, in which older programs wrote it
};

// The bytes read as text: CR LF gives LF, a CR followed by anything else is an ordinary
// character, and a byte 1A hex ends the data. Once the end is met it stays met.
class TextReader {
  public:
    TextReader(const unsigned char* data, std::size_t size, LineText lines)
        : data_(data), size_(size), pos_(0), lines_(lines), ended_(false) {}

    bool Ended() const { return ended_; }

    int Next() {
        if (ended_) {
            return kEndOfData;
        }
        if (pos_ == size_ || data_[pos_] == kCtrlZ) {
            ended_ = true;
            return kEndOfData;
        }
        const int c = data_[pos_++];
        if (c == '\r' && pos_ < size_ && data_[pos_] == '\n') {
            ++pos_;
            return '\n';
        }
        return c;
    }

    // Reads one whole line into `text` (room for `limit` bytes and the terminator), keeping
    // as many of its first characters as fit. `length` tells how many bytes the file's line
    // gave before that cut. True when the line ended with a line break, false when the end of
    // the data ended it (or had been met before).
    bool ReadLine(char* text, std::size_t limit, std::size_t* length) {
        std::size_t kept = 0;
        bool lineBreak = false;
        for (int c = Next(); c != kEndOfData; c = Next()) {
            if (c == '\n') {
                lineBreak = true;
                break;
            }
            if (kept < limit) {
                text[kept++] = static_cast<char>(c);
            }
        }
        text[kept] = '\0';
        if (length != nullptr) {
            *length = kept;
        }
        if (lines_ == LineText::Legacy) {
            char converted[kTextBuffer];
            LegacyToUtf8(text, kept, converted, limit + 1);
            CopyText(text, converted, limit + 1);
        } else if (lines_ == LineText::Utf8) {
            text[Utf8CutLength(text, kept)] = '\0';
        }
        return lineBreak;
    }

  private:
    const unsigned char* data_;
    std::size_t size_;
    std::size_t pos_;
    LineText lines_;
    bool ended_;
};

// True when the bytes up to the end of the data are well-formed UTF-8 (plain ASCII is).
bool DataIsUtf8(const unsigned char* data, std::size_t size) {
    Utf8Check check;
    for (std::size_t i = 0; i < size && data[i] != kCtrlZ; ++i) {
        // Plain ASCII between sequences needs no look.
        if ((data[i] >= 0x80 || !check.Complete()) && !check.Take(data[i])) {
            return false;
        }
    }
    return check.Complete();
}

bool ImportFrom(AliasList& list, const unsigned char* data, std::size_t size) {
    // A file is never refused for its encoding: what is not UTF-8 was written in the
    // legacy code page. A UTF-8 file may begin with the byte-order mark that some editors
    // put before UTF-8 text.
    static const unsigned char kMark[] = {0xEF, 0xBB, 0xBF};
    LineText lines = LineText::AsStored;
    if (TextIsUtf8()) {
        lines = DataIsUtf8(data, size) ? LineText::Utf8 : LineText::Legacy;
        if (lines == LineText::Utf8 && size >= sizeof(kMark) &&
            std::memcmp(data, kMark, sizeof(kMark)) == 0) {
            data += sizeof(kMark);
            size -= sizeof(kMark);
        }
    }
    TextReader reader(data, size, lines);
    char line[kOtherLimit + 1];
    reader.ReadLine(line, kOtherLimit, nullptr);
    if (!TextEqual(line, kExchangeHeader)) {
        return false;
    }
    reader.ReadLine(line, kOtherLimit, nullptr);  // the version: not compared

    AliasAdder adder(list);
    char name[kNameLimit + 1];
    char command[kTextLimit + 1];
    char startPath[kTextLimit + 1];
    while (!reader.Ended()) {
        reader.ReadLine(line, kOtherLimit, nullptr);  // the marker: any line serves
        reader.ReadLine(name, kNameLimit, nullptr);
        reader.ReadLine(command, kTextLimit, nullptr);
        reader.ReadLine(startPath, kTextLimit, nullptr);
        // A record counts only when all five lines are there; the last state line of a
        // file may end at the end of the data instead of a line break.
        bool endedBeforeState = reader.Ended();
        std::size_t stateLength = 0;
        bool stateBreak = reader.ReadLine(line, kOtherLimit, &stateLength);
        if (endedBeforeState || (stateLength == 0 && !stateBreak)) {
            break;
        }
        // Names already used and session command names are skipped.
        if (!IsSessionCommandName(name)) {
            adder.Add(name, command, startPath, ParseWindowState(line));
        }
    }
    return true;
}

// The writer: stops writing after the first failed write, as nothing sensible can follow.
class Writer {
  public:
    explicit Writer(std::FILE* file) : file_(file), failed_(false) {}

    void Bytes(const char* bytes, std::size_t count) {
        if (!failed_ && count > 0 && std::fwrite(bytes, 1, count, file_) != count) {
            failed_ = true;
        }
    }

    void Text(const char* text) { Bytes(text, std::strlen(text)); }

    // A text field as stored, up to its terminator but never past its buffer.
    void Field(const char* text, std::size_t capacity) {
        const void* end = std::memchr(text, '\0', capacity);
        Bytes(text, end != nullptr ? static_cast<std::size_t>(static_cast<const char*>(end) - text)
                                   : capacity);
    }

    void Number(unsigned long long value) {
        char digits[24];
        std::size_t n = sizeof(digits);
        do {
            digits[--n] = static_cast<char>('0' + value % 10);
            value /= 10;
        } while (value != 0);
        Bytes(digits + n, sizeof(digits) - n);
    }

    void LineBreak() { Bytes("\r\n", 2); }

    bool Failed() const { return failed_; }

  private:
    std::FILE* file_;
    bool failed_;
};

void WriteAliases(Writer& out, const AliasList& list) {
    out.Text(kExchangeHeader);
    out.LineBreak();
    out.Text(kExchangeVersion);
    unsigned long long number = 0;
    for (const AliasRecord* alias = FirstAlias(list); alias != nullptr; alias = alias->Next) {
        out.LineBreak();
        out.Text("[Alias ");
        out.Number(number++);
        out.Text("]");
        out.LineBreak();
        out.Field(alias->Name, sizeof(alias->Name));
        out.LineBreak();
        out.Field(alias->Command, sizeof(alias->Command));
        out.LineBreak();
        out.Field(alias->StartPath, sizeof(alias->StartPath));
        out.LineBreak();
        out.Number(alias->WindowState);
    }
}

// True when `path` names no file yet, or a file that could be written in place: a
// read-only file, or one that another program holds without sharing it, stays as it is.
bool MayWrite(const char* path) {
    std::FILE* existing = std::fopen(path, "r+b");
    if (existing == nullptr) {
        return errno == ENOENT;
    }
    std::fclose(existing);
    return true;
}

// Creates a new, empty file in the folder of `path` and puts its path into `temporary`
// (`capacity` bytes): "~zan", eight hexadecimal digits and ".tmp", short so that the path
// stays within the limits of a path that fits. The number starts from one of the process
// and the time and moves on past names that are taken, so that files which exports cut
// short (the program ended half-way) left behind never block one. Null when no file can be
// created there.
std::FILE* CreateFileBeside(const char* path, char* temporary, std::size_t capacity) {
    // The length of the folder part, separator included.
    const char* separator = TextFindLastOf(path, "\\/:");
    const std::size_t folder =
        separator != nullptr ? static_cast<std::size_t>(separator + 1 - path) : 0;
    char name[] = "~zan00000000.tmp";
    if (folder + sizeof(name) > capacity) {
        return nullptr;
    }
    static std::uint32_t exports = 0;  // two exports within one tick start apart
    std::uint32_t number = NameSeed() ^ (++exports * 0x9E3779B9u);
    constexpr int kAttempts = 100;
    for (int attempt = 0; attempt < kAttempts; ++attempt, ++number) {
        for (int digit = 0; digit < 8; ++digit) {
            name[4 + digit] = "0123456789abcdef"[(number >> (28 - 4 * digit)) & 0xF];
        }
        std::memcpy(temporary, path, folder);
        std::memcpy(temporary + folder, name, sizeof(name));
        if (std::FILE* file = CreateNewFile(temporary)) {
            return file;
        }
        if (errno != EEXIST) {
            return nullptr;
        }
    }
    return nullptr;
}

}  // namespace

std::uint32_t ParseWindowState(const char* text) {
    const char* p = text;
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\v' || *p == '\f' || *p == '\r') {
        ++p;
    }
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    std::uint32_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10u + static_cast<std::uint32_t>(*p - '0');
    }
    return negative ? 0u - value : value;
}

bool ExportAliases(const AliasList& list, const char* path) {
    if (!MayWrite(path)) {
        return false;
    }
    // The aliases go to a new file beside the old one, which is replaced only once the new
    // one is complete: a failed export leaves the old file as it was and nothing beside it.
    char temporary[kTextBuffer + 24];
    std::FILE* file = CreateFileBeside(path, temporary, sizeof(temporary));
    if (file == nullptr) {
        return false;
    }
    Writer out(file);
    WriteAliases(out, list);
    const bool written = !out.Failed();
    // The old file's name while it is replaced: the new one's, ending ".old" for ".tmp".
    char aside[sizeof(temporary)];
    const std::size_t length = std::strlen(temporary);
    std::memcpy(aside, temporary, length - 3);
    std::memcpy(aside + length - 3, "old", 4);
    if (CommitAndClose(file) && written && RenameOver(temporary, path, aside)) {
        return true;
    }
    std::remove(temporary);
    return false;
}

bool ImportAliasesFromMemory(AliasList& list, const void* data, std::size_t size) {
    return ImportFrom(list, static_cast<const unsigned char*>(data), size);
}

bool ImportAliases(AliasList& list, const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        return false;
    }
    // The whole file in one buffer of its size. One whose size cannot be told (beyond what a
    // long holds) or is larger than the limit is refused; a read error ends the data where
    // it happened.
    const long size = std::fseek(file, 0, SEEK_END) == 0 ? std::ftell(file) : -1;
    unsigned char* data = nullptr;
    std::size_t got = 0;
    if (size >= 0 && static_cast<unsigned long>(size) <= kFileLimit &&
        std::fseek(file, 0, SEEK_SET) == 0) {
        data = static_cast<unsigned char*>(std::malloc(static_cast<std::size_t>(size) + 1));
        got = data != nullptr ? std::fread(data, 1, static_cast<std::size_t>(size), file) : 0;
    }
    std::fclose(file);
    const bool imported = data != nullptr && ImportFrom(list, data, got);
    std::free(data);
    return imported;
}
